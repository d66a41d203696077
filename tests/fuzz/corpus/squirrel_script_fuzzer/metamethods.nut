// Arithmetic, unary minus, comparison and string conversion on class instances.
class V {
    x = 0; y = 0;
    constructor(a, b) { x = a; y = b; }
    function _add(o) { return V(x + o.x, y + o.y); }
    function _sub(o) { return V(x - o.x, y - o.y); }
    function _mul(k) { return V(x * k, y * k); }
    function _div(k) { return V(x / k, y / k); }
    function _modulo(k) { return V(x % k, y % k); }
    function _unm() { return V(-x, -y); }
    function _cmp(o) { return (x * x + y * y) <=> (o.x * o.x + o.y * o.y); }
    function _tostring() { return "V(" + x + "," + y + ")"; }
    function _typeof() { return "vector"; }
}
local p = V(1, 2), q = V(3, 4);
print((p + q) + " " + (q - p) + " " + (p * 3) + " " + (q / 2) + " " + (q % 2) + " " + (-p) + "\n");
print((p < q) + " " + (p > q) + " " + (p <= p) + " " + (q >= p) + " " + (p <=> q) + " " + typeof p + "\n");
print("as text: " + p + "\n");
local sorted = [V(3, 3), V(1, 0), V(2, 2)];
sorted.sort();
print(sorted[0] + " " + sorted[1] + " " + sorted[2] + "\n");

// _get, _set and a clean miss by throwing null.
class Props {
    data = null;
    constructor() { data = {}; }
    function _get(k) {
        if (k in data) return data[k];
        if (k == "computed") return 99;
        throw null;
    }
    function _set(k, v) {
        if (k == "readonly") throw "readonly is read-only";
        data[k] <- v;
    }
}
local pr = Props();
pr.color = "red";
print(pr.color + " " + pr.computed + "\n");
try { print(pr.unknown); } catch (e) { print(e + "\n"); }
try { pr.readonly = 1; } catch (e) { print(e + "\n"); }

// _call makes instances and tables callable; _nexti drives foreach.
class Multiplier {
    k = 1;
    constructor(v) { k = v; }
    function _call(self, v) { return v * k; }
}
local triple = Multiplier(3);
print(triple(5) + "\n");
class Range {
    n = 0;
    constructor(v) { n = v; }
    function _nexti(prev) {
        if (prev == null) return n > 0 ? 0 : null;
        return prev + 1 < n ? prev + 1 : null;
    }
    function _get(i) { return i * 100; }
}
foreach (i, v in Range(3)) print(i + ":" + v + " ");
print("\n");

// _cloned runs on the copy.
class Counted {
    copies = 0;
    function _cloned(original) { copies = original.copies + 1; }
}
local c0 = Counted();
local c2 = clone (clone c0);
print(c0.copies + " " + c2.copies + "\n");

// Table metamethods through a delegate: _newslot, _delslot, _add, _cmp, _tostring, _call.
local log = [];
local meta = {
    function _newslot(k, v) { log.append("new " + k); rawset(k, v * 10); }
    function _delslot(k) { log.append("del " + k); rawdelete(k); }
    function _add(o) { return "sum:" + (this.n + o.n); }
    function _cmp(o) { return this.n <=> o.n; }
    function _tostring() { return "table n=" + n; }
    function _call(self, a) { return "called with " + a; }
    function _typeof() { return "special"; }
}
local t1 = { n = 1 }.setdelegate(meta), t2 = { n = 5 }.setdelegate(meta);
t1.extra <- 2;
print(t1.extra + " ");
delete t1.extra;
print(("extra" in t1) + " " + log.len() + " " + log[0] + " " + log[1] + "\n");
print((t1 + t2) + " " + (t1 < t2) + " " + t1 + " " + t1("x") + " " + typeof t1 + "\n");

// Errors inside metamethods propagate to the caller.
class Bad { function _add(o) { throw "bad add"; } }
try { Bad() + 1; } catch (e) { print(e + "\n"); }
try { local x = {} + 1; } catch (e) { print(e + "\n"); }
try { local z = 1 < "a"; } catch (e) { print(e + "\n"); }
