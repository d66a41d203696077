#include "api/ItemApi.h"
#include "api/ScriptApiGroups.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"

template <> struct nHandleArg<nInstance> : nItemViewArg<nInstance, ObjectTypeInstance, ItemTypeInstance>
{
};

namespace
{
// The content the instance made of its template; an instance not set up holds none.
SQInteger GetItemList(const ScriptArgs& args, nInstance& instance)
{
    const nGroup* group = instance.GetGroup();
    if (!group)
    {
        sq_newarray(args.GetVM(), 0);
        return 1;
    }
    return PushItemArray(args.GetVM(), group->GetItems(), [](nMItem* item) { return item; });
}

const nNativeEntry InstanceNatives[] = {
    {"InstanceGetItemList", Native<GetItemList>, ".x"},
};
} // namespace

void RegisterInstanceApi(HSQUIRRELVM vm)
{
    RegisterNatives(vm, InstanceNatives);
}
