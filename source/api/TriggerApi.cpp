#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"

#include "engine/items/nTrigger.h"

template <> struct nHandleArg<nTrigger> : nItemViewArg<nTrigger, ObjectTypeTrigger, ItemTypeTrigger>
{
};

// An entry counts while its inside flag is set: the trigger's last evaluation found the item inside.
namespace
{
SQInteger GetItemList(const ScriptArgs& args, nTrigger& trigger)
{
    return PushItemArray(args.GetVM(), trigger.GetEntries(),
                         [](const nTriggerItem* entry) { return entry->seen ? entry->item : nullptr; });
}

SQInteger TestItem(const ScriptArgs& args, nTrigger& trigger)
{
    const nMItem* item = GetItemArg(args.GetVM(), 3);
    if (!item)
        return SQ_ERROR;
    for (const auto* node = trigger.GetEntries().GetHead(); node; node = node->next)
        if (node->value->seen && node->value->item == item)
            return args.PushBool(true);
    return args.PushBool(false);
}

const nNativeEntry TriggerNatives[] = {
    {"TriggerGetItemList", Native<GetItemList>, ".x"},
    {"TriggerTestItem", Native<TestItem>, ".xx"},
};
} // namespace

void RegisterTriggerApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, TriggerNatives);
}
