#pragma once

#include <cstdint>

class nScriptedObject;

// Turns engine events of a 3D scene into calls of its units' methods. Stateless: one instance for
// the process, which every scene points at.
class nSceneEventHandler
{
public:
    static nSceneEventHandler& Get();

    virtual ~nSceneEventHandler() = default;
    virtual void OnPreSetup(nScriptedObject* scene);
    virtual void OnSetup(nScriptedObject* scene);
    virtual void OnSetupDone(nScriptedObject* scene);
    virtual void OnReset(nScriptedObject* scene);
    virtual void OnRenderDone(nScriptedObject* scene);
    virtual void OnRenderUI(nScriptedObject* scene);
    virtual void OnPhysicStep(nScriptedObject* scene, bool step);
    // frameTicks: the engine's scaled frame step in clock ticks, which a suspended unit counts down.
    virtual void OnUpdate(nScriptedObject* scene, int32_t frameTicks);
    virtual void OnDelete(nScriptedObject* scene);
};
