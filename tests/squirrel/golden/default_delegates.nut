// Numbers and bools.
print((5).tofloat() + " " + (5.75).tointeger() + " " + (-5.75).tointeger() + " " + (65).tochar() + " " + (66.9).tochar() + "\n");
print((7).tostring() + (2.5).tostring() + " " + true.tointeger() + " " + false.tofloat() + " " + true.tostring() + "\n");
print(((3).weakref() == 3) + "\n");

// Strings.
local s = "Hello World";
print(s.len() + " " + s.toupper() + " " + s.tolower() + "\n");
print(s.slice(6) + "|" + s.slice(0, 5) + "|" + s.slice(-5) + "|" + s.slice(-5, -3) + "|" + s.slice(3, 3) + "|\n");
print(s.find("o") + " " + s.find("o", 5) + " " + s.find("zzz") + " " + s.find("") + "\n");
print("42".tointeger() + " " + "-17".tointeger() + " " + "ff".tointeger(16) + " " + "101".tointeger(2) + " " + "2.5".tofloat() + "\n");
try { "abc".tointeger(); } catch (e) { print(e + "\n"); }
print(s[0] + " " + s.tostring() + "\n");

// Tables.
local t = { a = 1, b = 2 };
print(t.len() + " " + t.rawget("a") + " " + t.rawin("b") + " " + t.rawin("z") + "\n");
t.rawset("c", 3).rawset("d", 4);
print(t.len() + " " + t.rawdelete("c") + " " + t.rawdelete("missing") + " " + t.len() + "\n");
local keys = t.keys(), values = t.values();
print(keys.len() + " " + keys[0] + keys[1] + keys[2] + " " + values[2] + "\n");
local evens = { x = 1, y = 2, z = 4 }.filter(@(k, v) v % 2 == 0);
print(evens.len() + " " + ("x" in evens) + "\n");
print(t.clear().len() + " " + (t.getdelegate() == null) + "\n");

// Arrays.
local a = [5, 3, 8];
a.append(1).push(9);
print(a.len() + " " + a.top() + " " + a.pop() + " " + a.len() + "\n");
a.insert(0, 7);
print(a[0] + " " + a.remove(1) + " " + a.len() + "\n");
a.extend([10, 11]);
a.sort();
local text = "";
foreach (v in a) text += v + ",";
print(text + "\n");
a.sort(@(x, y) y <=> x);
print(a[0] + " " + a[a.len() - 1] + "\n");
a.reverse();
print(a[0] + " " + a.find(10) + " " + a.find(99) + "\n");
print(a.slice(1, 3).len() + " " + a.slice(-2)[0] + "\n");
a.resize(3);
print(a.len() + " ");
a.resize(5, "x");
print(a[4] + " " + a.len() + "\n");
print([1, 2, 3].map(@(v) v * v)[2] + " " + [1, 2, 3].map(@(v, i) v + i)[2] + " " + [1, 2, 3].reduce(@(p, c) p + c) + " " + [1, 2, 3].reduce(@(p, c) p + c, 10) + "\n");
local doubled = [1, 2, 3];
doubled.apply(@(v) v * 2);
print(doubled[0] + doubled[1] + doubled[2] + " " + [1, 2, 3, 4].filter(@(i, v) v > 2).len() + " " + ([].reduce(@(p, c) p + c) == null) + "\n");
local cleared = [1, 2];
cleared.clear();
print(cleared.len() + " " + array(3, 0).len() + " " + array(2)[1] + "\n");

// Functions.
function sum3(a, b, c) { return a + b + c; }
print(sum3.call(null, 1, 2, 3) + " " + sum3.acall([null, 1, 2, 3]) + " " + sum3.pcall(null, 4, 5, 6) + " " + sum3.pacall([null, 1, 1, 1]) + "\n");
local info = sum3.getinfos();
print(info.name + " " + info.parameters[1] + info.parameters[2] + info.parameters[3] + " " + info.varargs + "\n");

// Classes and instances.
class Box { v = 1; function get() { return v; } }
local box = Box();
print(Box.rawin("v") + " " + Box.rawget("v") + " " + box.rawget("v") + " " + (box.getclass() == Box) + "\n");
Box.rawset("v", 2);
local raw = Box.instance();
print(raw.v + " " + box.rawin("get") + "\n");
Box.newmember("late", function() { return "late"; });
print(box.late() + "\n");

