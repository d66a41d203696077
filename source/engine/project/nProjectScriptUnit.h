#pragma once

#include "script/units/nScriptUnit.h"

// The project's own script: its instance and the two events it calls every run, looked up once
// when the instance is made.
class nProjectScriptUnit : public nScriptUnit
{
public:
    using nScriptUnit::nScriptUnit;
    ~nProjectScriptUnit() override;

    bool Instantiate() override;
    void ReleaseInstance() override;

    nScriptObject* GetOnSetup() const { return m_onSetup; }
    nScriptObject* GetOnUpdate() const { return m_onUpdate; }

private:
    nScriptObject* m_onSetup = nullptr;
    nScriptObject* m_onUpdate = nullptr;
};
