#include "engine/project/nProject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/project/nProjectLayer.h"
#include "engine/project/nProjectSceneInstance.h"
#include "engine/scene/nScene.h"
#include "platform/nStopSignal.h"
#include "script/nObjectType.h"
#include "script/nScriptValue.h"
#include "ui/nScene2D.h"

#include <new>

namespace
{
constexpr int32_t SceneOctreeParameter = 1024;

nMetaTag* FindRoot(const nMetaFile& document, const char* name)
{
    nLinkedListIterator iterator;
    while (nMetaTag* root = document.GetNextRoot(iterator))
        if (root->GetName() == name)
            return root;
    return nullptr;
}

// An instance of the scene, or null (the scene deleted) after a "[!] " line.
template <typename Scene> nProjectSceneInstance* NewInstanceOf(Scene* scene)
{
    nProjectSceneInstance* instance = new (std::nothrow) nProjectSceneInstance(scene);
    if (!instance)
    {
        delete scene;
        nLogHolder::Get() << "[!] Failed to allocate project scene instance.\n";
    }
    return instance;
}
} // namespace

nProjectSceneInstance* nProject::Instantiate(const char* path)
{
    if (!CheckNotBusy("nProject::Instantiate") || !CheckNotClosing("nProject::Instantiate"))
        return nullptr;
    if (nProjectSceneInstance* existing = FindScene(path))
        return existing;
    nMetaFile document;
    if (!document.Load(path))
    {
        nLogHolder::Get() << "[!] Could not instantiate scene '" << path << "', file not found.\n";
        return nullptr;
    }
    nMetaTag* root = FindRoot(document, "Scene");
    if (root)
        return InstantiateScene(document, *root);
    if (nMetaTag* root2D = FindRoot(document, "Scene2d"))
        return InstantiateScene2D(document, *root2D);
    return nullptr;
}

// A scene without its physics world or one its file does not describe is not instantiated.
nProjectSceneInstance* nProject::InstantiateScene(nMetaFile& document, nMetaTag& root)
{
    nScene* scene = new (std::nothrow) nScene(m_engine, &m_vm);
    if (!scene)
    {
        nLogHolder::Get() << "[!] Failed to allocate scene object.\n";
        return nullptr;
    }
    nProjectSceneInstance* instance = NewInstanceOf(scene);
    if (!instance)
        return nullptr;
    if (!scene->CreatePhysicWorld())
    {
        DestroyInstance(instance);
        return nullptr;
    }
    scene->SetGlobal();
    if (!scene->Parse(document, root, nullptr, ImportFlagAll, 0))
    {
        DestroyInstance(instance);
        return nullptr;
    }
    scene->Setup(true, SceneOctreeParameter);
    scene->Reset();
    return AppendInstance(instance);
}

// The 2D scene is named after its file, so that FindScene finds it as it finds 3D scenes.
nProjectSceneInstance* nProject::InstantiateScene2D(nMetaFile& document, nMetaTag& root)
{
    nScene2D* scene = NewScene2D();
    nProjectSceneInstance* instance = scene ? NewInstanceOf(scene) : nullptr;
    if (!instance)
        return nullptr;
    if (!scene->ParseTag(document, root))
    {
        DestroyInstance(instance);
        return nullptr;
    }
    scene->Setup();
    scene->Reset();
    return AppendInstance(instance);
}

nProjectSceneInstance* nProject::AppendInstance(nProjectSceneInstance* instance)
{
    if (m_scenes.PushBack(instance))
        return instance;
    DestroyInstance(instance);
    nLogHolder::Get() << "[!] Failed to allocate project scene instance.\n";
    return nullptr;
}

// The project script hears of the unload first and may ask for it again from there; that nested
// request is refused, or each one would tell the script again without end.
void nProject::Unload(nProjectSceneInstance* instance)
{
    if (!CheckNotBusy("nProject::Unload") || !instance)
        return;
    // A scene that a native runs a frame, render step or event walk of is refused like the stack.
    if (instance->GetScene() && instance->GetScene()->IsInUse())
    {
        LogRefusal("nProject::Unload");
        return;
    }
    if (m_unloading.Find(instance))
    {
        nLogHolder::Get() << "[*] Scene instance '" << instance->GetName() << "' is already being unloaded.\n";
        return;
    }
    if (!m_unloading.PushBack(instance))
    {
        nLogHolder::Get() << "[!] Failed to allocate the unload record of a scene instance.\n";
        return;
    }
    const nScriptValue handle(ObjectTypeProjectScene, instance);
    SendEvent("OnUnloadScene", &handle, nullptr);
    m_unloading.Remove(instance);
    RemoveLayersOf(instance);
    if (!m_scenes.Remove(instance))
    {
        nLogHolder::Get() << "[*] Trying to unload an invalid scene instance.\n";
        return;
    }
    DestroyInstance(instance);
}

