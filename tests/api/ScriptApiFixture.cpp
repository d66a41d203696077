#include "ScriptApiFixture.h"

#include "api/ScriptApi.h"

void ScriptApiFixture::Bind()
{
    RegisterScriptApi(machine.GetHandle());
}
