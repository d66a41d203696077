#include "api/ItemApi.h"
#include "api/MetafileApi.h"

#include "animation/nAnimationSource.h"
#include "animation/nMotion.h"
#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTagValue.h"
#include "engine/items/nItem.h"
#include "engine/scene/nScene.h"
#include "platform/nstring/nString.h"
#include "script/units/nScriptUnit.h"

// An item's player keeps one list of playing sources. The slot natives read their slot number but
// all work on that one list.
namespace
{
// Motions.

// Scripts name motions without regard to case (the player's own lookup is exact).
SQInteger GetMotion(const ScriptArgs& args, nMItem& item)
{
    const nString name = nString(args.GetString(3)).ToLower();
    for (const auto* node = item.GetMotionList().GetHead(); node; node = node->next)
        if (node->value->GetName().ToLower() == name)
            return PushHandle(args.GetVM(), node->value, ObjectTypeMotion);
    return PushHandle(args.GetVM(), nullptr, ObjectTypeMotion);
}

template <typename Value> const Value* At(const nList<Value>& list, int32_t index)
{
    if (index < 0)
        return nullptr;
    const auto* node = list.GetHead();
    for (; node && index > 0; --index)
        node = node->next;
    return node ? &node->value : nullptr;
}

// An index outside the list answers a null handle rather than reading past it.
SQInteger GetMotionFromIndex(const ScriptArgs& args, nMItem& item)
{
    nMotion* const* motion = At(item.GetMotionList(), args.GetInt(3));
    return PushHandle(args.GetVM(), motion ? *motion : nullptr, ObjectTypeMotion);
}

// Only the item's own motions play on it: a source keeps its motion by address, and the motion of
// another item goes away with that item.
SQInteger SetMotion(const ScriptArgs& args, nMItem& item)
{
    nMotion* motion = GetObjectArg<nMotion>(args.GetVM(), 4, ObjectTypeMotion);
    if (!motion)
        return SQ_ERROR;
    if (!item.GetMotionList().Find(motion))
    {
        nLogHolder::Get() << "[!] Motion '" << motion->GetName() << "' does not belong to item '"
                          << item.GetName() << "': it is not played.\n";
        return 0;
    }
    float fadeTimeWeightClockScale[4];
    if (!GetFloatArgs(args, 5, 4, AnyFinite, fadeTimeWeightClockScale))
        return 0;
    const auto [fadeTime, weight, clock, clockScale] = fadeTimeWeightClockScale;
    if (nAnimationSource* source = item.nAnimationPlayer::SetMotion(motion, nullptr, fadeTime, false, weight))
    {
        source->SetClock(clock);
        source->SetClockScale(clockScale);
    }
    return 0;
}

nAnimationSource* FirstSource(nMItem& item)
{
    const auto* head = item.GetSources().GetHead();
    return head ? head->value.Get() : nullptr;
}

SQInteger MotionSlotGet(const ScriptArgs& args, nMItem&)
{
    return PushHandle(args.GetVM(), nullptr, ObjectTypeMotion);
}

SQInteger MotionSlotGetTime(const ScriptArgs& args, nMItem& item)
{
    nAnimationSource* source = FirstSource(item);
    return source ? args.PushFloat(source->GetClock()) : sq_throwerror(args.GetVM(), "No motion in slot");
}

SQInteger MotionSlotSetTime(const ScriptArgs& args, nMItem& item)
{
    float clock = 0.0f;
    if (nAnimationSource* source = FirstSource(item); source && GetFloatArg(args, 4, AnyFinite, clock))
        source->SetClock(clock);
    return 0;
}

SQInteger MotionSlotGetClockScale(const ScriptArgs& args, nMItem& item)
{
    nAnimationSource* source = FirstSource(item);
    return args.PushFloat(source ? source->GetClockScale() : 0.0f);
}

SQInteger MotionSlotSetClockScale(const ScriptArgs& args, nMItem& item)
{
    float scale = 0.0f;
    if (nAnimationSource* source = FirstSource(item); source && GetFloatArg(args, 4, AnyFinite, scale))
        source->SetClockScale(scale);
    return 0;
}

// Clock scales live on the sources; the item has none of its own.
SQInteger MotionGetClockScale(const ScriptArgs& args, nMItem&)
{
    return args.PushFloat(-1.0f);
}

SQInteger ReplicateItemMotion(const ScriptArgs& args, nMItem&)
{
    return GetItemArg(args.GetVM(), 3) ? 0 : SQ_ERROR;
}

// Command lists.

SQInteger SetCommandList(const ScriptArgs& args, nMItem& item)
{
    item.GetScene()->CompileCommandList(args.GetString(3), &item);
    return 0;
}

// Script units.

SQInteger GetScriptInstanceCount(const ScriptArgs& args, nMItem& item)
{
    return args.PushInt(static_cast<int32_t>(item.GetScriptUnits().GetCount()));
}

SQInteger PushUnitInstance(const ScriptArgs& args, nMItem& item, const nScriptUnit* unit)
{
    if (!unit->GetInstance())
        return sq_throwerror(
            args.GetVM(),
            nString::Format("Script unit for item '%s' is not open", item.GetName().GetText()).GetText());
    return PushScriptInstance(args.GetVM(), unit->GetInstance());
}

SQInteger GetScriptInstance(const ScriptArgs& args, nMItem& item)
{
    const auto* head = item.GetScriptUnits().GetHead();
    if (!head)
        return sq_throwerror(
            args.GetVM(),
            nString::Format("Item '%s' has no script unit", item.GetName().GetText()).GetText());
    return PushUnitInstance(args, item, head->value);
}

// An index outside the units answers null rather than reading past them.
SQInteger GetScriptInstanceFromIndex(const ScriptArgs& args, nMItem& item)
{
    nScriptUnit* const* unit = At(item.GetScriptUnits(), args.GetInt(3));
    if (!unit)
    {
        sq_pushnull(args.GetVM());
        return 1;
    }
    return PushUnitInstance(args, item, *unit);
}

const nScriptUnit* FindUnitOfClass(const nMItem& item, const char* className)
{
    for (const auto* node = item.GetScriptUnits().GetHead(); node; node = node->next)
        if (node->value->GetClassName() == className)
            return node->value;
    return nullptr;
}

SQInteger GetScriptInstanceFromClass(const ScriptArgs& args, nMItem& item)
{
    const nScriptUnit* unit = FindUnitOfClass(item, args.GetString(3));
    return unit ? PushUnitInstance(args, item, unit) : sq_throwerror(args.GetVM(), "Script unit not found");
}

SQInteger HasScript(const ScriptArgs& args, nMItem& item)
{
    return args.PushBool(FindUnitOfClass(item, args.GetString(3)) != nullptr);
}

SQInteger SetScript(const ScriptArgs& args, nMItem& item)
{
    const auto* head = item.GetScriptUnits().GetHead();
    nScriptUnit* unit = head ? head->value : item.CreateScriptUnit();
    if (!unit)
        return 0;
    unit->SetScript(nString(args.GetString(3)));
    unit->SetClassName(nString(args.GetString(4)));
    const nScene::ItemWalk walk(*item.GetScene());
    item.Setup();
    item.Reset();
    return 0;
}

} // namespace

