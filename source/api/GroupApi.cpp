#include "animation/nAnimationSourceList.h"
#include "api/AnimationSourceApi.h"
#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "core/base/nLog.h"
#include "core/math/nMatrix4.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nScene.h"

template <> struct nHandleArg<nGroup>
{
    static nGroup* Get(HSQUIRRELVM vm, SQInteger index)
    {
        return GetObjectArg<nGroup>(vm, index, ObjectTypeSceneGroup);
    }
};

namespace
{
SQInteger OffsetMatrix(const ScriptArgs& args, nGroup& group)
{
    nMatrix4 matrix;
    if (!GetMatrix4Arg(args.GetVM(), 3, matrix))
        return SQ_ERROR;
    group.OffsetMatrix(matrix);
    return 0;
}

SQInteger FindItem(const ScriptArgs& args, nGroup& group)
{
    return PushItem(args.GetVM(), group.FindItem(args.GetString(3)));
}

// The root must be an item of the scene that holds the group: only that scene tells its groups
// when the item goes.
SQInteger SetRootItem(const ScriptArgs& args, nGroup& group)
{
    nMItem* root = GetItemArg(args.GetVM(), 3);
    if (!root)
        return SQ_ERROR;
    if (!root->GetScene()->GetGroups().Find(&group))
    {
        nLogHolder::Get() << "[!] Item '" << root->GetName() << "' cannot be the root of group '"
                          << group.GetName() << "': they belong to different scenes.\n";
        return 0;
    }
    group.SetRootItem(root);
    return 0;
}

SQInteger GetRootItem(const ScriptArgs& args, nGroup& group)
{
    return PushItem(args.GetVM(), group.GetRootItem());
}

SQInteger ItemIsMember(const ScriptArgs& args, nGroup& group)
{
    nMItem* item = GetItemArg(args.GetVM(), 3);
    return item ? args.PushBool(group.IsMember(item)) : SQ_ERROR;
}

// The members' events run as a walk of their scene (see nScene::ItemWalk).
template <typename Operation> SQInteger WalkMembers(nGroup& group, Operation operation)
{
    const auto* first = group.GetItems().GetHead();
    if (!first)
        return 0;
    const nScene::ItemWalk walk(*first->value->GetScene());
    operation();
    return 0;
}

SQInteger Setup(const ScriptArgs&, nGroup& group)
{
    return WalkMembers(group, [&] { group.Setup(); });
}

SQInteger SetupScript(const ScriptArgs&, nGroup& group)
{
    return WalkMembers(group, [&] { group.SetupScript(); });
}

SQInteger Reset(const ScriptArgs&, nGroup& group)
{
    return WalkMembers(group, [&] { group.Reset(true); });
}

SQInteger SetMotion(const ScriptArgs& args, nGroup& group)
{
    nAnimationSourceList* sources = nullptr;
    float fadeTime = 0.0f;
    if (GetFloatArg(args, 4, AnyFinite, fadeTime))
        group.SetMotion(args.GetString(3), &sources, fadeTime, false, 1.0f);
    return PushAnimationSources(args.GetVM(), sources);
}

SQInteger GetItemList(const ScriptArgs& args, nGroup& group)
{
    return PushItemArray(args.GetVM(), group.GetItems(), [](nMItem* item) { return item; });
}

const nNativeEntry GroupNatives[] = {
    {"GroupActivate", Native<SetBoolOf<&nGroup::Activate>>, ".xb"},
    {"GroupSetInvisible", Native<SetBoolOf<&nGroup::SetInvisible>>, ".xb"},
    {"GroupOffsetMatrix", Native<OffsetMatrix>, ".xx"},
    {"GroupFindItem", Native<FindItem>, ".xs"},
    {"GroupSetRootItem", Native<SetRootItem>, ".xx"},
    {"GroupGetRootItem", Native<GetRootItem>, ".x"},
    {"GroupItemIsMember", Native<ItemIsMember>, ".xx"},
    {"GroupSetup", Native<Setup>, ".x"},
    {"GroupSetupScript", Native<SetupScript>, ".x"},
    {"GroupReset", Native<Reset>, ".x"},
    {"GroupSetMotion", Native<SetMotion>, ".xsn"},
    {"GroupGetItemList", Native<GetItemList>, ".x"},
};
} // namespace

void RegisterGroupApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, GroupNatives);
}
