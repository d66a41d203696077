#include "SquirrelFixture.h"

#include "squirrel/sqvm.h"

#include <cstring>

#include <string>
#include <vector>

namespace {

struct CompileErrorRecord {
    std::string desc;
    std::string source;
    SQInteger line = 0;
    SQInteger column = 0;
    int count = 0;
};
CompileErrorRecord compileError;

void RecordCompileError(HSQUIRRELVM, const SQChar* desc, const SQChar* source, SQInteger line, SQInteger column) {
    compileError.desc = desc;
    compileError.source = source;
    compileError.line = line;
    compileError.column = column;
    ++compileError.count;
}

std::vector<std::string> handledErrors;

SQInteger RecordRuntimeError(HSQUIRRELVM v) {
    const SQChar* text = "?";
    sq_getstring(v, 2, &text);
    handledErrors.push_back(text);
    return 0;
}

SQInteger NativeAdd(HSQUIRRELVM v) {
    SQInteger a, b;
    sq_getinteger(v, 2, &a);
    sq_getinteger(v, 3, &b);
    sq_pushinteger(v, a + b);
    return 1;
}

SQInteger NativeFails(HSQUIRRELVM v) { return sq_throwerror(v, "native failure"); }

SQInteger NativeTop(HSQUIRRELVM v) {
    sq_pushinteger(v, sq_gettop(v));
    return 1;
}

SQInteger NativeFreeVariable(HSQUIRRELVM v) {
    // The free variable follows the arguments on the stack.
    sq_push(v, sq_gettop(v));
    return 1;
}

// Calls its argument back; used to nest script -> native -> script.
SQInteger NativeCallBack(HSQUIRRELVM v) {
    sq_push(v, 2);
    sq_pushroottable(v);
    if (SQ_FAILED(sq_call(v, 1, SQTrue, SQTrue))) return SQ_ERROR;
    return 1;
}

void Register(HSQUIRRELVM v, const char* name, SQFUNCTION f, SQInteger nparams, const char* mask) {
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    sq_newclosure(v, f, 0);
    if (nparams != 0 || mask) {
        EXPECT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, nparams, mask)));
    }
    sq_setnativeclosurename(v, -1, name);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
}

}  // namespace

class ApiCallTest : public SquirrelFixture {
protected:
    void SetUp() override {
        SquirrelFixture::SetUp();
        compileError = {};
        handledErrors.clear();
        sq_setcompilererrorhandler(v, RecordCompileError);
        sq_newclosure(v, RecordRuntimeError, 0);
        sq_seterrorhandler(v);
    }
};

TEST_F(ApiCallTest, CallLeavesTheClosureAndPushesTheResult) {
    ASSERT_TRUE(Run("function mul(a, b) { return a * b; }"));
    sq_pushroottable(v);
    sq_pushstring(v, "mul", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pushroottable(v);
    sq_pushinteger(v, 6);
    sq_pushinteger(v, 7);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 3, SQTrue, SQTrue)));
    SQInteger r;
    sq_getinteger(v, -1, &r);
    EXPECT_EQ(r, 42);
    EXPECT_EQ(sq_gettop(v), 3);  // root, mul, result
    sq_pop(v, 1);
    sq_pushroottable(v);
    sq_pushinteger(v, 1);
    sq_pushinteger(v, 2);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 3, SQFalse, SQTrue)));
    EXPECT_EQ(sq_gettop(v), 2);
    EXPECT_EQ(sq_getvmstate(v), SQ_VMSTATE_IDLE);
}

TEST_F(ApiCallTest, FailedCallPopsArgumentsAndSetsLastError) {
    ASSERT_TRUE(Run("function boom(x) { throw \"boom \" + x; }"));
    sq_pushroottable(v);
    sq_pushstring(v, "boom", -1);
    sq_get(v, -2);
    sq_pushroottable(v);
    sq_pushinteger(v, 3);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 2, SQTrue, SQFalse)));
    EXPECT_EQ(sq_gettop(v), 2);
    EXPECT_EQ(LastError(), "boom 3");
    EXPECT_TRUE(handledErrors.empty());
    sq_pushroottable(v);
    sq_pushinteger(v, 4);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 2, SQTrue, SQTrue)));
    ASSERT_EQ(handledErrors.size(), 1u);
    EXPECT_EQ(handledErrors[0], "boom 4");
}

