// NVec is a class made by the host through the C API: a constructor with a parameter mask,
// _add, _get, _set, _cmp, _tostring and a release hook that prints when an instance dies.
local a = NVec(1, 2);
local b = NVec(3, 4);
print(a + " " + b + " " + typeof a + " " + (a instanceof NVec) + "\n");
local c = a + b;
print(c + " " + c.x + " " + c.y + " " + a.dot(b) + "\n");
c.x = 10;
c.y += 1;
print(c + "\n");
print((a < b) + " " + (b > a) + " " + (a <=> a) + "\n");

// Parameter masks reject wrong calls with the documented messages.
try { NVec(1); } catch (e) { print(e + "\n"); }
try { NVec("x", 2); } catch (e) { print(e + "\n"); }
try { a.dot(3); } catch (e) { print(e + "\n"); }
try { a.z = 1; } catch (e) { print(e + "\n"); }
try { print(a.missing); } catch (e) { print(e + "\n"); }

// Script classes can extend the native class.
class Named extends NVec {
    label = "";
    constructor(l, x, y) { base.constructor(x, y); label = l; }
    function describe() { return label + "=" + this.tostring(); }
}
local n = Named("p", 5, 6);
print(n.describe() + " " + (n instanceof NVec) + " " + (n + a) + "\n");

// The release hook runs exactly once, when the last reference goes.
print("dropping c\n");
c = null;
local kept = [b];
print("dropping b (still in array)\n");
b = null;
print("dropping array\n");
kept = null;
print("end\n");
