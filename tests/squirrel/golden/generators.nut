// Generators: resume until dead, foreach over a generator, status, errors, and `this`.
function geny(n) {
    for (local i = 1; i <= n; i += 1) yield i;
    return null;
}
local gtor = geny(4);
local x;
while (x = resume gtor) print(x + " ");
print(gtor.getstatus() + "\n");
try { resume gtor; } catch (e) { print(e + "\n"); }

// foreach resumes until the generator returns; the returned value is ignored.
function counted() {
    yield "a";
    yield "b";
    return "ignored";
}
foreach (i, v in counted()) print(i + ":" + v + " ");
print("\n");

// Yield without a value gives null; the generator starts suspended.
function plain() {
    yield;
    yield 7;
}
local p = plain();
print(p.getstatus() + " " + (resume p) + " " + (resume p) + " " + (resume p) + " " + p.getstatus() + "\n");

// Locals, outers and try blocks survive a yield.
function stateful() {
    local total = 0;
    local add = function(n) { total += n; return total; };
    try {
        yield add(1);
        yield add(10);
        throw "inside";
    } catch (e) {
        yield e + " " + add(100);
    }
}
foreach (v in stateful()) print(v + " ");
print("\n");

// A running generator reports "running" and cannot resume itself.
local self = null;
function selfish() {
    yield self.getstatus();
    try { resume self; } catch (e) { yield e; }
}
self = selfish();
print((resume self) + " / " + (resume self) + "\n");

// An error inside kills the generator.
function failing() {
    yield 1;
    throw "broken";
}
local f = failing();
resume f;
try { resume f; } catch (e) { print("caught " + e + ", now " + f.getstatus() + "\n"); }
// Also under foreach: the error reaches the catch around the loop, and the dead generator
// gives a later loop no step. A generator that only the loop or `resume` holds dies with the
// frames the error leaves, and null thrown from one inside a _get is still a clean miss.
local seen = "";
f = failing();
try { foreach (v in f) seen += v + " "; } catch (e) { seen += "caught " + e + ", now " + f.getstatus(); }
foreach (v in f) seen += " again " + v;
print(seen + "\n");
function throwing(error) {
    if (error != "late") throw error;
    yield 1;
    throw error;
}
try { foreach (v in throwing("late")) print(v + " "); } catch (e) { print("caught " + e + " "); }
try { resume throwing("early"); } catch (e) { print("caught " + e + "\n"); }
class Missing {
    function _get(key) {
        foreach (v in ::throwing(null)) return v;
    }
}
try { Missing().absent; } catch (e) { print(e + "\n"); }

// Nested generators.
function outer() {
    foreach (v in geny(2)) yield "o" + v;
}
foreach (v in outer()) print(v + " ");
print("\n");
// foreach nests generators as deep as plain calls nest, beyond the limit of nested native calls.
function nested(n) {
    if (n > 0) foreach (v in nested(n - 1)) yield v;
    yield n;
}
local total = 0;
foreach (v in nested(1000)) total += v;
print(total + "\n");

// A method generator sees its object, which it keeps alive: a generator made from a temporary
// object still reads its members, and an object that keeps its own generator is a cycle for
// the collector.
class Walker {
    items = null;
    gen = null;
    constructor() { items = [3, 4]; gen = walk(); }
    function walk() {
        foreach (v in items) yield v * 10;
    }
}
local w = Walker();
print((resume w.gen) + " " + (resume w.gen) + "\n");
foreach (v in Walker().walk()) print(v + " ");
print("\n");
local ww = w.weakref();
w = null;
print("walker alive: " + (ww.ref() != null) + ", collected: " + collectgarbage() + ", gone: " + (ww.ref() == null) + "\n");

// Arguments and defaults are bound at the call, before the first resume.
function withDefault(a, b = 5) {
    yield a + b;
}
function withVarargs(a, ...) {
    yield a + vargv.len();
}
print((resume withDefault(1)) + " " + (resume withDefault(1, 2)) + " " + (resume withVarargs(1, 2, 3)) + "\n");
