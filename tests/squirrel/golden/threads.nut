// Threads: call, suspend, wakeup and status; errors inside a thread reach the caller.
function worker(a, b) {
    print("start " + a + " " + b + "\n");
    local x = suspend(a + b);
    print("woke with " + x + "\n");
    local y = suspend("second");
    print("woke again with " + y + "\n");
    return "done";
}
local t = newthread(worker);
print(t.getstatus() + "\n");
print("call returned " + t.call(1, 2) + "\n");
print(t.getstatus() + "\n");
print("wakeup returned " + t.wakeup("A") + "\n");
print("wakeup returned " + t.wakeup("B") + "\n");
print(t.getstatus() + "\n");
print("again " + t.call(10, 20) + "\n");
print(t.wakeup(1) + " " + t.wakeup(2) + "\n");
try { t.wakeup(); } catch (e) { print(e + "\n"); }
local counting = newthread(function() { for (local i = 0; i < 3; i++) suspend(i); return "end"; });
local out = [counting.call()];
while (counting.getstatus() == "suspended") out.append(counting.wakeup());
foreach (v in out) print(v + " ");
print("\n");
local failing = newthread(function() { suspend(1); throw "thread error"; });
failing.call();
try { failing.wakeup(); } catch (e) { print("caught " + e + " " + failing.getstatus() + "\n"); }
print(suspend("ignored in main") + "\n");

// Threads share the root table of their VM.
sharedCounter <- 0;
local bump = newthread(function(n) { for (local i = 0; i < n; i++) { ::sharedCounter++; suspend(::sharedCounter); } });
bump.call(3);
bump.wakeup();
print(sharedCounter + " " + bump.getstatus() + "\n");

// Generators inside a thread, and a thread started from a method.
class Job {
    steps = null;
    constructor() { steps = []; }
    function run() {
        foreach (v in gen()) { steps.append(v); suspend(v); }
        return steps.len();
    }
    function gen() { yield "a"; yield "b"; }
}
local job = Job();
local jt = newthread(job.run.bindenv(job));
local results = [jt.call()];
while (jt.getstatus() == "suspended") results.append(jt.wakeup());
foreach (r in results) print(r + " ");
print("\n");

// Deep recursion inside a thread is a catchable error; the thread stays usable.
local deep = newthread(function(n) { local f = null; f = function(k) { return k == 0 ? 0 : 1 + f(k - 1); }; return f(n); });
print(deep.call(500) + " ");
try { deep.call(1000000); } catch (e) { print(e + " "); }
print(deep.getstatus() + " " + deep.call(5) + "\n");

// Suspending from nested script calls keeps every frame of the thread.
function inner(depth) {
    if (depth == 0) return suspend("deep") + "!";
    return inner(depth - 1) + depth;
}
local nested = newthread(function() { return "result " + inner(3); });
print(nested.call() + " " + nested.getstatus() + " ");
print(nested.wakeup("up") + " " + nested.getstatus() + "\n");

// A thread sees itself running; suspend() without a value hands back null.
local me = null;
me = newthread(function() {
    print("inside: " + me.getstatus() + "\n");
    local got = suspend();
    return "got " + got;
});
print("suspended with " + me.call() + "\n");
print(me.wakeup() + "\n");

// States that pass control by tail calls, resumed more times than the stack has frames.
function state1() { suspend("state1"); return state2(); }
function state2() { suspend("state2"); return state3(); }
function state3() { suspend("state3"); return state1(); }
local machine = newthread(state1);
local seen = [machine.call()];
for (local i = 0; i < 20000; i++) seen.append(machine.wakeup());
print(seen[0] + " " + seen[1] + " " + seen[2] + " " + seen[19999] + " " + seen[20000] + "\n");

// A thread started from inside another thread.
local outerThread = newthread(function() {
    local innerThread = newthread(function(x) { local y = suspend(x * 2); return y + 1; });
    local first = innerThread.call(5);
    local back = suspend(first);
    return innerThread.wakeup(back);
});
local step = outerThread.call();
print(step + " " + outerThread.wakeup(step + 100) + "\n");

