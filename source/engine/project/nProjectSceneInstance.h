#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

class nProject;
class nScene;
class nScene2D;
class nScriptVM;
class nScriptedObject;

enum nProjectSceneKind : uint32_t
{
    ProjectSceneNone = 0,
    ProjectSceneScene3D = 1,
    ProjectSceneScene2D = 2,
};

// One scene the project instantiated, a 3D or a 2D one. It owns its scene; the scene goes with
// Release.
class nProjectSceneInstance
{
public:
    explicit nProjectSceneInstance(nScene* scene);
    explicit nProjectSceneInstance(nScene2D* scene);
    nProjectSceneInstance(const nProjectSceneInstance&) = delete;
    nProjectSceneInstance& operator=(const nProjectSceneInstance&) = delete;
    ~nProjectSceneInstance() { Release(); }

    bool IsActive() const { return m_active; }
    nProjectSceneKind GetKind() const { return m_kind; }
    nScene* GetScene() const { return m_kind == ProjectSceneScene3D ? m_scene : nullptr; }
    nScene2D* GetScene2D() const { return m_kind == ProjectSceneScene2D ? m_scene2D : nullptr; }
    // The scene's script side, for callers that must not depend on the scene's class.
    nScriptedObject* GetScriptedScene() const { return m_scene ? m_scriptedScene : nullptr; }
    nScriptVM* GetSceneVM() const { return m_scene ? m_sceneVM : nullptr; }
    // The scene's name, or "Empty" without a scene.
    nString GetName() const;
    // Tells the project script first, while the instance still has its former state.
    void Activate(nProject& project, bool active);
    // Destroys the scene, with "g_scene" naming it while its items' handlers run.
    void Release();

private:
    bool m_active = true;
    nProjectSceneKind m_kind;
    nScene* m_scene;
    nScene2D* m_scene2D = nullptr;
    nScriptedObject* m_scriptedScene;
    nScriptVM* m_sceneVM;
};
