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
    SendCachedScriptEvent<nSceneScriptUnit>(scene, "OnRenderDone", SceneMethodRenderDone);
}

void nSceneEventHandler::OnRenderUI(nScriptedObject* scene)
{
    SendCachedScriptEvent<nSceneScriptUnit>(scene, "OnRenderUI", SceneMethodRenderUI);
}

void nSceneEventHandler::OnPhysicStep(nScriptedObject* scene, bool step)
{
    SendCachedScriptEvent<nSceneScriptUnit>(scene, "OnPhysicStep", SceneMethodPhysicStep,
                                            BoolEventArgument(step));
}

// A suspended unit counts the frame down and hears nothing this frame.
void nSceneEventHandler::OnUpdate(nScriptedObject* scene, int32_t frameTicks)
{
    nScriptDispatch dispatch(scene);
    while (nScriptUnit* unit = dispatch.Next())
    {
        nSceneScriptUnit* sceneUnit = static_cast<nSceneScriptUnit*>(unit);
        if (!sceneUnit->ConsumeUpdateSuspend(frameTicks) && sceneUnit->GetMethod(SceneMethodUpdate))
            SendScriptEvent(unit, "OnUpdate", sceneUnit->GetMethod(SceneMethodUpdate), {});
    }
}

void nSceneEventHandler::OnDelete(nScriptedObject* scene)
{
    SendScriptEventByName(scene, "OnDelete");
}
