#include "ScriptApiFixture.h"

#include "script/api/ScriptApi.h"

void ScriptApiFixture::SetUp()
{
    ScriptVMFixture::SetUp();
    RegisterScriptApi(machine.GetHandle());
}

void ScriptApiFixture::Reopen()
{
    machine.Close();
    ASSERT_TRUE(machine.Open());
    RegisterScriptApi(machine.GetHandle());
    listener.runtimeErrors.clear();
    log.lines.clear();
}

std::string ScriptApiFixture::Evaluate(const std::string& text)
{
    Reopen();
    Run("function V(v) { return format(\"(%g,%g,%g,%g)\", v.x, v.y, v.z, v.w); }\n" + text);
    if (!listener.runtimeErrors.empty())
        return "error: " + listener.runtimeErrors.front();
    std::string printed;
    for (const std::string& line : ScriptLines())
        printed += line.substr(4, line.size() - 5);
    return printed;
}