// Weak references.
local target = { name = "target" };
local weak = target.weakref();
print(typeof weak + " " + weak.ref().name + "\n");
target = null;
print((weak.ref() == null) + "\n");

// Generators.
function gen() { yield 1; }
local g = gen();
print(g.getstatus() + " " + typeof g + "\n");

// Floats outside the integer range saturate when made integers; NaN gives 0.
local nan = 0.0 / 0.0;
print(1e20.tointeger() + " " + (-1e20).tointeger() + " " + nan.tointeger() + " " + "1e20".tointeger() + " ");
print((2.9).tointeger() + " " + (-2.9).tointeger() + "\n");
print(format("%d %d %x", 1e20, nan, -1e20) + "\n");
try { blob(-1e20); } catch (e) { print("blob: " + e + "\n"); }
try { [1, 2][1e20]; } catch (e) { print("index: " + e + "\n"); }
print("abc".slice(0, 1e20.tointeger() > 3 ? 3 : 0) + "\n");

// sort of integers only, strings only and mixed numbers; find from a position; plain and
// decorated integer formats.
local ints = [3, -2147483648, 2147483647, 1, 3, 0];
ints.sort();
local texts = ["b", "a", "ab", "", "a\x00", "B"];
texts.sort();
local mixed = [2, 1.5, 1, -0.5];
mixed.sort();
print(ints.reduce(@(a, b) a + " " + b) + " | " + texts.map(@(t) t.len() + t.slice(0, t.len() > 0 ? 1 : 0)).reduce(@(a, b) a + "," + b)
      + " | " + mixed.reduce(@(a, b) a + " " + b) + "\n");
local floats = [0.5, -0.0, 2.25, 0.0, -1.5];
floats.sort();
print(floats.reduce(@(a, b) a + " " + b) + "\n");

// A comparator's result is read as an integer: a float truncates toward zero (so differences
// under 1 count as equal and keep their order), a bool counts as 1 or 0; anything else raises.
// An error inside it keeps its message unless the thrown value is no string.
local joined = @(arr) arr.reduce(@(a, b) a + " " + b);
print(joined([3, 1, 2, 9, 7].sort(@(x, y) (x - y) * 2.5)) + " | " + joined([0.5, 2.5, 0.2, 1.9].sort(@(x, y) x - y))
      + " | " + joined([3, 1, 2].sort(@(x, y) x > y)) + "\n");
foreach (result in ["a", null, {}, [1]]) {
    try { [2, 1].sort(@(x, y) result); } catch (e) print(e + "; ");
}
foreach (thrown in ["own message", {code = 1}, null]) {
    try { [2, 1].sort(function(x, y) { throw thrown; }); } catch (e) print(e + "; ");
}
print("\n");
// The sort works on the array itself: a comparator that changes the array's size stops it,
// and a failed sort leaves every element in the array.
local growing = [4, 3, 2, 1], shrinking = [4, 3, 2, 1];
try { growing.sort(function(x, y) { growing.push(0); return x <=> y; }); } catch (e) print(e + " " + growing.len() + "; ");
try { shrinking.sort(function(x, y) { shrinking.pop(); return x <=> y; }); } catch (e) print(e + " " + shrinking.len() + "; ");
local stopped = [6, 5, 4, 3, 2, 1, 0];
try { stopped.sort(function(x, y) { if (x == 0 || y == 0) throw "stop"; return x <=> y; }); } catch (e) print(e + " ");
print(joined(stopped.sort()) + "\n");
print("abcabc".find("c", 3) + " " + "abcabc".find("", 2) + " " + "abcabc".find("x") + " " + "abcabc".find("abc", 6) + " "
      + "abcabc".find("bc") + " " + "a\x00b".find("\x00b") + "\n");
// Searching from the end finds nothing, not even the empty text.
print("Hello, World".find("", 12) + " " + "Hello, World".find("", 11) + " " + "".find("") + "\n");
print(format("%d %i %d|%5d|%-3d|%+d|%x|%c", -2147483648, 42, 0, 7, 7, 7, 255, 65) + "\n");
// Float texts and literals beyond the float range are infinite (or zero), not failures.
print(1e99 + " " + (-1e99) + " " + 1e-99 + " " + "1e99".tofloat() + " " + "-1e400".tofloat() + " " + "1e-400".tofloat() + "\n");