void SetRegistryKeyFromArgs(const ScriptArgs& args, nRegistry& registry)
{
    nMetaTagValue value;
    if (!ReadTagValue(args, 4, value))
        nLogHolder::Get() << "[*] Incorrect binding argument count.\n";
    registry.SetKey(args.GetString(3), &value);
}

namespace
{
SQInteger RegistrySetKey(const ScriptArgs& args, nMItem& item)
{
    SetRegistryKeyFromArgs(args, item.GetItem()->GetRegistry());
    return 0;
}

SQInteger RegistryGetKey(const ScriptArgs& args, nMItem& item)
{
    const nRegistry& registry = item.GetItem()->GetRegistry();
    const nMetaTag* tag = MetaFindTagInList(&registry.GetRoots(), args.GetString(3), false);
    return tag && PushTagValue(args, tag->GetValue()) ? 1 : args.PushInt(-1);
}

const nNativeEntry ItemScriptNatives[] = {
    {"ItemGetMotion", Native<GetMotion>, ".xs"},
    {"ItemGetMotionFromIndex", Native<GetMotionFromIndex>, ".xi"},
    {"ItemSetMotion", Native<SetMotion>, ".xixnnnn"},
    {"ItemMotionSlotSet", Native<SetMotion>, ".xixnnnn"},
    {"ItemStopMotion", Native<CallOf<&nAnimationPlayer::StopMotions, nMItem>>, ".x"},
    {"ItemMotionSlotStop", Native<CallOf<&nAnimationPlayer::StopMotions, nMItem>>, ".xi"},
    {"ItemIsMotionPlaying", Native<AnswerBoolOf<&nMItem::IsPlaying, nMItem>>, ".x"},
    {"ItemMotionSlotIsPlaying", Native<AnswerBoolOf<&nMItem::IsPlaying, nMItem>>, ".xi"},
    {"ItemIsMotionDone", Native<AnswerBoolOf<&nMItem::IsDone, nMItem>>, ".x"},
    {"ItemMotionSlotIsDone", Native<AnswerBoolOf<&nMItem::IsDone, nMItem>>, ".xi"},
    {"ItemMotionSlotGet", Native<MotionSlotGet>, ".xi"},
    {"ItemMotionSlotGetTime", Native<MotionSlotGetTime>, ".xi"},
    {"ItemMotionSlotSetTime", Native<MotionSlotSetTime>, ".xin"},
    {"ItemMotionSlotGetClockScale", Native<MotionSlotGetClockScale>, ".xi"},
    {"ItemMotionSlotSetClockScale", Native<MotionSlotSetClockScale>, ".xin"},
    {"ItemMotionGetClockScale", Native<MotionGetClockScale>, ".x"},
    {"ItemMotionSetClockScale", Native<Ignored<nMItem>>, ".xn"},
    {"ItemMotionGetPaused", Native<AnswerBool<nMItem, false>>, ".x"},
    {"ItemMotionSetPaused", Native<Ignored<nMItem>>, ".xb"},
    {"ItemMotionSetPropagation", Native<Ignored<nMItem>>, ".xbb"},
    {"ItemReplicateItemMotion", Native<ReplicateItemMotion>, ".xx"},
    {"ItemSetCommandList", Native<SetCommandList>, ".xs"},
    {"ItemResetCommandList", Native<CallOf<&nACEUnit::ResetCommandList, nMItem>>, ".x"},
    {"ItemIsCommandListDone", Native<AnswerBoolOf<&nMItem::IsCommandListDone, nMItem>>, ".x"},
    {"ItemGetScriptInstanceCount", Native<GetScriptInstanceCount>, ".x"},
    {"ItemGetScriptInstance", Native<GetScriptInstance>, ".x"},
    {"ItemGetScriptInstanceFromIndex", Native<GetScriptInstanceFromIndex>, ".xi"},
    {"ItemGetScriptInstanceFromClass", Native<GetScriptInstanceFromClass>, ".xs"},
    {"ItemHasScript", Native<HasScript>, ".xs"},
    {"ItemSetScript", Native<SetScript>, ".xss"},
    {"ItemSetupScript", Native<CallInWalk<&nMItem::SetupScript>>, ".x"},
    {"ItemGetScriptLogicFrequency", Native<AnswerFloatOf<&nMItem::GetLogicRate>>, ".x"},
    {"ItemSetScriptLogicFrequency", Native<SetFloatOf<&nMItem::SetLogicRate>>, ".xn"},
    {"ItemRegistrySetKey", Native<RegistrySetKey>, ".xs."},
    {"ItemRegistryGetKey", Native<RegistryGetKey>, ".xs"},
};
} // namespace

void RegisterItemScriptNatives(HSQUIRRELVM vm)
{
    RegisterNatives(vm, ItemScriptNatives);
}
