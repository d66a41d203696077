#include "api/SceneApi.h"
#include "animation/nAnimationSourceList.h"
#include "api/AnimationSourceApi.h"
#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nColor.h"
#include "engine/Quenvar.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"
#include "engine/scene/nScene.h"
#include "platform/nstring/nString.h"
#include "render/nRenderer.h"
#include "script/binding/nScriptRegistrar.h"
#include "script/binding/nScriptValuePush.h"
#include "script/classes/ScriptVector.h"
#include "script/units/nSceneScriptUnit.h"

namespace
{
// Only asks: the frame that runs finishes, and the frame step ends the loop after it.
SQInteger SceneEnd(HSQUIRRELVM vm)
{
    nScene* scene = GetObjectArg<nScene>(vm, 2, ObjectTypeScene);
    if (!scene)
        return SQ_ERROR;
    scene->SetRenderFlag(SceneRenderFlagEnded, true);
    return 0;
}

// Loading and life cycle.

SQInteger GetName(const ScriptArgs& args, nScene& scene)
{
    return args.PushString(scene.GetName().GetText());
}

SQInteger SetGlobal(const ScriptArgs&, nScene& scene)
{
    scene.SetGlobal();
    return 0;
}

SQInteger FromFile(const ScriptArgs& args, nScene& scene)
{
    return args.PushBool(scene.LoadFromFile(args.GetString(3), nullptr, ImportFlagAll, 0));
}

SQInteger FromFileStoreGroup(const ScriptArgs& args, nScene& scene)
{
    nGroup* group = nullptr;
    scene.LoadFromFile(args.GetString(3), &group, static_cast<uint32_t>(args.GetInt(4)), 0);
    return PushHandle(args.GetVM(), group, ObjectTypeSceneGroup);
}

SQInteger PreloadResources(const ScriptArgs& args, nScene& scene)
{
    return args.PushBool(scene.PreloadResources(args.GetString(3)));
}

SQInteger DeleteGroup(const ScriptArgs& args, nScene& scene)
{
    nGroup* group = GetObjectArg<nGroup>(args.GetVM(), 3, ObjectTypeSceneGroup);
    if (!group)
        return SQ_ERROR;
    scene.DeleteGroup(group);
    return 0;
}

SQInteger Setup(const ScriptArgs&, nScene& scene)
{
    scene.Setup();
    return 0;
}

// Freeing items, emptying the scene or running a frame inside it while the scene walks its items
// (from an item's event) would free items under the walk: the call is refused with a line.
bool RefusedInWalk(const nScene& scene, const char* native)
{
    if (!scene.IsWalkingItems())
        return false;
    nLogHolder::Get() << "[!] " << native << "() cannot run while the scene sends events to its items.\n";
    return true;
}

// A frame of a scene inside its own frame step, or a drawing inside its own drawing step, would
// send the same events again, without end. A drawing inside a frame step (or the other way round)
// goes on: the step it starts refuses to start the first again.
bool RefusedInStep(const nScene& scene, const char* native, bool inStep, const char* step)
{
    if (RefusedInWalk(scene, native))
        return true;
    if (!inStep)
        return false;
    nLogHolder::Get() << "[!] " << native << "() cannot run while the scene " << step << ".\n";
    return true;
}

SQInteger Update(const ScriptArgs&, nScene& scene)
{
    if (!RefusedInStep(scene, "SceneUpdate", scene.IsUpdating(), "runs a frame"))
        scene.Update(SceneUpdateAll);
    return 0;
}

SQInteger DeleteContent(const ScriptArgs&, nScene& scene)
{
    if (!RefusedInWalk(scene, "SceneDeleteContent"))
        scene.DeleteContent(false);
    return 0;
}

SQInteger FlushDeletionQueue(const ScriptArgs&, nScene& scene)
{
    if (!RefusedInWalk(scene, "SceneFlushDeletionQueue"))
        scene.FlushDeletionQueue();
    return 0;
}

SQInteger SetItemDeletionDelay(const ScriptArgs&, nScene&)
{
    nLogHolder::Get() << "[|] SceneSetItemDeletionDelay() is deprecated, please use "
                         "SceneEnableItemDeletionQueue() instead.\n";
    return 0;
}

SQInteger SetRenderless(const ScriptArgs& args, nScene& scene)
{
    scene.SetRenderFlag(SceneRenderFlagRenderless, args.GetBool(3));
    return 0;
}

// Rendering by hand.

SQInteger RegisterAsPropertyCallback(const ScriptArgs& args, nScene& scene)
{
    nRenderer* renderer = GetObjectArg<nRenderer>(args.GetVM(), 3, ObjectTypeRenderer);
    if (!renderer)
        return SQ_ERROR;
    scene.RegisterAsPropertyCallback(renderer);
    return 0;
}

SQInteger RenderSetup(const ScriptArgs& args, nScene& scene)
{
    scene.RenderSetup(static_cast<uint32_t>(args.GetInt(3)));
    return 0;
}

SQInteger RenderToQueue(const ScriptArgs&, nScene& scene)
{
    scene.RenderToQueue(0);
    return 0;
}

SQInteger RenderUI(const ScriptArgs&, nScene& scene)
{
    if (!RefusedInStep(scene, "SceneRenderUI", scene.IsDrawing(), "draws"))
        scene.RenderUI(0);
    return 0;
}

SQInteger Render(const ScriptArgs& args, nScene& scene)
{
    if (RefusedInStep(scene, "SceneRender", scene.IsDrawing(), "draws"))
        return 0;
    const uint32_t flags = static_cast<uint32_t>(args.GetInt(3));
    nRenderer* renderer = scene.GetEngine() ? scene.GetEngine()->GetRenderer() : nullptr;
    if (!renderer)
        return 0;
    scene.RegisterAsPropertyCallback(renderer);
    scene.RenderSetup(flags);
    scene.RenderToQueue(flags);
    renderer->RenderQueue();
    renderer->ResetRenderQueue();
    scene.RenderUI(flags);
    return 0;
}

// Ambient, background and fog.

SQInteger PushColor(const ScriptArgs& args, const nColor& color)
{
    return PushVector(args.GetVM(), nVector(color.r, color.g, color.b, color.a))
               ? 1
               : sq_throwerror(args.GetVM(), "Failed to create Vector instance.");
}

template <const nColor& (nScene::*Get)() const> SQInteger GetColor(const ScriptArgs& args, nScene& scene)
{
    return PushColor(args, (scene.*Get)());
}

template <void (nScene::*Set)(const nColor&)> SQInteger SetColor(const ScriptArgs& args, nScene& scene)
{
    nVector color;
    if (!GetVectorArg(args.GetVM(), 3, color))
        return SQ_ERROR;
    if (IsFiniteVector(args, color))
        (scene.*Set)(nColor(color.x, color.y, color.z, color.w));
    return 0;
}

SQInteger SetFog(const ScriptArgs& args, nScene& scene)
{
    nVector color;
    if (!GetVectorArg(args.GetVM(), 4, color))
        return SQ_ERROR;
    if (!IsFiniteVector(args, color))
        return 0;
    // Fog turned off stores distances of 0.
    const bool enabled = args.GetBool(3);
    float nearAndFar[2] = {0.0f, 0.0f};
    if (enabled && !GetFloatArgs(args, 5, 2, NotNegative, nearAndFar))
        return 0;
    scene.SetFog(nearAndFar[0], nearAndFar[1], nColor(color.x, color.y, color.z, color.w));
    return 0;
}

SQInteger GetFogColor(const ScriptArgs& args, nScene& scene)
{
    const nColor& color = scene.GetFogColor();
    return PushVectorByFields(args.GetVM(), color.r, color.g, color.b, color.a) ? 1 : SQ_ERROR;
}

// Finding items: the find natives also search the group that an instance item shows.

struct nSearchPlace
{
    nScene* scene = nullptr;
    nInstance* instance = nullptr;
};

bool Refuse(HSQUIRRELVM vm, const char* text)
{
    sq_throwerror(vm, text);
    return false;
}

bool GetSearchPlaceArg(HSQUIRRELVM vm, SQInteger index, nSearchPlace& place)
{
    void* object = nullptr;
    int32_t type = ObjectTypeUndefined;
    if (!GetCObject(vm, index, object, 0) || !GetCObjectType(vm, index, type))
        return false;
    if (type != ObjectTypeScene && type != ObjectTypeItem)
        return Refuse(vm, "Expected scene or instance");
    if (!object)
        return Refuse(vm, "Null object");
    if (type == ObjectTypeScene)
    {
        place.scene = static_cast<nScene*>(object);
        return true;
    }
    auto* item = static_cast<nMItem*>(object);
    if (item->GetKind() != ItemTypeInstance)
        return Refuse(vm, "Expected scene or instance");
    place.instance = static_cast<nInstance*>(item);
    return true;
}

SQInteger FindItemIn(HSQUIRRELVM vm)
{
    nSearchPlace place;
    if (!GetSearchPlaceArg(vm, 2, place))
        return SQ_ERROR;
    const char* name = ScriptArgs(vm).GetString(3);
    if (place.scene)
        return PushItem(vm, place.scene->FindItem(name));
    nGroup* group = place.instance->GetGroup();
    return PushItem(vm, group ? group->FindItem(name) : nullptr);
}

SQInteger FindItemChildIn(HSQUIRRELVM vm)
{
    nSearchPlace place;
    if (!GetSearchPlaceArg(vm, 2, place))
        return SQ_ERROR;
    nMItem* parent = GetItemArg(vm, 3);
    if (!parent)
        return SQ_ERROR;
    if (!place.scene)
        return PushItem(vm, nullptr);
    return PushItem(vm, place.scene->FindItem(ScriptArgs(vm).GetString(4), parent->GetItem()));
}

SQInteger FindGroupIn(HSQUIRRELVM vm)
{
    nSearchPlace place;
    if (!GetSearchPlaceArg(vm, 2, place))
        return SQ_ERROR;
    const char* name = ScriptArgs(vm).GetString(3);
    nGroup* group = nullptr;
    if (place.scene)
        group = place.scene->FindGroup(name);
    else if (nGroup* shown = place.instance->GetGroup())
        group = shown->FindGroup(name);
    return PushHandle(vm, group, ObjectTypeSceneGroup);
}

// The arguments are not examined.
SQInteger FindConstraintIn(HSQUIRRELVM vm)
{
    return PushHandle(vm, nullptr, ObjectTypePhysicConstraint);
}

// Adding, duplicating and deleting items.

// The handle is made inside the walk: should the events drop a script-made scene's last handle,
// the scene and the item go only when the walk ends, and the handle dies with them.
template <typename Kind> SQInteger PushNewItem(const ScriptArgs& args, Kind* item, int32_t type)
{
    if (!item)
        return PushItem(args.GetVM(), item, type);
    const nScene::ItemWalk walk(*item->GetScene());
    item->Setup();
    item->Reset();
    return PushItem(args.GetVM(), item, type);
}

SQInteger AddObject(const ScriptArgs& args, nScene& scene)
{
    return PushNewItem(args, scene.NewObject(args.GetString(3)), ObjectTypeObject);
}

SQInteger AddCamera(const ScriptArgs& args, nScene& scene)
{
    return PushNewItem(args, scene.NewCamera(args.GetString(3)), ObjectTypeCamera);
}

SQInteger AddLight(const ScriptArgs& args, nScene& scene)
{
    return PushNewItem(args, scene.NewLight(args.GetString(3), LightTypePoint, nMItem::DefaultPriority),
                       ObjectTypeLight);
}

SQInteger DuplicateItem(const ScriptArgs& args, nScene& scene)
{
    nMItem* item = nullptr;
    if (!GetItemOrNullArg(args.GetVM(), 3, ObjectTypeItem, item))
        return SQ_ERROR;
    if (!item)
        return PushItem(args.GetVM(), nullptr);
    const nScene::ItemWalk walk(scene);
    return PushItem(args.GetVM(), scene.DuplicateItem(item));
}

// An item is always queued in its own scene: queued in another, it would be freed there while its
// own scene still lists it.
void DeleteThroughOwner(nScene& scene, nMItem& item)
{
    nScene* owner = item.GetScene();
    if (owner != &scene)
        nLogHolder::Get() << "[*] Deleting item '" << item.GetName() << "' (uid=" << item.GetUid()
                          << ") using the wrong owner scene '" << scene.GetName()
                          << "' (current owner is scene '" << owner->GetName() << "').\n";
    owner->DeleteItem(&item);
}

template <int32_t Type> SQInteger DeleteItem(const ScriptArgs& args, nScene& scene)
{
    nMItem* item = GetItemArg(args.GetVM(), 3, Type);
    if (!item)
        return SQ_ERROR;
    DeleteThroughOwner(scene, *item);
    return 0;
}

SQInteger DeleteLight(const ScriptArgs& args, nScene& scene)
{
    if (nMLight* light = scene.FindLight(args.GetString(3)))
        scene.DeleteItem(light);
    return 0;
}

SQInteger DeleteAllLights(const ScriptArgs&, nScene& scene)
{
    for (const auto* node = scene.GetLights().GetHead(); node; node = node->next)
        scene.DeleteItem(node->value);
    return 0;
}

// Cameras.

SQInteger GetCurrentCamera(const ScriptArgs& args, nScene& scene)
{
    nItem* node = scene.GetCurrentCamera();
    nMItem* camera = node ? node->GetMItem() : nullptr;
    return PushItem(args.GetVM(), camera && camera->GetKind() == ItemTypeCamera ? camera : nullptr,
                    ObjectTypeCamera);
}

// Only a camera of this scene can be current: the scene forgets its camera when the camera goes,
// which another scene's camera would not tell it.
SQInteger SetCurrentCamera(const ScriptArgs& args, nScene& scene)
{
    nMItem* camera = nullptr;
    if (!GetItemOrNullArg(args.GetVM(), 3, ObjectTypeCamera, camera))
        return SQ_ERROR;
    if (camera && camera->GetScene() != &scene)
    {
        nLogHolder::Get() << "[!] Camera '" << camera->GetName() << "' of scene '"
                          << camera->GetScene()->GetName() << "' cannot be the current camera of scene '"
                          << scene.GetName() << "'.\n";
        return 0;
    }
    scene.SetCurrentCamera(camera ? camera->GetItem() : nullptr);
    return 0;
}

// Lists.

SQInteger GetItemList(const ScriptArgs& args, nScene& scene)
{
    return PushItemArray(args.GetVM(), scene.GetAllItems(), [](nMItem* item) { return item; });
}

SQInteger GetItemChildrenList(const ScriptArgs& args, nScene& scene)
{
    nMItem* parent = GetItemArg(args.GetVM(), 3);
    if (!parent)
        return SQ_ERROR;
    const nItem* parentNode = parent->GetItem();
    return PushItemArray(args.GetVM(), scene.GetAllItems(),
                         [parentNode](nMItem* item)
                         { return item->GetItem()->GetParent() == parentNode ? item : nullptr; });
}

// Motions.

template <bool Add> SQInteger SetMotion(const ScriptArgs& args, nScene& scene)
{
    nAnimationSourceList* sources = nullptr;
    float fadeTime = 0.0f;
    if (GetFloatArg(args, 4, AnyFinite, fadeTime))
        scene.SetMotion(args.GetString(3), &sources, fadeTime, Add, 1.0f);
    return PushAnimationSources(args.GetVM(), sources);
}

// Scripts.

nScriptUnit* FirstUnit(const nScene& scene)
{
    const auto* head = scene.GetScriptUnits().GetHead();
    return head ? head->value : nullptr;
}

SQInteger GetScriptInstance(const ScriptArgs& args, nScene& scene)
{
    const nScriptUnit* unit = FirstUnit(scene);
    return unit ? PushScriptInstance(args.GetVM(), unit->GetInstance())
                : sq_throwerror(args.GetVM(), "No script unit");
}

SQInteger GetScriptInstanceFromClass(const ScriptArgs& args, nScene& scene)
{
    const char* className = args.GetString(3);
    for (const auto* node = scene.GetScriptUnits().GetHead(); node; node = node->next)
        if (node->value->GetClassName() == className)
            return node->value->GetInstance() ? PushScriptInstance(args.GetVM(), node->value->GetInstance())
                                              : sq_throwerror(args.GetVM(), "Script unit is not open");
    return sq_throwerror(args.GetVM(), "Script unit not found");
}

// Nothing is set up: the script runs from the scene's next set-up.
SQInteger SetScript(const ScriptArgs& args, nScene& scene)
{
    nScriptUnit* unit = FirstUnit(scene);
    if (!unit)
        unit = scene.CreateScriptUnit();
    if (!unit)
        return 0;
    unit->SetScript(nString(args.GetString(3)));
    unit->SetClassName(nString(args.GetString(4)));
    return 0;
}

// The number counts clock ticks, as the unit's suspension does.
SQInteger SuspendScriptUpdate(const ScriptArgs& args, nScene& scene)
{
    float ticks = 0.0f;
    if (nScriptUnit* unit = FirstUnit(scene); unit && GetFloatArg(args, 3, AnyFinite, ticks))
        static_cast<nSceneScriptUnit*>(unit)->SuspendUpdate(args.GetInt(3));
    return 0;
}

const nNativeEntry SceneNatives[] = {
    {"SceneGetName", Native<GetName>, ".x"},
    {"SceneGetPath", Native<GetName>, ".x"},
    {"SceneSetGlobal", Native<SetGlobal>, ".x"},
    {"SceneFromFile", Native<FromFile>, ".xs"},
    {"SceneFromNML", Native<FromFile>, ".xs"},
    {"SceneFromFileStoreGroup", Native<FromFileStoreGroup>, ".xsi"},
    {"SceneFromNMLStoreGroup", Native<FromFileStoreGroup>, ".xsi"},
    {"ScenePreloadResources", Native<PreloadResources>, ".xs"},
    {"SceneDeleteGroup", Native<DeleteGroup>, ".xx"},
    {"SceneReset", Native<CallOf<&nScene::Reset>>, ".x"},
    {"SceneRecordLocation", Native<CallOf<&nScene::RecordLocation>>, ".x"},
    {"SceneSetup", Native<Setup>, ".x"},
    {"SceneUpdate", Native<Update>, ".x"},
    {"SceneDeleteContent", Native<DeleteContent>, ".x"},
    {"SceneFlushDeletionQueue", Native<FlushDeletionQueue>, ".x"},
    {"SceneEnableItemDeletionQueue", Native<SetBoolOf<&nScene::SetDeletionQueueKept>>, ".xb"},
    {"SceneSetItemDeletionDelay", Native<SetItemDeletionDelay>, ".xn"},
    {"SceneEnd", GuardedNative<SceneEnd>, ".x"},
    {"SceneSetRenderless", Native<SetRenderless>, ".xb"},
    {"SceneAudit", Native<CallOf<&nScene::Audit>>, ".x"},
    {"ScenePrintItemList", Native<CallOf<&nScene::Dump>>, ".x"},
    {"SceneRegisterAsPropertyCallback", Native<RegisterAsPropertyCallback>, ".xx"},
    {"SceneRenderSetup", Native<RenderSetup>, ".xi"},
    {"SceneRenderToQueue", Native<RenderToQueue>, ".x"},
    {"SceneRenderUI", Native<RenderUI>, ".x"},
    {"SceneRender", Native<Render>, ".xi"},
    {"SceneGetAmbientIntensity", Native<AnswerFloatOf<&nScene::GetAmbientIntensity>>, ".x"},
    {"SceneSetAmbientIntensity", Native<SetFloatOf<&nScene::SetAmbientIntensity>>, ".xn"},
    {"SceneGetAmbientColor", Native<GetColor<&nScene::GetAmbientColorSetting>>, ".x"},
    {"SceneSetAmbientColor", Native<SetColor<&nScene::SetAmbientColor>>, ".xx"},
    {"SceneGetBackgroundColor", Native<GetColor<&nScene::GetBackgroundColor>>, ".x"},
    {"SceneSetBackgroundColor", Native<SetColor<&nScene::SetBackgroundColor>>, ".xx"},
    {"SceneSetFog", Native<SetFog>, ".xbxnn"},
    {"SceneGetFogColor", Native<GetFogColor>, ".x"},
    {"SceneGetFogNear", Native<AnswerFloatOf<&nScene::GetFogNear>>, ".x"},
    {"SceneGetFogFar", Native<AnswerFloatOf<&nScene::GetFogFar>>, ".x"},
    {"SceneFindItem", GuardedNative<FindItemIn>, ".xs"},
    {"SceneFindItemChild", GuardedNative<FindItemChildIn>, ".xxs"},
    {"SceneFindGroup", GuardedNative<FindGroupIn>, ".xs"},
    {"SceneFindConstraint", GuardedNative<FindConstraintIn>, ".xs"},
    {"SceneAddObject", Native<AddObject>, ".xs"},
    {"SceneAddCamera", Native<AddCamera>, ".xs"},
    {"SceneAddLight", Native<AddLight>, ".xs"},
    {"SceneDuplicateItem", Native<DuplicateItem>, ".xx"},
    {"SceneDeleteItem", Native<DeleteItem<ObjectTypeItem>>, ".xx"},
    {"SceneDeleteObject", Native<DeleteItem<ObjectTypeObject>>, ".xx"},
    {"SceneDeleteLight", Native<DeleteLight>, ".xs"},
    {"SceneDeleteAllLights", Native<DeleteAllLights>, ".x"},
    {"SceneGetCurrentCamera", Native<GetCurrentCamera>, ".x"},
    {"SceneSetCurrentCamera", Native<SetCurrentCamera>, ".xx"},
    {"SceneGetItemList", Native<GetItemList>, ".x"},
    {"SceneGetItemChildrenList", Native<GetItemChildrenList>, ".xx"},
    {"SceneSetMotion", Native<SetMotion<false>>, ".xsn"},
    {"SceneSetMotionAdd", Native<SetMotion<true>>, ".xsn"},
    {"SceneGetScriptInstance", Native<GetScriptInstance>, ".x"},
    {"SceneGetScriptInstanceFromClass", Native<GetScriptInstanceFromClass>, ".xs"},
    {"SceneSetScript", Native<SetScript>, ".xss"},
    {"SceneSuspendScriptUpdate", Native<SuspendScriptUpdate>, ".xn"},
};

const nIntegerConstantEntry SceneConstants[] = {
    {"SceneRenderFlagNone", 0},
    {"SceneRenderFlagClearViewport", SceneRenderClearViewport},
    {"SceneRenderFlagDisableScript", SceneRenderDisableScript},
    {"SceneRenderFlagDefault", SceneRenderClearViewport},
    {"FlagLoadCamera", ImportFlagCamera},
    {"FlagLoadLight", ImportFlagLight},
    {"FlagLoadObject", ImportFlagObject},
    {"FlagLoadTrigger", ImportFlagTrigger},
    {"FlagLoadGroup", ImportFlagGroup},
    {"FlagLoadMotion", ImportFlagMotion},
    {"FlagLoadSettings", ImportFlagSettings},
    {"FlagLoadGlobals", ImportFlagGlobals},
    {"FlagLoadCollision", ImportFlagCollision},
    {"FlagLoadPhysic", ImportFlagPhysic},
    {"FlagLoadPath", ImportFlagPath},
    {"FlagLoadAll", -1},
    {"ImportFlagCamera", ImportFlagCamera},
    {"ImportFlagLight", ImportFlagLight},
    {"ImportFlagObject", ImportFlagObject},
    {"ImportFlagTrigger", ImportFlagTrigger},
    {"ImportFlagGroup", ImportFlagGroup},
    {"ImportFlagMotion", ImportFlagMotion},
    {"ImportFlagSettings", ImportFlagSettings},
    {"ImportFlagGlobals", ImportFlagGlobals},
    {"ImportFlagCollision", ImportFlagCollision},
    {"ImportFlagPhysic", ImportFlagPhysic},
    {"ImportFlagPath", ImportFlagPath},
    {"ImportFlagAll", -1},
};
} // namespace

void RegisterSceneApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, SceneNatives);
    RegisterScenePhysicsNatives(vm);
    RegisterIntegerConstants(vm, SceneConstants);
    RegisterNullHandleConstant(vm, "NullItem", ObjectTypeItem);
}
