// throw any value; catch receives it unchanged.
foreach (value in ["text", 42, { code = 7 }, null]) {
    try {
        throw value;
    } catch (e) {
        print(typeof e + " ");
    }
}
print("\n");

// Errors raised by the VM and by natives are catchable, with their messages.
local cases = [
    @() 1 / 0,
    @() 1 % 0,
    @() null.field,
    @() undefinedName,
    @() [1, 2][5],
    @() "s" - 1,
    @() {}.nokey,
    @() [].pop(),
    @() array(-1),
    @() array(1 << 30),
    @() "abc".slice(5),
    @() [1].insert(9, 0),
    @() (function(a) {})(),
    @() print.call(),
    @() "x".find(1),
    @() ~1.5,
    @() 5(),
    @() assert(1 == 2),
    @() assert(false, "custom message"),
    @() class extends 5 {},
    @() [1].remove(1),
    @() [].top(),
    @() [1].resize(-1),
    @() 6 & 1.5,
    @() 1.5 << 1,
    @() newthread(print).wakeup(),
    @() compilestring("return '';"),
    @() compilestring("return 'ab';"),
    @() compilestring("class {}"),
    @() compilestring("return 019;"),
];
foreach (i, f in cases) {
    try {
        f();
        print(i + ": no error\n");
    } catch (e) {
        print(i + ": " + e + "\n");
    }
}

// A thread that calls itself while it runs.
local selfCaller = null;
selfCaller = newthread(function() {
    try { selfCaller.call(); } catch (e) { return e; }
});
print(selfCaller.call() + "\n");

// Nested try blocks: the innermost catches; rethrow reaches the outer one.
try {
    try {
        throw "inner";
    } catch (e) {
        print("caught " + e + "\n");
        throw "rethrown " + e;
    }
} catch (e) {
    print("outer caught " + e + "\n");
}

// Unwinding through calls, locals restored, loops continue after a catch.
function thrower(depth) {
    if (depth == 0) throw "deep";
    local pad = depth;
    return thrower(depth - 1) + pad;
}
local survived = 0;
for (local i = 0; i < 3; i++) {
    try {
        thrower(5);
    } catch (e) {
        survived++;
    }
}
print("survived " + survived + "\n");

// break and continue leave a try block cleanly; return from inside try.
local seen = "";
foreach (v in [1, 2, 3, 4]) {
    try {
        if (v == 2) continue;
        if (v == 4) break;
        seen += v;
    } catch (e) {
    }
}
print(seen + "\n");
function early() {
    try {
        return "returned";
    } catch (e) {
        return "caught";
    }
}
print(early() + "\n");
try { throw "after return"; } catch (e) { print(e + "\n"); }

// Errors inside natives that call back into script (sort comparator, map, call).
try { [3, 1, 2].sort(function(a, b) { throw "in comparator"; }); } catch (e) { print(e + "\n"); }
try { [1].map(@(x) x.nothing); } catch (e) { print(e + "\n"); }
try { (function() { throw "pcall error"; }).pcall(this); } catch (e) { print("pcall: " + e + "\n"); }

// An error in a class constructor, and catch variables scoped to their block.
class Fails { constructor() { throw "cannot construct"; } }
try { Fails(); } catch (e) { print(e + "\n"); }
local e = "outer e";
try { throw "x"; } catch (e) { }
print(e + "\n");

// Compile errors from compilestring are catchable runtime errors.
try { compilestring("local = ;"); } catch (err) { print("compile: " + err + "\n"); }
local ok = compilestring("return 6 * 7;");
print(ok() + "\n");

// getstackinfos from inside nested calls.
function where() {
    local info = getstackinfos(1), up = getstackinfos(2);
    return info.func + " " + (info.src.find("exceptions.nut") != null) + " " + up.func + " " + up.locals.marker + " " + up.line;
}
function caller() { local marker = 1; local text = where(); return text; }
print(caller() + "\n");
// `return f()` is a tail call: the caller's frame is gone by the time f runs.
function whoCalled() { local info = getstackinfos(2); return info.func; }
function tailCaller() { return whoCalled(); }
function plainCaller() { local name = whoCalled(); return name; }
print(tailCaller() + " " + plainCaller() + "\n");