void nProject::RemoveLayersOf(const nProjectSceneInstance* instance)
{
    auto* node = m_layers.GetHead();
    while (node)
    {
        auto* next = node->next;
        if (node->value->GetInstance() == instance)
        {
            nProjectLayer* layer = node->value;
            m_layers.RemoveNode(node);
            m_vm.InvalidateNativeObject(layer);
            delete layer;
        }
        node = next;
    }
}

// Scripts may still hold handles on what goes here; they turn dead instead of dangling (the dying
// scene also leaves "g_scene" null).
void nProject::DestroyInstance(nProjectSceneInstance* instance)
{
    nScene* scene = instance->GetScene();
    for (auto* node = m_eventSubjects.GetHead(); node; node = node->next)
        if (node->value == instance)
            node->value = nullptr;
    m_vm.InvalidateNativeObject(instance);
    if (scene)
        m_vm.InvalidateNativeObject(scene);
    instance->Release();
    delete instance;
}

nProjectLayer* nProject::AddLayer(nProjectSceneInstance* instance, float zOrder)
{
    if (!CheckNotClosing("nProject::AddLayer"))
        return nullptr;
    nProjectLayer* layer = new (std::nothrow) nProjectLayer(instance, zOrder);
    if (!layer || !m_layers.PushBack(layer))
    {
        delete layer;
        nLogHolder::Get() << "[!] Failed to allocate a new project scene layer.\n";
        return nullptr;
    }
    return layer;
}

nProjectSceneInstance* nProject::FindScene(const char* name) const
{
    for (auto* node = m_scenes.GetHead(); node; node = node->next)
    {
        nProjectSceneInstance* instance = node->value;
        if (instance->GetKind() != ProjectSceneNone && instance->GetName() == name)
            return instance;
    }
    return nullptr;
}

uint32_t nProject::CountActiveScenes() const
{
    uint32_t count = 0;
    for (auto* node = m_scenes.GetHead(); node; node = node->next)
        count += node->value->IsActive() ? 1 : 0;
    return count;
}

void nProject::Evaluate(uint32_t flags)
{
    if (!CheckNotBusy("nProject::Evaluate"))
        return;
    UpdateScriptClock();
    if (m_unit.GetOnUpdate())
        CallUnitEvent("OnUpdate", m_unit.GetOnUpdate(), nullptr, nullptr);
    m_busy = true;
    for (auto* node = m_scenes.GetHead(); node && !IsStopRequested(); node = node->next)
    {
        nProjectSceneInstance* instance = node->value;
        if (!instance->IsActive() || !instance->GetScene())
            continue;
        SetCurrentScene(instance->GetScene());
        instance->GetScene()->Update(flags);
    }
    m_busy = false;
}

void nProject::ActivateScene(nProjectSceneInstance* instance, bool active)
{
    if (CheckNotClosing("nProjectSceneInstance::Activate"))
        instance->Activate(*this, active);
}

nScene* nProject::NewScene()
{
    nScene* scene = new (std::nothrow) nScene(m_engine, &m_vm);
    if (!scene)
        nLogHolder::Get() << "[!] Failed to allocate scene object.\n";
    return scene;
}

nScene2D* nProject::NewScene2D()
{
    nScene2D* scene = new (std::nothrow) nScene2D(m_engine, &m_vm);
    if (!scene)
        nLogHolder::Get() << "[!] Failed to allocate scene 2D object.\n";
    return scene;
}

void nProject::SetAll2DLayerOffset(float x, float y)
{
    for (auto* node = m_layers.GetHead(); node; node = node->next)
    {
        nProjectSceneInstance* instance = node->value->GetInstance();
        if (nScene2D* scene = instance ? instance->GetScene2D() : nullptr)
            scene->SetLayerOffset(x, y);
    }
}