TEST_F(ApiCallTest, ParameterMasksAndTheirMessages) {
    Register(v, "add", NativeAdd, 3, ".nn");
    Register(v, "atLeastTwo", NativeTop, -2, nullptr);
    Register(v, "inferred", NativeTop, SQ_MATCHTYPEMASKSTRING, ".s|t");
    Register(v, "any", NativeTop, 0, nullptr);
    ASSERT_TRUE(Run("print(add(2, 3.5) + \" \" + atLeastTwo(1, 2, 3) + \" \" + inferred({}) + \" \" + any());"));
    EXPECT_EQ(printed, "5 4 2 1");
    struct Case {
        const char* script;
        const char* error;
    } cases[] = {
        {"add(1)", "wrong number of parameters"},
        {"add(1, 2, 3)", "wrong number of parameters"},
        {"add(1, \"x\")", "parameter 2 has an invalid type 'string' ; expected: 'integer|float'"},
        {"atLeastTwo()", "wrong number of parameters"},
        {"inferred(1)", "parameter 1 has an invalid type 'integer' ; expected: 'string|table'"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Run(c.script)) << c.script;
        EXPECT_EQ(LastError(), c.error) << c.script;
    }
    sq_newclosure(v, NativeTop, 0);
    EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 1, "q")));
    EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 1, "|i")));
}

TEST_F(ApiCallTest, NativeErrorsAreCatchableAndHandledOnlyWhenUncaught) {
    Register(v, "fails", NativeFails, 0, nullptr);
    ASSERT_TRUE(Run("try { fails(); } catch (e) { print(\"caught \" + e); }"));
    EXPECT_EQ(printed, "caught native failure");
    EXPECT_TRUE(handledErrors.empty());
    EXPECT_FALSE(Run("fails();"));
    ASSERT_EQ(handledErrors.size(), 1u);
    EXPECT_EQ(handledErrors[0], "native failure");
}

// A call made with raiseerror reports the error that leaves it even when a try of an outer call
// catches it afterwards; an error crossing both calls is reported once.
TEST_F(ApiCallTest, ErrorHandlerRunsOnceAcrossNestedNativeCalls) {
    Register(v, "callback", NativeCallBack, 2, ".c");
    ASSERT_TRUE(Run("try { callback(function() { throw \"inner\"; }); } catch (e) { print(\"outer \" + e); }"));
    EXPECT_EQ(printed, "outer inner");
    ASSERT_EQ(handledErrors.size(), 1u);
    EXPECT_EQ(handledErrors[0], "inner");
    handledErrors.clear();
    EXPECT_FALSE(Run("callback(function() { throw \"uncaught\"; });"));
    ASSERT_EQ(handledErrors.size(), 1u);
    EXPECT_EQ(handledErrors[0], "uncaught");
}

TEST_F(ApiCallTest, CompileErrorsReachTheHandlerWithPosition) {
    const char* source = "local a = 1;\nlocal b = ;\n";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, source, (SQInteger)strlen(source), "broken.nut", SQTrue)));
    EXPECT_EQ(compileError.count, 1);
    EXPECT_EQ(compileError.source, "broken.nut");
    EXPECT_EQ(compileError.line, 2);
    EXPECT_EQ(compileError.column, 11);
    EXPECT_EQ(compileError.desc, "expression expected");
    EXPECT_EQ(LastError(), "expression expected");
    EXPECT_EQ(sq_gettop(v), 0);
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, "}", 1, "quiet", SQFalse)));
    EXPECT_EQ(compileError.count, 1);
}

