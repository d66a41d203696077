// Declarations, default parameters, varargs and recursion.
function add(a, b = 10, c = 100) { return a + b + c; }
print(add(1) + " " + add(1, 2) + " " + add(1, 2, 3) + "\n");
function count(first, ...) {
    local s = first + ":" + vargv.len();
    foreach (v in vargv) s += " " + v;
    return s;
}
print(count(1) + " | " + count(1, "a", "b") + "\n");
function fact(n) { return n <= 1 ? 1 : n * fact(n - 1); }
print(fact(10) + "\n");
try { add(); } catch (e) { print(e + "\n"); }
try { fact(1, 2); } catch (e) { print(e + "\n"); }

// Lambdas, function expressions and functions as values.
local square = @(x) x * x;
local twice = function(f, v) { return f(f(v)); };
print(twice(square, 3) + " " + [1, 2, 3].map(@(x) x + 1).len() + "\n");

// Closures capture variables, not values, and share them.
function counter() {
    local n = 0;
    return { inc = function() { return ++n; }, get = @() n };
}
local c1 = counter(), c2 = counter();
c1.inc(); c1.inc(); c2.inc();
print(c1.get() + " " + c2.get() + "\n");
local x = 1;
local getx = @() x;
x = 2;
print(getx() + "\n");
function outerFn() {
    local a = 1;
    local inner = function() {
        local deeper = function() { return ++a; };
        return deeper();
    };
    inner();
    return inner() + a;
}
print(outerFn() + "\n");
local adders = [];
for (local i = 0; i < 3; i++) {
    local j = i;
    adders.append(@(v) v + j);
}
print(adders[0](10) + " " + adders[1](10) + " " + adders[2](10) + "\n");

// A local function's name is declared after its body: inside, the name is the outer one, so a
// local wrapper calls the global it shadows. Nested function declarations go to `this`.
function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }
local function fib(n) { return "local " + fib(n); }
print(fib(15) + "\n");
local function selfless() { return selfless(); }
try { selfless(); } catch (e) print(e + "\n");
function makeGlobal() { function madeInside() { return "inside"; } }
makeGlobal();
print(madeInside() + "\n");

// this, call/pcall/acall, bindenv and free names resolved through this then the root table.
local obj = { name = "obj", function who() { return name; } };
print(obj.who() + " " + obj.who.call({ name = "other" }) + " " + obj.who.acall([{ name = "arr" }]) + "\n");
local boundEnv = { name = "bound" };
local bound = obj.who.bindenv(boundEnv);
print(bound() + " " + bound.call(obj) + "\n");
rootName <- "from root";
local env = { function look() { return rootName; } };
print(env.look() + "\n");

// A bound environment holds in tail position too, even when only the caller's locals kept it;
// once the environment has died, `this` is null.
function callBoundInTail() {
    local keeper = { name = "tail" };
    local f = obj.who.bindenv(keeper);
    return f();
}
local probeThis = function() { return this; };
local orphan = probeThis.bindenv({ name = "short-lived" });
print(callBoundInTail() + " " + orphan() + "\n");
// function[env] binds as bindenv does; the environment must be a table, class or instance.
local literalEnv = { name = "literal" };
local fromLiteral = function[literalEnv](suffix) { return name + suffix; };
print(fromLiteral("!") + " " + fromLiteral.call({ name = "ignored" }, "?") + "\n");
try { local bad = function[1]() {}; } catch (e) print(e + "\n");

// Defaults are evaluated when the closure is created.
local start = 5;
local withDefault = function(v = start * 2) { return v; };
start = 100;
print(withDefault() + "\n");

// getinfos, callee and recursion depth.
local infos = add.getinfos();
print(infos.name + " " + infos.parameters.len() + " " + infos.defparams.len() + " " + infos.native + "\n");
print(print.getinfos().native + "\n");
function selfRef() { return callee() == selfRef; }
print(selfRef() + "\n");
function deep(n) { return n == 0 ? 0 : 1 + deep(n - 1); }
print(deep(5000) + "\n");
function forever(n) { return forever(n + 1) + 1; }
try { forever(0); } catch (e) { print(e + "\n"); }

// Generators: yield, resume, foreach and status.
function range(n) {
    for (local i = 0; i < n; i++) yield i * i;
}
foreach (i, v in range(4)) print(i + "->" + v + " ");
print("\n");
local g = range(2);
print(g.getstatus() + " " + resume g + " " + resume g + " ");
resume g;
print(g.getstatus() + "\n");
try { resume g; } catch (e) { print(e + "\n"); }
// Closures over a generator's locals share them across yields, and keep them when it dies.
function counterGen() {
    local n = 0;
    local get = @() n;
    local set = function(v) { n = v; };
    yield get;
    n = 10;
    yield set;
    yield n;
    n++;
    yield get();
}
local g = counterGen();
local get = resume g;
print(get() + "\n");
local set = resume g;
print(get() + "\n");
set(42);
print((resume g) + " " + (resume g) + " " + get() + "\n");
local h = counterGen();
local get2 = resume h;
h = null;
print(get2() + "\n");
// A try block spanning a yield still catches errors raised after the generator resumes.
function guarded() {
    try {
        yield 1;
        throw "after resume";
    } catch (e) {
        yield "caught " + e;
    }
    yield "end";
}
foreach (v in guarded()) print(v + "\n");
function nested() {
    for (local i = 0; i < 2; i++) {
        try { yield i; if (i == 1) throw "boom"; } catch (e) { yield e; }
    }
}
foreach (v in nested()) print(v + " ");
print("\n");

// Tail calls run in constant stack, also through outers and varargs; inside try they do not.
function countDown(n) {
    if (n == 0) return "landed";
    local step = function() { return n; };
    return countDown(step() - 1);
}
function bounce(n, ...) { return n == 0 ? vargv.len() : bounce(n - 1, n, n); }
print(countDown(100000) + " " + bounce(50000) + "\n");
function guardedDepth(n) {
    try { return n == 0 ? 0 : guardedDepth(n - 1); } catch (e) { throw e; }
}
try { guardedDepth(100000); } catch (e) { print("guarded: " + e + "\n"); }

// The debug hook's call event gives the line where the function is declared.
local callLines = [];
function hooked(a) {
    return a;
}
setdebughook(function(type, src, line, name) { if (type == 'c' && name == "hooked") callLines.append(line); });
hooked(1);
setdebughook(null);
print("call event at line " + callLines[0] + "\n");
