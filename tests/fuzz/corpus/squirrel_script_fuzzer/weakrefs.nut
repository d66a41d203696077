// Weak references: containers hand out the target, locals keep the reference itself, and the
// reference becomes null when its target dies.
local t = {};
local a = ["first", "second", "third"];
t.thearray <- a.weakref();
print(t.thearray[0] + " " + typeof t.thearray + "\n");
a = 123;
print(typeof t.thearray + "\n");

local obj = {};
local weakobj = obj.weakref();
print(typeof weakobj + " " + typeof weakobj.ref() + " " + (weakobj.ref() == obj) + "\n");
print("same reference: " + (obj.weakref() == weakobj) + "\n");
obj = null;
print("after death: " + weakobj.ref() + " " + typeof weakobj + "\n");

// Values passed by value return themselves.
print(typeof (5).weakref() + " " + typeof (1.5).weakref() + " " + typeof true.weakref() + "\n");
print(typeof "text".weakref() + "\n");

// Every container type dereferences on fetch.
class Holder {
    slot = null;
    static shared = [];
}
local target = {name = "target"};
local h = Holder();
h.slot = target.weakref();
local arr = [target.weakref()];
Holder.shared.append(target.weakref());
print(h.slot.name + " " + arr[0].name + " " + Holder.shared[0].name + "\n");
foreach (v in arr) print("foreach sees " + typeof v + "\n");
foreach (k, v in {w = target.weakref()}) print("table foreach sees " + typeof v + "\n");
target = null;
print(h.slot + " " + arr[0] + " " + Holder.shared[0] + "\n");

// Weak references to functions, classes, instances, threads and generators.
local kinds = [function() {}, Holder, Holder(), newthread(function() {}), (function() { yield 1; })()];
foreach (k in kinds) {
    local w = k.weakref();
    print(typeof w.ref() + " ");
}
print("\n");
local refs = [];
foreach (k in kinds) refs.append(k.weakref());
kinds = null;
foreach (r in refs) print((r == null) + " ");  // the array hands out the (dead) targets
print("\n");

// A weak reference does not keep a cycle alive, and dies with it.
local cycle = {};
cycle.self <- cycle;
cycle.back <- cycle.weakref();
local wc = cycle.weakref();
cycle = null;
print("in cycle: " + typeof wc.ref() + ", freed " + collectgarbage() + ", then " + wc.ref() + "\n");

// A weak reference as a table key stays the reference itself.
local key = {};
local keyed = {};
keyed[key.weakref()] <- 1;
foreach (k, v in keyed) print("key " + typeof k + "\n");
