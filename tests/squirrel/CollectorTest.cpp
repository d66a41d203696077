#include "SquirrelFixture.h"

#include "squirrel/sqmem.h"

#include <algorithm>
#include <vector>

namespace {

int hookRuns = 0;

SQInteger CountRelease(SQUserPointer, SQInteger) {
    ++hookRuns;
    return 1;
}

// Pushes a userdata whose release hook counts, as a global "makeTracked".
SQInteger MakeTracked(HSQUIRRELVM v) {
    sq_newuserdata(v, 8);
    sq_setreleasehook(v, -1, CountRelease);
    return 1;
}

SQInteger SuspendWithValue(HSQUIRRELVM v) {
    sq_pushstring(v, "from native", -1);
    return sq_suspendvm(v);
}

class CollectorTest : public SquirrelFixture {
protected:
    void SetUp() override {
        SquirrelFixture::SetUp();
        hookRuns = 0;
        Register("makeTracked", MakeTracked);
        Register("suspendWithValue", SuspendWithValue);
    }

    void Register(const SQChar* name, SQFUNCTION f) {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        sq_newclosure(v, f, 0);
        sq_newslot(v, -3, SQFalse);
        sq_pop(v, 1);
    }

    // Reads a root-table slot into `out` (with one reference of the host's).
    void TakeGlobal(const SQChar* name, HSQOBJECT& out) {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
        sq_getstackobj(v, -1, &out);
        sq_addref(v, &out);
        sq_pop(v, 2);
    }
};

TEST_F(CollectorTest, HostReferenceKeepsCycleUntilReleased) {
    ASSERT_TRUE(Run("held <- {}; held.self <- held; held.items <- [held];"));
    HSQOBJECT held;
    TakeGlobal("held", held);
    ASSERT_TRUE(Run("delete held;"));
    EXPECT_EQ(0, sq_collectgarbage(v));
    sq_pushobject(v, held);
    EXPECT_EQ(2, sq_getsize(v, -1));
    sq_pop(v, 1);
    sq_release(v, &held);
    EXPECT_EQ(2, sq_collectgarbage(v));
}

TEST_F(CollectorTest, RegistryAndConstTableAreRoots) {
    sq_pushregistrytable(v);
    sq_pushstring(v, "cycle", -1);
    sq_newtable(v);
    sq_pushstring(v, "self", -1);
    sq_push(v, -2);
    sq_newslot(v, -3, SQFalse);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(Run("getconsttable().kept <- []; getconsttable().kept.append(getconsttable().kept);"));
    EXPECT_EQ(0, sq_collectgarbage(v));
    ASSERT_TRUE(Run("assert(getconsttable().kept[0] == getconsttable().kept);"));
}

TEST_F(CollectorTest, ReleaseHooksRunOnceWhenCollectedAndAtClose) {
    ASSERT_TRUE(Run("local t = {u = makeTracked()}; t.self <- t;"
                    "local a = [makeTracked()]; a.append(a);"));
    EXPECT_EQ(0, hookRuns);
    EXPECT_EQ(4, sq_collectgarbage(v));
    EXPECT_EQ(2, hookRuns);
    EXPECT_EQ(0, sq_collectgarbage(v));
    EXPECT_EQ(2, hookRuns);
    ASSERT_TRUE(Run("left <- {u = makeTracked()}; left.self <- left; class C { u = null; } "
                    "local c = C(); c.u = makeTracked(); c.u = c;"));
    sq_close(v);
    v = nullptr;
    EXPECT_EQ(4, hookRuns);
}

TEST_F(CollectorTest, CollectionDuringAScriptKeepsItsTemporaries) {
    ASSERT_TRUE(Run("function build(n) { local list = []; for (local i = 0; i < n; i++) {"
                    "  local t = {index = i}; t.self <- t; list.append(t);"
                    "  if (i % 10 == 0) collectgarbage(); }"
                    "  return list; }"
                    "local kept = build(50);"
                    "foreach (i, t in kept) assert(t.self.index == i);"
                    "local g = (function() {"
                    "  local c = {}; c.me <- c; yield collectgarbage(); yield c.me == c; })();"
                    "resume g; assert(resume g);"));
    EXPECT_EQ(51, sq_collectgarbage(v));  // the 50 tables and the one the generator left
}

TEST_F(CollectorTest, FramesBuildingCyclesKeepAFlatMemoryProfile) {
    ASSERT_TRUE(Run("class Body { link = null; onHit = null; }"
                    "function frame(n) {"
                    "  local a = {}; local b = {peer = a}; a.peer <- b;"
                    "  local body = Body(); body.link = [body, a];"
                    "  body.onHit = function() { return body; };"
                    "  local g = (function() { local mine = g; yield 1; })(); a.gen <- g;"
                    "  return n; }"));
    sq_pushroottable(v);
    sq_pushstring(v, "frame", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    std::vector<int64_t> afterCollections;
    int64_t peak = 0;
    for (SQInteger frame = 1; frame <= 10000; ++frame) {
        sq_push(v, -1);
        sq_pushroottable(v);
        sq_pushinteger(v, frame);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 2, SQFalse, SQTrue)));
        sq_pop(v, 1);
        peak = std::max(peak, sqLiveBytes());
        if (frame % 100 == 0) {
            EXPECT_GT(sq_collectgarbage(v), 0);
            if (frame % 1000 == 0) afterCollections.push_back(sqLiveBytes());
        }
    }
    sq_pop(v, 2);
    ASSERT_EQ(10u, afterCollections.size());
    // After the first thousand frames every collection returns to the same level.
    for (size_t i = 1; i < afterCollections.size(); ++i) EXPECT_EQ(afterCollections[1], afterCollections[i]);
    EXPECT_LE(afterCollections[9], afterCollections[0] + 4096);
    EXPECT_LT(peak - afterCollections[9], 100 * 4096);
}

