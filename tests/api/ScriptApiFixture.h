#pragma once

#include "script/ScriptClassFixture.h"

// A machine with the whole script API registered.
class ScriptApiFixture : public ScriptClassFixture
{
protected:
    void Bind() override;
};