TEST_F(ApiCallTest, SourceWithByteOrderMarkAndCrLf) {
    std::string source = "\xEF\xBB\xBFlocal a = 1\r\nlocal b = 2\r\nprint(a + b)\r\n";
    ASSERT_TRUE(Run(source));
    EXPECT_EQ(printed, "3");
}

TEST_F(ApiCallTest, EventStyleMethodCallWithInstanceAsThis) {
    ASSERT_TRUE(Run("class Listener { hits = 0; function OnEvent(n) { hits += n; return hits; } }"
                    "::listener <- Listener();"));
    sq_pushroottable(v);
    sq_pushstring(v, "listener", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    HSQOBJECT instance;
    sq_getstackobj(v, -1, &instance);
    sq_addref(v, &instance);
    sq_settop(v, 0);
    for (int n = 1; n <= 3; ++n) {
        sq_pushobject(v, instance);
        sq_pushstring(v, "OnEvent", -1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
        sq_pushobject(v, instance);
        sq_pushinteger(v, n);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 2, SQTrue, SQTrue)));
        SQInteger hits;
        sq_getinteger(v, -1, &hits);
        EXPECT_EQ(hits, n * (n + 1) / 2);
        sq_settop(v, 0);
    }
    sq_release(v, &instance);
}

TEST_F(ApiCallTest, NativeClosuresWithFreeVariablesAndEnvironment) {
    sq_pushroottable(v);
    sq_pushstring(v, "freevar", -1);
    sq_pushstring(v, "captured", -1);
    sq_newclosure(v, NativeFreeVariable, 1);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(Run("print(freevar(1, 2));"));
    EXPECT_EQ(printed, "captured");
    printed.clear();
    ASSERT_TRUE(Run("::env <- { x = 5 }; function getx() { return x; }"));
    sq_pushroottable(v);
    sq_pushstring(v, "getx", -1);
    sq_get(v, -2);
    sq_pushstring(v, "env", -1);
    sq_get(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_bindenv(v, -2)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    SQInteger x;
    sq_getinteger(v, -1, &x);
    EXPECT_EQ(x, 5);
}

TEST_F(ApiCallTest, DeepRecursionIsAScriptError) {
    EXPECT_FALSE(Run("function f(n) { return f(n + 1) + 1; } f(0);"));
    EXPECT_EQ(LastError(), "stack overflow");
    Register(v, "callback", NativeCallBack, 2, ".c");
    EXPECT_FALSE(Run("function g() { return callback(g); } g();"));
    EXPECT_EQ(LastError(), "stack overflow");
    ASSERT_TRUE(Run("print(\"still alive\");"));
    EXPECT_EQ(printed, "still alive");
}

TEST_F(ApiCallTest, LongChainsAndDeepNestingDoNotExhaustTheNativeStack) {
    ASSERT_TRUE(Run("local l = null; for (local i = 0; i < 200000; i++) l = { next = l }; l = null;"
                    "local a = null; for (local i = 0; i < 200000; i++) a = [a]; a = null;"));
    std::string nested = "return " + std::string(1000, '(') + "1" + std::string(1000, ')') + ";";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, nested.data(), (SQInteger)nested.size(), "nested", SQTrue)));
    EXPECT_EQ(compileError.desc, "script too deeply nested");
    std::string blocks = std::string(1000, '{') + std::string(1000, '}');
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, blocks.data(), (SQInteger)blocks.size(), "blocks", SQTrue)));
}

TEST_F(ApiCallTest, StackInfosAndCallee) {
    ASSERT_TRUE(Run("function inner() { local x = 1;\n return getstackinfos(1).line; }\nfunction outer() { return inner(); }\nprint(outer());"));
    EXPECT_EQ(printed, "2");
    SQStackInfos si;
    EXPECT_TRUE(SQ_FAILED(sq_stackinfos(v, 0, &si)));
}

TEST_F(ApiCallTest, ThrowObjectAndLastError) {
    sq_newtable(v);
    EXPECT_EQ(sq_throwobject(v), SQ_ERROR);
    sq_getlasterror(v);
    EXPECT_EQ(sq_gettype(v, -1), OT_TABLE);
    sq_pop(v, 1);
    sq_reseterror(v);
    sq_getlasterror(v);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    EXPECT_EQ(sq_suspendvm(v), SQ_SUSPEND_FLAG);
}

