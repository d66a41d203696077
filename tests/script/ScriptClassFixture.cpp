#include "ScriptClassFixture.h"

#include "script/binding/nScriptRegistrar.h"

void ScriptClassFixture::SetUp()
{
    ScriptVMFixture::SetUp();
    Bind();
}

void ScriptClassFixture::Bind()
{
    DeclareScriptClasses(machine.GetHandle());
}

void ScriptClassFixture::Reopen()
{
    machine.Close();
    ASSERT_TRUE(machine.Open());
    Bind();
    listener.runtimeErrors.clear();
    log.lines.clear();
}

// A stopped machine takes no further call, so only an error makes the next case reopen it.
std::string ScriptClassFixture::Evaluate(const std::string& text)
{
    if (machine.GetState() != ScriptVMRunning)
        Reopen();
    listener.runtimeErrors.clear();
    log.lines.clear();
    Run("function V(v) { return format(\"(%g,%g,%g,%g)\", v.x, v.y, v.z, v.w); }\n" + text);
    if (!listener.runtimeErrors.empty())
        return "error: " + listener.runtimeErrors.front();
    std::string printed;
    for (const std::string& line : ScriptLines())
        printed += line.substr(4, line.size() - 5);
    return printed;
}
