#include "engine/project/nProjectSceneInstance.h"

#include "engine/project/nProject.h"
#include "engine/scene/nScene.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "ui/nScene2D.h"

nProjectSceneInstance::nProjectSceneInstance(nScene* scene)
    : m_kind(scene ? ProjectSceneScene3D : ProjectSceneNone), m_scene(scene), m_scriptedScene(scene),
      m_sceneVM(scene ? scene->GetVM() : nullptr)
{
}

nProjectSceneInstance::nProjectSceneInstance(nScene2D* scene)
    : m_kind(scene ? ProjectSceneScene2D : ProjectSceneNone), m_scene(nullptr), m_scene2D(scene),
      m_scriptedScene(nullptr), m_sceneVM(nullptr)
{
}

nString nProjectSceneInstance::GetName() const
{
    if (m_kind == ProjectSceneScene3D && m_scene)
        return m_scene->GetName();
    if (m_kind == ProjectSceneScene2D && m_scene2D)
        return m_scene2D->GetName();
    return nString("Empty");
}

void nProjectSceneInstance::Activate(nProject& project, bool active)
{
    const nScriptValue instance(ObjectTypeProjectScene, this);
    if (project.SendInstanceEvent(this, "OnActivateScene", &instance, nullptr))
        m_active = active;
}

void nProjectSceneInstance::Release()
{
    if (m_kind == ProjectSceneScene2D && m_scene2D)
    {
        nScene2D* scene = m_scene2D;
        m_scene2D = nullptr;
        delete scene;
        return;
    }
    if (m_kind != ProjectSceneScene3D || !m_scene)
        return;
    nScene* scene = m_scene;
    m_scene = nullptr;
    nProject::SetCurrentScene(scene);
    scene->DestroyWhenUnused(); // a scene still walked goes when the walk ends
}
