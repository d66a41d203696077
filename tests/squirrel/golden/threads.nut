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
local deep = newthread(function(n) { local function f(k) { return k == 0 ? 0 : 1 + f(k - 1); } return f(n); });
print(deep.call(500) + " ");
try { deep.call(1000000); } catch (e) { print(e + " "); }
print(deep.getstatus() + " " + deep.call(5) + "\n");
