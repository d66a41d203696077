#include "script/units/nSceneEventHandler.h"

#include "script/units/nSceneScriptUnit.h"
#include "script/units/nScriptEvent.h"
#include "script/units/nScriptedObject.h"

nSceneEventHandler& nSceneEventHandler::Get()
{
    static nSceneEventHandler handler;
    return handler;
}

void nSceneEventHandler::OnPreSetup(nScriptedObject* scene)
{
    SendScriptEventByName(scene, "OnPreSetup");
}

void nSceneEventHandler::OnSetup(nScriptedObject* scene)
{
    SendScriptSetup(scene, "OnSetup");
}

void nSceneEventHandler::OnSetupDone(nScriptedObject* scene)
{
    SendScriptEventByName(scene, "OnSetupDone");
}

void nSceneEventHandler::OnReset(nScriptedObject* scene)
{
    SendScriptEventByName(scene, "OnReset");
}

void nSceneEventHandler::OnRenderDone(nScriptedObject* scene)
{
    SendCachedScriptEvent(scene, "OnRenderDone", &nSceneScriptUnit::GetOnRenderDone);
}

void nSceneEventHandler::OnRenderUI(nScriptedObject* scene)
{
    SendCachedScriptEvent(scene, "OnRenderUI", &nSceneScriptUnit::GetOnRenderUI);
}

void nSceneEventHandler::OnPhysicStep(nScriptedObject* scene, bool step)
{
    SendCachedScriptEvent(scene, "OnPhysicStep", &nSceneScriptUnit::GetOnPhysicStep, BoolEventArgument(step));
}

// A suspended unit counts the frame down and hears nothing this frame.
void nSceneEventHandler::OnUpdate(nScriptedObject* scene, int32_t frameTicks)
{
    nScriptDispatch dispatch(scene);
    while (nScriptUnit* unit = dispatch.Next())
    {
        nSceneScriptUnit* sceneUnit = static_cast<nSceneScriptUnit*>(unit);
        if (!sceneUnit->ConsumeUpdateSuspend(frameTicks) && sceneUnit->GetOnUpdate())
            SendScriptEvent(unit, "OnUpdate", sceneUnit->GetOnUpdate(), {});
    }
}

void nSceneEventHandler::OnDelete(nScriptedObject* scene)
{
    SendScriptEventByName(scene, "OnDelete");
}