// A generator that a thread resumes suspends the thread, as a plain function it runs does.
function suspendingGenerator() {
    yield "first";
    local back = suspend("from generator");
    yield back;
}
local genThread = newthread(function() {
    local g = suspendingGenerator();
    local a = resume g;
    local b = resume g;
    return a + " " + b;
});
print(genThread.call() + " ");
print(genThread.wakeup("woken") + " " + genThread.getstatus() + "\n");
// So does one that foreach drives: the wakeup value lands in the generator, and the loop goes
// on where it stopped. An error inside a nested generator still reaches the thread's catch.
function pausingGenerator(fail) {
    yield "before";
    local back = suspend("paused");
    yield "after " + back;
    foreach (v in pausingGenerator2(fail)) yield v;
    return "dropped";
}
function pausingGenerator2(fail) {
    local again = suspend("paused again");
    if (fail) throw "failed " + again;
    yield again;
}
function foreachThread(fail) {
    return newthread(function() {
        local g = pausingGenerator(fail);
        local seen = "";
        try {
            foreach (i, v in g) seen += i + ":" + v + " ";
        } catch (e) {
            seen += "caught " + e + " ";
        }
        return seen + g.getstatus();
    });
}
foreach (fail in [false, true]) {
    local ft = foreachThread(fail);
    print(ft.call() + " ");
    print(ft.wakeup("w1") + " " + ft.getstatus() + " ");
    print(ft.wakeup("w2") + " " + ft.getstatus() + "\n");
}
// A generator whose thread is dropped while suspended inside it can never go on: it is dead,
// whether foreach or resume drove it.
::heldByForeach <- pausingGenerator(false);
::heldByResume <- pausingGenerator(false);
local dropped = [newthread(function() { foreach (v in ::heldByForeach) {} }),
                 newthread(function() { resume ::heldByResume; resume ::heldByResume; })];
foreach (t in dropped) t.call();
print(heldByForeach.getstatus() + " " + heldByResume.getstatus() + " ");
dropped = null;
print(heldByForeach.getstatus() + " " + heldByResume.getstatus() + " ");
try { resume heldByForeach; } catch (e) { print(e + "\n"); }

// Suspending through a native call or a metamethod fails inside the thread.
local viaNative = newthread(function() {
    try { [1].apply(function(x) { return suspend(x); }); } catch (e) { return "native: " + e; }
});
local withMeta = class { function _get(key) { return ::suspend(key); } };
local viaMeta = newthread(function() {
    try { return withMeta().missing; } catch (e) { return "metamethod: " + e; }
});
print(viaNative.call() + "\n" + viaMeta.call() + "\n");
// Nor inside a constructor or an operator metamethod.
local suspendsInside = class {
    constructor(v) { if (v) ::suspend(v); }
    function _add(o) { return ::suspend(o); }
};
local viaConstructor = newthread(function() {
    try { return suspendsInside(1); } catch (e) { return "constructor: " + e; }
});
local viaOperator = newthread(function() {
    try { return suspendsInside(0) + 1; } catch (e) { return "operator: " + e; }
});
print(viaConstructor.call() + "\n" + viaOperator.call() + "\n");

// getstackinfos of a suspended thread: its frames from the innermost, null past the outermost.
function worker(n) {
    local twice = n * 2;
    suspend(twice);
}
local traced = newthread(function(n) { worker(n); return 0; });
traced.call(4);
local top = traced.getstackinfos(0), next = traced.getstackinfos(1);
print(top.func + " " + top.line + " " + top.locals.twice + " " + top.locals.n + " " + next.line + " "
      + traced.getstackinfos(2) + " " + newthread(worker).getstackinfos(0) + "\n");
// `locals` holds `this` too.
print(("this" in top.locals) + " " + ("this" in next.locals) + " " + ("this" in getstackinfos(1).locals) + "\n");
