// Cycle collection: collectgarbage() frees unreachable cycles and returns how many objects it
// freed; whatever the roots reach survives.
print("nothing to free: " + collectgarbage() + "\n");

// A large cycle of table pairs gives its memory back.
local function makePairs(count) {
    for (local i = 0; i < count; i++) {
        local a = {};
        local b = {peer = a};
        a.peer <- b;
    }
}
makePairs(10);
print("warm-up pairs freed: " + collectgarbage() + "\n");
local before = liveBytes();
makePairs(100000);
local grown = liveBytes() - before;
local freed = collectgarbage();
local after = liveBytes();
print("pairs freed: " + freed + "\n");
print("grew: " + (grown > 100000 * 100) + ", back to the earlier level: " + (after == before) + "\n");

// Each kind of container in a cycle.
local arr = [];
arr.append(arr);
arr = null;
print("array: " + collectgarbage() + "\n");

class Node {
    next = null;
    callback = null;
}
local n = Node();
n.next = Node();
n.next.next = n;
n = null;
print("instances: " + collectgarbage() + "\n");

// The closure's outer is still open on this frame's slot, which keeps the table.
local holder = {};
holder.fn <- function() { return holder; };
print("closure over a live slot: " + collectgarbage() + " " + (holder.fn() == holder) + "\n");
holder = null;

local function makeCycle() {
    local t = {};
    t.fn <- function() { return t; };
    return t.fn;
}
makeCycle();
print("closure over a closed outer: " + collectgarbage() + "\n");

class Meta {
    static registry = [];
}
Meta.registry.append(Meta);
Meta = null;
print("class holding itself: " + collectgarbage() + "\n");

local function gen() {
    local box = {};
    yield box;
    yield 2;
}
local g = gen();
local box = resume g;
box.gen <- g;
g = null;
box = null;
print("generator: " + collectgarbage() + "\n");

local t = newthread(function(self) {
    suspend(1);
});
t.call(t);
t = null;
print("suspended thread holding itself: " + collectgarbage() + "\n");

// Roots: the root table, the const table, the registry (from C), locals of every frame and
// of suspended threads.
rooted <- {};
rooted.self <- rooted;
local local_cycle = [];
local_cycle.append(local_cycle);
local parked = newthread(function() {
    local mine = {};
    mine.self <- mine;
    local got = suspend("parked");
    return mine.self == mine;
});
parked.call();
print("roots kept: " + collectgarbage() + "\n");
print("still there: " + (rooted.self == rooted) + " " + (local_cycle[0] == local_cycle) + " " + parked.wakeup() + "\n");
delete rooted.self;

// A weak reference into a collected cycle becomes null.
local a = {};
a.self <- a;
local w = a.weakref();
a = null;
print("weak before: " + typeof w.ref() + "\n");
print("freed: " + collectgarbage() + ", weak after: " + w.ref() + "\n");

// Release hooks run once, when the cycle is collected.
local withNative = {v = NVec(1, 2)};
withNative.self <- withNative;
withNative = null;
print("with a native instance: " + collectgarbage() + "\n");
print("again: " + collectgarbage() + "\n");

// resurrectunreachable hands the garbage back instead of freeing it.
local c = [];
c.append(c);
c = null;
local found = resurrectunreachable();
print("resurrected: " + found.len() + " " + typeof found[0] + " " + (found[0][0] == found[0]) + "\n");
found = null;
print("then freed: " + collectgarbage() + "\n");
print("none left: " + resurrectunreachable() + "\n");

// A cycle left at the end is freed by the VM's close (its hook runs then).
local last = {v = NVec(3, 4)};
last.self <- last;