namespace {

std::vector<std::string> hookEvents;

void RecordHook(HSQUIRRELVM, SQInteger type, const SQChar*, SQInteger line, const SQChar* funcname) {
    hookEvents.push_back(std::string(1, (char)type) + ":" + (funcname ? funcname : "?") + ":" + std::to_string(line));
}

}  // namespace

TEST_F(ApiCallTest, NativeDebugHookSeesCallsReturnsAndLines) {
    hookEvents.clear();
    sq_enabledebuginfo(v, SQTrue);
    const char* source = "function f() {\n  return 1;\n}\nf();\n";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source, (SQInteger)strlen(source), "hooked", SQTrue)));
    sq_setnativedebughook(v, RecordHook);
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_setnativedebughook(v, nullptr);
    std::vector<std::string> expected = {"c:main:1", "l:main:1", "l:main:4", "c:f:1", "l:f:2", "r:f:2", "r:main:5"};
    EXPECT_EQ(hookEvents, expected);
}

namespace {

int linesLeft = 0;

void StopAfterSomeLines(HSQUIRRELVM vm, SQInteger type, const SQChar*, SQInteger, const SQChar*) {
    if (type == 'l' && --linesLeft < 0) vm->_stopRequest = true;
}

}  // namespace

// A host bounds a script's work through its line events: empty loop bodies report lines too,
// and the stop is an error that try blocks cannot hold back for long.
TEST_F(ApiCallTest, NativeDebugHookCanStopEndlessLoops) {
    sq_enabledebuginfo(v, SQTrue);
    sq_setnativedebughook(v, StopAfterSomeLines);
    for (const char* loop : {"while (true) {}", "for (;;) {}", "do {} while (1);", "local n = 0; while (1) { try { ++n; } catch (e) {} }",
                             "while (1) try { while (1) {} } catch (e) {}"}) {
        linesLeft = 1000;
        EXPECT_FALSE(Run(loop)) << loop;
        EXPECT_EQ(LastError(), "the script was stopped by its host") << loop;
    }
    sq_setnativedebughook(v, nullptr);
    EXPECT_TRUE(Run("print(\"after\");"));
}

TEST_F(ApiCallTest, ScriptDebugHookReceivesEvents) {
    ASSERT_TRUE(Run("::events <- [];"
                    "setdebughook(function(type, src, line, name) { ::events.append(type.tochar() + (name ? name : \"\")); });"
                    "function g() { return 2; } g(); setdebughook(null);"
                    "print(events.len() > 0 ? events.find(\"cg\") != null && events.find(\"rg\") != null : false);"));
    EXPECT_EQ(printed, "true");
}

namespace {

SQInteger NativePause(HSQUIRRELVM v) {
    sq_pushstring(v, "paused", -1);
    return sq_suspendvm(v);
}

}  // namespace

TEST_F(ApiCallTest, NativeReturningSuspendPausesAThreadOnly) {
    Register(v, "pause", NativePause, 0, nullptr);
    ASSERT_TRUE(Run("::th <- newthread(function() { local w = pause(); return w * 2; });"
                    "::first <- th.call(); ::state <- th.getstatus();"));
    sq_pushroottable(v);
    sq_pushstring(v, "th", -1);
    sq_get(v, -2);
    HSQUIRRELVM thread = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getthread(v, -1, &thread)));
    EXPECT_EQ(sq_getvmstate(thread), SQ_VMSTATE_SUSPENDED);
    sq_settop(v, 0);
    ASSERT_TRUE(Run("print(first + \" \" + state + \" \" + th.wakeup(21) + \" \" + th.getstatus() + \" \" + pause());"));
    EXPECT_EQ(printed, "paused suspended 42 idle null");
    EXPECT_EQ(sq_getvmstate(thread), SQ_VMSTATE_IDLE);
}
