#include "squirrel/squirrel.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

// The script language's interpreter on the workloads of bench/squirrel/*.nut, scaled down;
// bench/squirrel/compare.sh times the full-size scripts against lua5.4.

namespace {

void IgnorePrint(HSQUIRRELVM, const SQChar*, ...) {}

SQInteger MaskedAdd(HSQUIRRELVM v) {
    SQInteger a, b;
    sq_getinteger(v, 2, &a);
    sq_getinteger(v, 3, &b);
    sq_pushinteger(v, a + b);
    return 1;
}

// Compiles the script once, then runs it once per iteration.
void RunScript(benchmark::State& state, const char* source) {
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, IgnorePrint, IgnorePrint);
    sq_pushroottable(v);
    sq_pushstring(v, "maskedAdd", -1);
    sq_newclosure(v, MaskedAdd, 0);
    sq_setparamscheck(v, 3, ".ii");
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    if (SQ_FAILED(sq_compilebuffer(v, source, (SQInteger)strlen(source), "bench", SQTrue))) {
        state.SkipWithError("compile error");
        sq_close(v);
        return;
    }
    for (auto _ : state) {
        sq_push(v, -1);
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse))) state.SkipWithError("runtime error");
        sq_pop(v, 1);
    }
    sq_close(v);
}

void BM_SquirrelFib(benchmark::State& state) {
    RunScript(state, "function fib(n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); } fib(27);");
}

void BM_SquirrelIntegerLoop(benchmark::State& state) {
    RunScript(state, "local sum = 0; for (local i = 0; i < 3000000; i++) sum += i & 7;");
}

void BM_SquirrelMethodCalls(benchmark::State& state) {
    RunScript(state,
              "class Counter { n = 0; function inc(k) { n += k; return n; } }"
              "local c = Counter(); for (local i = 0; i < 500000; i++) c.inc(1);");
}

void BM_SquirrelTableStringKeys(benchmark::State& state) {
    RunScript(state,
              "local keys = []; for (local i = 0; i < 1000; i++) keys.append(\"key\" + i);"
              "local t = {}; foreach (k in keys) t[k] <- 0; local sum = 0;"
              "for (local r = 0; r < 100; r++) foreach (k in keys) { t[k] = r; sum += t[k]; }");
}

void BM_SquirrelStringConcat(benchmark::State& state) {
    RunScript(state, "local s = \"\"; for (local i = 0; i < 20000; i++) s += \"x\";");
}

void BM_SquirrelMaskedNative(benchmark::State& state) {
    RunScript(state, "local sum = 0; for (local i = 0; i < 100000; i++) sum += maskedAdd(i, 1);");
}

}  // namespace

BENCHMARK(BM_SquirrelFib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquirrelIntegerLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquirrelMethodCalls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquirrelTableStringKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquirrelStringConcat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquirrelMaskedNative)->Unit(benchmark::kMillisecond);
