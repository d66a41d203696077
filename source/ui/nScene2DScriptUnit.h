#pragma once

#include "script/units/nScriptUnit.h"

// The script unit of a 2D scene. Its instance's "OnUpdate", called every frame, is looked up
// once when the unit is instantiated.
class nScene2DScriptUnit : public nScriptUnit
{
public:
    using nScriptUnit::nScriptUnit;
    ~nScene2DScriptUnit() override;

    bool Instantiate() override;
    void ReleaseInstance() override;

    nScriptObject* GetOnUpdate() const { return m_onUpdate; }
    // True when the unit names a script class to run.
    bool IsDeclared() const { return !GetScript().IsEmpty() && !GetClassName().IsEmpty(); }

private:
    nScriptObject* m_onUpdate = nullptr;
};