TEST_F(CollectorTest, HostSuspendsAndWakesAThread) {
    ASSERT_TRUE(Run("function body(x) { local got = suspendWithValue(); local more = ::suspend(got + x);"
                    " return more + \"!\"; }"));
    HSQUIRRELVM thread = sq_newthread(v, 1024);
    HSQOBJECT threadObj;
    sq_getstackobj(v, -1, &threadObj);
    sq_addref(v, &threadObj);
    sq_pop(v, 1);
    EXPECT_EQ(SQ_VMSTATE_IDLE, sq_getvmstate(thread));

    sq_pushroottable(thread);
    sq_pushstring(thread, "body", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(thread, -2)));
    sq_pushroottable(thread);
    sq_pushstring(thread, " and", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(thread, 2, SQTrue, SQTrue)));
    EXPECT_EQ(SQ_VMSTATE_SUSPENDED, sq_getvmstate(thread));
    const SQChar* text = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(thread, -1, &text)));
    EXPECT_STREQ("from native", text);
    sq_pop(thread, 1);

    // The cycle collector leaves the suspended frames alone.
    EXPECT_EQ(0, sq_collectgarbage(v));

    sq_pushstring(thread, "woken", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(thread, SQTrue, SQTrue, SQTrue, SQFalse)));
    EXPECT_EQ(SQ_VMSTATE_SUSPENDED, sq_getvmstate(thread));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(thread, -1, &text)));
    EXPECT_STREQ("woken and", text);
    sq_pop(thread, 1);

    sq_pushstring(thread, "last", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(thread, SQTrue, SQTrue, SQTrue, SQFalse)));
    EXPECT_EQ(SQ_VMSTATE_IDLE, sq_getvmstate(thread));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(thread, -1, &text)));
    EXPECT_STREQ("last!", text);
    sq_pop(thread, 1);

    EXPECT_TRUE(SQ_FAILED(sq_wakeupvm(thread, SQFalse, SQFalse, SQFalse, SQFalse)));
    sq_release(v, &threadObj);
}

TEST_F(CollectorTest, WakeupCanThrowIntoTheSuspendedThread) {
    ASSERT_TRUE(Run("function guarded() { try { ::suspend(1); } catch (e) { return \"caught \" + e; } }"
                    "function unguarded() { ::suspend(1); return \"not reached\"; }"));
    for (const SQChar* name : {"guarded", "unguarded"}) {
        HSQUIRRELVM thread = sq_newthread(v, 1024);
        sq_pushroottable(thread);
        sq_pushstring(thread, name, -1);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_get(thread, -2)));
        sq_pushroottable(thread);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(thread, 1, SQFalse, SQFalse)));
        ASSERT_EQ(SQ_VMSTATE_SUSPENDED, sq_getvmstate(thread));
        sq_throwerror(thread, "stop");
        SQRESULT r = sq_wakeupvm(thread, SQFalse, SQTrue, SQFalse, SQTrue);
        const SQChar* text = nullptr;
        if (std::string(name) == "guarded") {
            ASSERT_TRUE(SQ_SUCCEEDED(r));
            sq_getstring(thread, -1, &text);
            EXPECT_STREQ("caught stop", text);
        } else {
            EXPECT_TRUE(SQ_FAILED(r));
            sq_getlasterror(thread);
            sq_getstring(thread, -1, &text);
            EXPECT_STREQ("stop", text);
        }
        EXPECT_EQ(SQ_VMSTATE_IDLE, sq_getvmstate(thread));
        sq_pop(v, 1);
    }
}

}  // namespace
