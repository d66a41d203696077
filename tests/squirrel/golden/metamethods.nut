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
// Nested loops over instances, break, a _nexti that throws and an index the instance lacks.
local pairs = [];
foreach (i, a in Range(3)) {
    foreach (j, b in Range(4)) {
        if (j > i) break;
        pairs.append(i + "" + j);
    }
}
print(pairs.reduce(@(x, y) x + " " + y) + "\n");
class ThrowingRange { function _nexti(prev) { throw "nexti failed at " + prev; } }
class MissingIndex { function _nexti(prev) { return prev == null ? "nothere" : null; } }
foreach (make in [ThrowingRange, MissingIndex]) {
    try { foreach (k, v in make()) print(k); } catch (e) print(e + "; ");
}
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

// Operators on instances in every position the compiler can place them: stack operands,
// locals, constants, compound assignment and conditions (fused compare-and-jump forms).
class W {
    v = 0;
    constructor(x) { v = x; }
    function _add(o) { return W(v + (typeof o == "instance" ? o.v : o)); }
    function _sub(o) { return W(v - (typeof o == "instance" ? o.v : o)); }
    function _cmp(o) { return v <=> (typeof o == "instance" ? o.v : o); }
    function _tostring() { return "W" + v; }
}
local w1 = W(1), w2 = W(2.5), seen = [];
local acc = W(0);
acc += w1;
acc = acc + 2;
acc = acc - w2;
local fromStack = [w2][0] + [w1][0];
seen.append(acc.v + " " + fromStack.v + " " + (w1 + 0.5).v + " " + (w1 - w1).v);
if (w1 < w2) seen.append("lt");
if (w1 > 0) seen.append("gt0");
if ([w2][0] >= 2) seen.append("ge2");
if (!(w2 <= w1)) seen.append("not le");
if (w1 == w1) seen.append("eq");
seen.append((w1 < w2) + " " + (w2 <=> w1) + " " + (w1 <= 1) + " " + ([w1][0] > w2));
for (local n = W(0); n < 3; n = n + 1) seen.append("n" + n.v);
print(seen.reduce(@(a, b) a + ", " + b) + "\n");
// A _cmp must answer an integer, wherever the comparison stands.
class BadCmp { function _cmp(o) { return "no"; } }
local bc = BadCmp();
foreach (test in [@() bc < 1, @() bc <=> bc, function() { if (bc > bc) return 1; return 0; }, @() [bc][0] < 2]) {
    try { test(); print("no error; "); } catch (e) print(e + "; ");
}
print("\n");
// Errors thrown inside operator metamethods reach the caller's try, which goes on normally.
class Throws { function _sub(o) { throw "sub failed"; } function _cmp(o) { throw "cmp failed"; } }
local th = Throws(), caught = [];
try { local r = th - 1; } catch (e) caught.append(e);
try { if (th < th) caught.append("no"); } catch (e) caught.append(e);
try { local r = th <=> 2; } catch (e) caught.append(e);
print(caught.reduce(@(a, b) a + ", " + b) + "\n");
// A string joined with an instance takes its _tostring text, on either side and in fused forms;
// a _tostring that answers no string, throws, or is a generator fails the join.
local joined = "<" + w1 + ">" + (w2 + "|") + "";
local text = "t:";
text += w2;
print(joined + " " + text + " " + (w1 + "" == "W1") + "\n");
class BadText { function _tostring() { return 7; } }
class ThrowingText { function _tostring() { throw "no text"; } }
class GeneratorText { function _tostring() { yield "g"; } }
foreach (make in [BadText, ThrowingText, GeneratorText]) {
    local value = make();
    foreach (join in [@() "a" + value, @() value + "b"]) {
        try { print(join() + "; "); } catch (e) print(e + "; ");
    }
}
print("\n");
// A _cmp that is a generator function answers a generator, which is no integer.
class GenCmp { function _cmp(o) { yield 1; } }
try { if (GenCmp() < 1) print("no error"); } catch (e) print(e + "\n");
