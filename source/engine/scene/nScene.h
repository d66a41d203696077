#pragma once

#include "animation/nACEManager.h"
#include "core/base/MessageBroadcaster.h"
#include "core/base/nAutoPtr.h"
#include "core/base/nList.h"
#include "core/base/nMemoryBudget.h"
#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "core/base/nWalkList.h"
#include "core/math/nColor.h"
#include "core/math/nPerfCounter.h"
#include "engine/items/nScenePhysicWorldCallback.h"
#include "engine/scene/nOctreeCullingSystem.h"
#include "engine/scene/nSceneListener.h"
#include "engine/scene/nSimpleCullingSystem.h"
#include "platform/nstring/nString.h"
#include "render/nRendererEnvironmentInterface.h"
#include "script/units/nScriptedObject.h"

#include <cstdint>
#include <memory>

class Quenvar;
class nAnimationSourceList;
struct nFontPair;
class nGeometry;
class nGeometryPhysicSource;
class nGroup;
class nInstance;
class nItem;
class nMetaFile;
class nMetaTag;
class nRenderer;
class nScene2D;
class nTexture;
class nMCamera;
class nMConstraint;
class nMEmitter;
class nMItem;
class nMLight;
class nMObject;
class nMTerrain;
class nObject;
class nPhysicWorld;
class nSceneEventHandler;
class nScriptObject;
class nScriptVM;
class nTrigger;
class nSceneUidRemap;

enum nSceneRenderFlag : uint32_t
{
    SceneRenderFlagEnded = 1,
    SceneRenderFlagRenderless = 2,
};

// Flags of the render operations.
enum nSceneRenderOption : uint32_t
{
    SceneRenderClearViewport = 1,
    SceneRenderDisableScript = 2,
};

// Flags of DrawDebugOverlay.
enum nSceneDebugOverlayFlag : uint32_t
{
    SceneDebugOverlayObjectBoxes = 4,
};

enum nSceneUpdateFlag : uint32_t
{
    SceneUpdatePrepare = 1,
    SceneUpdateAnimation = 2,
    SceneUpdatePhysic = 8,
    SceneUpdateScript = 16,
    SceneUpdateTrigger = 32,
    SceneUpdateAll = 63,
};

// What a scene file read or write handles.
enum nImportFlag : uint32_t
{
    ImportFlagCamera = 0x1,
    ImportFlagLight = 0x2,
    ImportFlagObject = 0x4,
    ImportFlagTrigger = 0x8,
    ImportFlagInstance = 0x10,
    ImportFlagGroup = 0x20,
    ImportFlagMotion = 0x40,
    ImportFlagSettings = 0x80,
    ImportFlagGlobals = 0x100,
    ImportFlagCollision = 0x200,
    ImportFlagPhysic = 0x400,
    ImportFlagPath = 0x800,
    ImportFlagTool = 0x1000,
    ImportFlagScript = 0x2000,
    ImportFlagEmitter = 0x4000,
    ImportFlagTerrain = 0x8000,
    ImportFlagConstraint = 0x10000,
    ImportFlagAll = 0xFFFFFFFFu,
    // What an instance takes from its template: neither settings, globals, tools nor scripts.
    ImportFlagInstanceTemplate = 0xFFFFCE7Fu,
};

