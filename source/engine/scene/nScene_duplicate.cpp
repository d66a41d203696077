#include "engine/scene/nScene.h"

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItem.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"

#include <memory>

nMItem* nScene::DuplicateItem(nMItem* item)
{
    if (!item)
        return nullptr;
    nMItem* copy = nullptr;
    switch (item->GetKind())
    {
    case ItemTypeCamera:
        copy = NewCamera("_");
        break;
    case ItemTypeObject:
        copy = NewObject("_");
        break;
    case ItemTypeLight:
        copy = NewLight("_", LightTypePoint, nMItem::DefaultPriority);
        break;
    case ItemTypeTrigger:
        copy = NewTrigger("_");
        break;
    case ItemTypeInstance:
        copy = NewInstance("_", nullptr);
        break;
    case ItemTypeConstraint:
        copy = NewConstraint("_");
        break;
    default:
        return nullptr;
    }
    if (!copy)
        return nullptr;
    nMetaFile file;
    std::unique_ptr<nMetaTag> tag(item->SerializeTag(file));
    // The copy keeps the UID it was created with: two items never share one.
    const int32_t uid = copy->GetUid();
    if (tag)
        copy->ParseTag(file, *tag);
    copy->SetUid(uid);
    if (copy->GetKind() == ItemTypeInstance)
    {
        auto* instance = static_cast<nInstance*>(copy);
        instance->SetDepth(static_cast<nInstance*>(item)->GetDepth());
        instance->SetupInstance(instance->GetDepth());
        if (nGroup* group = instance->GetGroup())
        {
            group->Setup();
            group->SetupScript();
        }
    }
    copy->Setup();
    copy->SetupScript();
    copy->GetItem()->SetParent(item->GetItem()->GetParent());
    return copy;
}
