#pragma once

#include "core/base/nList.h"

class nProjectLayer;
class nProjectSceneInstance;
class nScriptObject;

// What the Project natives may ask of a project. The engine's project implements it; the natives
// reach the project only through it, so the script library needs no link to the engine. A
// "Project" handle holds a pointer to this face.
class nProjectScriptFace
{
public:
    virtual nScriptObject* GetScriptInstance() const = 0;
    virtual void UpdateScriptClock() = 0;
    // Asks the frame step to end the run once the current frame is done.
    virtual void RequestEnd() = 0;
    virtual nProjectLayer* AddLayer(nProjectSceneInstance* instance, float zOrder) = 0;
    virtual const nList<nProjectLayer*>& GetLayers() const = 0;
    // An empty 3D scene of the project's engine and machine, or null after a "[!] " line.
    virtual void* NewScene() = 0;
    virtual nProjectSceneInstance* FindScene(const char* name) const = 0;
    virtual void ActivateScene(nProjectSceneInstance* instance, bool active) = 0;
    virtual nProjectSceneInstance* Instantiate(const char* path) = 0;
    virtual void Unload(nProjectSceneInstance* instance) = 0;
    // The whole stack outside the frame step, without the layers' render scripts, presented.
    virtual void RenderOutsideFrame() = 0;

protected:
    ~nProjectScriptFace() = default;
};