// The 3D scene: owner of every managed item, of its groups, of its physics world and of its
// scene scripts. Items enter through the kind constructors and are listed in creation order;
// every item gets the next unique id of the scene. Activation changes and deletions wait for
// the next frame, so the per-frame walks never see a list change under them.
class nScene : public nSharedObject,
               public nScriptedObject,
               public nRendererEnvironmentInterface,
               public nACEManager
{
public:
    enum Timer
    {
        TimerEvaluate,
        TimerPhysic,
        TimerSendToRender,
        TimerUserInterface,
        TimerScript,
        TimerLogicCallback,
        TimerCollisionCallback,
        TimerCount,
    };
    // Instances inside instances deeper than this are refused (a template that instances itself).
    static constexpr int32_t MaxInstanceDepth = 8;
    static constexpr float MaxLogicRate = 1000.0f;

    nScene(Quenvar* engine, nScriptVM* vm);
    ~nScene() override;

    nScriptUnit* CreateScriptUnit() override;

    Quenvar* GetEngine() const { return m_engine; }
    nScriptVM* GetVM() const { return m_vm; }
    // The scene's own 2D layer, drawn over its 3D frame; never null.
    nScene2D* GetUI() const { return m_ui.get(); }
    nSceneEventHandler* GetEventHandler() const { return m_eventHandler; }
    const nString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    nItem* GetCurrentCamera() const { return m_currentCamera; }
    void SetCurrentCamera(nItem* camera) { m_currentCamera = camera; }
    nPhysicWorld* GetPhysicWorld() const { return m_physicWorld.Get(); }
    // Takes the world, destroying any former one, and makes the scene's callback its callback.
    void SetPhysicWorld(nPhysicWorld* world);
    // Empties the scene and gives it a new, open world; false (and no world) when it cannot open.
    bool CreatePhysicWorld();

    // Life cycle.
    void Setup(bool optimize = false, int32_t octreeParameter = 0);
    void Reset();
    void DeleteContent(bool keepScripts);
    void RecordLocation();
    // Every active item that has the motion starts it (see StartItemMotions).
    void SetMotion(const char* name, nAnimationSourceList** outSources, float fadeTime, bool add,
                   float weight);
    // "g_scene" and "g_clock_fq" in the machine (the scene's own when null).
    void SetGlobal(nScriptVM* vm = nullptr);
    // A large unskinned geometry that exactly one object shows gets an octree.
    void OptimizeGeometries(int32_t octreeParameter);
    static void PrintMemoryLayout();
    // Reports written to the log: the item lists, and the objects that share a geometry (those
    // that also stand at the same place are reported as likely duplicates).
    void Dump() const;
    void Audit() const;
    // Marks every item that is not excluded in the colour of its selection state, through the
    // renderer's lines and boxes.
    void DrawDebugOverlay(nRenderer* renderer, const nList<nMItem*>& selected, const nList<nMItem*>& excluded,
                          uint32_t flags);

    // One frame: activation, deletion, events, physics, triggers, logic, item updates.
    void Update(uint32_t flags = SceneUpdateAll);
    // The profile lines from (x, y) on; y ends below the last line.
    void PrintStats(const nFontPair& fonts, float& x, float& y);
    void ApplyPendingActivation();
    void ActivateItem(nMItem* item, bool active, bool recursive);
    nPerfCounter& GetTimer(Timer timer) { return m_timers[timer]; }

    // While a scene is in use (a frame step, a render step, a set-up, reset or activation walk, or
    // a native that sends its items' events), nothing may free it: an unload is refused, and a
    // scene whose owner lets it go meanwhile is destroyed when the last use ends. Only the one
    // that ends the last use may touch the scene after the scope. A use also says which step it is:
    // a frame step, or a drawing step that sends events, is not started again from its own events
    // (see IsUpdating, IsDrawing), which would send them without end.
    enum UseStep
    {
        UseOther,
        UseUpdate,
        UseDraw,
        UseStepCount,
    };
    class UseScope
    {
    public:
        explicit UseScope(nScene& scene, UseStep step = UseOther) : m_scene(scene), m_step(step)
        {
            ++m_scene.m_useDepth;
            ++m_scene.m_stepDepth[step];
        }
        UseScope(const UseScope&) = delete;
        UseScope& operator=(const UseScope&) = delete;
        ~UseScope()
        {
            --m_scene.m_stepDepth[m_step];
            m_scene.EndUse();
        }

    private:
        nScene& m_scene;
        UseStep m_step;
    };
    bool IsInUse() const { return m_useDepth > 0; }
    bool IsUpdating() const { return m_stepDepth[UseUpdate] > 0; }
    bool IsDrawing() const { return m_stepDepth[UseDraw] > 0; }
    // Destroys the scene now, or when its last use ends; its script handles turn dead at once.
    void DestroyWhenUnused();

    // A walk over items that sends their scripts events (the scene is in use meanwhile). While one
    // runs, nothing may free items, empty the scene or run a frame inside it: the walk would step
    // onto freed items. The natives that would do so refuse while IsWalkingItems.
    class ItemWalk
    {
    public:
        explicit ItemWalk(nScene& scene) : m_scene(scene)
        {
            ++m_scene.m_itemWalks;
            ++m_scene.m_useDepth;
        }
        ItemWalk(const ItemWalk&) = delete;
        ItemWalk& operator=(const ItemWalk&) = delete;
        ~ItemWalk()
        {
            --m_scene.m_itemWalks;
            m_scene.EndUse();
        }

    private:
        nScene& m_scene;
    };
    bool IsWalkingItems() const { return m_itemWalks > 0; }

    // Rendering, in this order around the renderer's queue.
    void RegisterAsPropertyCallback(nRenderer* renderer);
    void RenderSetup(uint32_t flags);
    void RenderToQueue(uint32_t flags);
    void SendRenderDone(uint32_t flags);
    void RenderUI(uint32_t flags);
    nRenderer* GetRegisteredRenderer() const { return m_renderer; }
    // Static renderables go to the tree system, moving ones to the simple one.
    void AddRenderable(nRenderable* renderable, bool useOctree);
    void RemoveRenderable(nRenderable* renderable);
    const nSimpleCullingSystem& GetSimpleCulling() const { return m_simpleCulling; }
    const nOctreeCullingSystem& GetOctreeCulling() const { return m_octreeCulling; }
    uint32_t GetRenderFlags() const { return m_renderFlags; }
    void SetRenderFlag(uint32_t bits, bool on)
    {
        m_renderFlags = on ? m_renderFlags | bits : m_renderFlags & ~bits;
    }

    nColor GetAmbientColor() override;
    void GetEnvironmentTexture(nSharedPtr<nTexture>& first, nSharedPtr<nTexture>& second) override;
    void GetLightsAt(const nVector& point, const nFrustum& frustum, nList<nLightSource*>& out,
                     uint32_t maximum) override;
    void GetNearestLights(const nVector& point, nList<nLightSource*>& out, uint32_t maximum) override;

    const nColor& GetBackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(const nColor& color) { m_backgroundColor = color; }
    const nColor& GetAmbientColorSetting() const { return m_ambientColor; }
    void SetAmbientColor(const nColor& color) { m_ambientColor = color; }
    float GetAmbientIntensity() const { return m_ambientIntensity; }
    void SetAmbientIntensity(float intensity) { m_ambientIntensity = intensity; }
    float GetTargetExposure() const { return m_targetExposure; }
    void SetTargetExposure(float exposure) { m_targetExposure = exposure; }
    float GetFogNear() const { return m_fogNear; }
    float GetFogFar() const { return m_fogFar; }
    const nColor& GetFogColor() const { return m_fogColor; }
    void SetFog(float nearDistance, float farDistance, const nColor& color);
    nTexture* GetIrradiance() const { return m_irradiance.Get(); }
    nTexture* GetRadiance() const { return m_radiance.Get(); }
    void SetIrradiance(nTexture* texture);
    void SetRadiance(nTexture* texture);

    // Scene files.
    bool LoadFromFile(const char* path, nGroup** group, uint32_t flags, int32_t depth);
    bool Parse(nMetaFile& file, nMetaTag& root, nGroup** group, uint32_t flags, int32_t depth);
    nMetaTag* Serialize(nMetaFile& file, nGroup* filterGroup, uint32_t flags);
    // Loads the geometries of the file's objects into the engine's current cache.
    bool PreloadResources(const char* path);
    bool IsItemExported(nMItem* item, nGroup* filterGroup, uint32_t flags) const;
    bool AcceptToolItem(const nMetaTag& itemTag, uint32_t flags, int32_t depth) const;

    nMCamera* NewCamera(const char* name);
    // The object takes a reference on the geometry (null: none).
    nMObject* NewObject(const char* name, nGeometry* geometry = nullptr);
    nMLight* NewLight(const char* name, int32_t lightType, float priority);
    nMConstraint* NewConstraint(const char* name);
    nTrigger* NewTrigger(const char* name);
    nInstance* NewInstance(const char* name, const char* templatePath);
    nMEmitter* NewEmitter(const char* name);
    nMTerrain* NewTerrain(const char* name);
    // The instance whose template is being read becomes the one given; answers the previous.
    nInstance* SwapInstancing(nInstance* instance)
    {
        nInstance* previous = m_instancing;
        m_instancing = instance;
        return previous;
    }
    // A copy of the item through its block, under the same parent; null for kinds not copied.
    nMItem* DuplicateItem(nMItem* item);

    // Gives the item the next unique id, unless it already has one.
    void AssignUid(nMItem* item);
    uint32_t GetNextUid() const { return m_nextUid; }
    void SetNextUid(uint32_t uid) { m_nextUid = uid; }
    // Called by the managed item's constructor and destructor.
    void AddMItem(nMItem* item);
    void RemoveMItem(nMItem* item);
    // Called by an item whose units' cached methods changed.
    void ItemScriptMethodsChanged() { m_itemScriptMethodsStale = true; }
    // False when no item of the scene has a unit with the method (by its place in an item's unit),
    // so a frame need not walk the items for it.
    bool SomeItemHasScriptMethod(uint32_t method);
    // Orders the lights by priority, largest first; equal priorities keep their order.
    void SortItems();
    // Queues the item (once); it stays listed, updated and drawn until the next flush.
    bool DeleteItem(nMItem* item);
    // Destroys the queued items in order; triggers send the exit events of those inside them.
    void FlushDeletionQueue();
    bool IsDeletionQueued(const nMItem* item) const
    {
        return m_deletionQueue.Find(const_cast<nMItem*>(item));
    }
    bool IsDeletionQueueKept() const { return m_deletionQueueKept; }
    void SetDeletionQueueKept(bool kept) { m_deletionQueueKept = kept; }

    // What the particle pools of the scene's emitters may take together: far more than a real
    // game's effects need, far less than a few emitters at the largest pool would.
    static constexpr size_t ParticlePoolBudgetBytes = size_t(256) << 20;
    nMemoryBudget& GetParticlePoolBudget() { return m_particlePoolBudget; }

    // Lookups, first match in list order.
    nMItem* FindMItemByUid(int32_t uid) const;
    nMCamera* FindCamera(const char* name) const;
    nMObject* FindObject(const char* name) const;
    nMLight* FindLight(const char* name) const;
    nTrigger* FindTrigger(const char* name) const;
    nInstance* FindInstance(const char* name) const;
    nMEmitter* FindEmitter(const char* name) const;
    // "name" or "instance/name/...", from the parent's children when one is given.
    nMItem* FindItem(const char* path, nItem* parent = nullptr) const;
    int32_t GetItemKind(nItem* item, nMItem** managed = nullptr) const;
    nTrigger* RaytraceTriggerList(const nVector& origin, const nVector& direction, float length,
                                  nVector* hitPoint) const;

    // Groups: top-level groups belong to the scene.
    nGroup* NewGroup(const char* name);
    // Queues the group's items for deletion and frees the group after every pointer to it is gone.
    void DeleteGroup(nGroup* group);
    nGroup* FindGroup(const char* name) const;
    void RemoveItemFromGroups(nMItem* item);
    nList<nGroup*>& GetGroups() { return m_groups; }
    nList<nInstance*>& GetInstances() { return m_instances; }

    void Broadcast(nSceneMessage message, const void* data);
    MessageBroadcaster<nSceneMessage, nSceneListener>& GetListeners() { return m_listeners; }

    const nWalkList<nMItem*>& GetAllItems() const { return m_allItems; }
    nWalkList<nMItem*>& GetActiveItems() { return m_activeItems; }
    nList<nMCamera*>& GetCameras() { return m_cameras; }
    nList<nMObject*>& GetObjects() { return m_objects; }
    nList<nMLight*>& GetLights() { return m_lights; }
    nList<nTrigger*>& GetTriggers() { return m_triggers; }
    nList<nMConstraint*>& GetConstraints() { return m_constraints; }
    nList<nMEmitter*>& GetEmitters() { return m_emitters; }
    nList<nMTerrain*>& GetTerrains() { return m_terrains; }

private:
    void EndUse()
    {
        if (--m_useDepth > 0 || !m_destroyWhenUnused)
            return;
        m_destroyWhenUnused = false; // the destructor's own walks end uses again
        delete this;
    }
    // Names the item, lists it with its kind and announces it.
    template <typename Kind>
    Kind* Register(Kind* item, nList<Kind*>& kindList, const char* name, const char* failure);
    void RemoveFromKindList(nMItem* item);
    int32_t FindFreeUid();
    // True after a "[!]" line naming the operation while the scene deletes its content.
    bool IsRefusedWhileDeleting(const char* operation) const;
    void ReportNoUid(const nMItem& item) const;
    // The scenes that have a script machine, each of which may have displaced another in "g_scene".
    static nList<nScene*>& LiveScenes();
    void HandOverDisplaced();
    void RestoreDisplacedGlobal();
    // Destroys every item without any trigger event: nothing runs on a scene being emptied.
    void DestroyItems();
    void DestroyGroups();
    void RunLogic(float dt);
    // The animation step is the engine's frame delta.
    void UpdateItem(nMItem* item, uint32_t flags, float animationStep);
    void OrientBillboard(nItem& item);
    bool IsModeOne() const;
    nMItem* CreateItemOfTag(const nString& name);
    bool ReadItems(nMetaFile& file, nMetaTag& items, nSceneUidRemap& remap, nGroup* group, uint32_t flags,
                   int32_t depth);
    nMItem* FindLoadedItem(const nSceneUidRemap& remap, int32_t fileUid) const;
    void ReadLinks(nMetaTag& root, const nSceneUidRemap& remap);
    void ReadConstraints(nMetaTag& root, const nSceneUidRemap& remap);
    void ReadSkins(nMetaTag& root, const nSceneUidRemap& remap);
    void ReadSkinBones(const nMetaTag& skin, nObject& object, const nSceneUidRemap& remap);
    void ReadGroups(nMetaTag& root, const nSceneUidRemap& remap, nGroup* loadGroup);
    void ReadGlobals(const nMetaTag& globals);
    void ReadPhysics(const nMetaTag& physics);

    Quenvar* m_engine;
    nMemoryBudget m_particlePoolBudget{ParticlePoolBudgetBytes};
    nRenderer* m_renderer = nullptr;
    nItem* m_currentCamera = nullptr;
    nScriptVM* m_vm;
    // What "g_scene" named when this scene last took its place there; given back when the scene
    // ends while still named there.
    std::unique_ptr<nScriptObject> m_displacedGlobal;
    // The scene it named then, or null when it named something else.
    nScene* m_displacedScene = nullptr;
    nScenePhysicWorldCallback m_physicCallback;
    // Convex and Mesh shapes of the world get their geometries through the engine's loader; the
    // source outlives the world that reads from it.
    std::unique_ptr<nGeometryPhysicSource> m_physicGeometrySource;
    nAutoPtr<nPhysicWorld> m_physicWorld;
    nWalkList<nMItem*> m_activeItems;
    nWalkList<nMItem*> m_allItems;
    uint32_t m_itemScriptMethods = 0; // every item's cached-method bits together
    bool m_itemScriptMethodsStale = true;
    nList<nMItem*> m_pendingActivate;
    nList<nMItem*> m_pendingDeactivate;
    nList<nMItem*> m_deletionQueue;
    nSimpleCullingSystem m_simpleCulling;
    nOctreeCullingSystem m_octreeCulling;
    uint32_t m_renderFlags = 0;
    // The end was asked for before or during the last set-up: the reset after it keeps it.
    bool m_endSurvivesReset = false;
    uint32_t m_nextUid = 0;
    bool m_uidsFromFile = false; // items being created take their UIDs from the file being read
    uint32_t m_freeUidFrom = 0; // where the search for a free UID goes on once the counter is spent
    nString m_name;
    nPerfCounter m_timers[TimerCount];
    nColor m_backgroundColor{0.0f, 0.0f, 0.0f, 1.0f};
    nColor m_ambientColor{0.0f, 0.0f, 0.0f, 1.0f};
    float m_ambientIntensity = 1.0f;
    float m_targetExposure = 0.25f;
    nSharedPtr<nTexture> m_irradiance;
    nSharedPtr<nTexture> m_radiance;
    float m_fogNear = 0.0f;
    float m_fogFar = 0.0f;
    nColor m_fogColor{0.0f, 0.0f, 0.0f, 1.0f};
    nSceneEventHandler* m_eventHandler;
    MessageBroadcaster<nSceneMessage, nSceneListener> m_listeners;
    nList<nMCamera*> m_cameras;
    nList<nMObject*> m_objects;
    nList<nMLight*> m_lights;
    nList<nTrigger*> m_triggers;
    nList<nInstance*> m_instances;
    nList<nMEmitter*> m_emitters;
    nList<nMTerrain*> m_terrains;
    nInstance* m_instancing = nullptr;
    nList<nGroup*> m_groups;
    nList<nMConstraint*> m_constraints;
    bool m_deletionQueueKept = false;
    bool m_deletingContent = false;
    int32_t m_itemWalks = 0;
    int32_t m_useDepth = 0;
    int32_t m_stepDepth[UseStepCount] = {};
    bool m_destroyWhenUnused = false;
    std::unique_ptr<nScene2D> m_ui;
};
