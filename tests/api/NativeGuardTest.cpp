#include "ScriptApiFixture.h"

#include "script/binding/nNativeCall.h"
#include "script/binding/nScriptRegistrar.h"

#include <new>
#include <stdexcept>

namespace
{
SQInteger Throws(HSQUIRRELVM vm)
{
    if (ScriptArgs(vm).GetInt(2) == 1)
        throw std::bad_alloc();
    throw std::runtime_error("a body that throws");
}

using NativeGuardTest = ScriptApiFixture;
} // namespace

// The machine gets a runtime error it can report; nothing unwinds through it.
TEST_F(NativeGuardTest, AnExceptionOfANativeBodyBecomesAScriptError)
{
    RegisterNative(machine.GetHandle(), GuardedNative<Throws>, "Throws", ".i");
    EXPECT_EQ(Evaluate("try { Throws(1); } catch (error) { print(error + \";\"); } Throws(2);"),
              "error: Internal failure");
    EXPECT_EQ(ScriptLines(), std::vector<std::string>{"[S] Out of memory;\n"});
}
