// Any NML text: every root goes through the physics item, shape, wheel and constraint readers,
// is written and read back (the second reading must agree with the first), and the items are
// built into a world that is stepped, ray-cast and asked for its contacts.
#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "physics/nBulletWorld.h"
#include "physics/nPhysicConstraint.h"
#include "physics/nPhysicContact.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicRayHit.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "round trip: %s\n", what);
        std::abort();
    }
}

void RoundTripItem(nBulletWorld& world, const nMetaTag* root, std::unique_ptr<nPhysicItem>& kept)
{
    std::unique_ptr<nPhysicItem> item(world.NewItem());
    if (!item->ParseTag(root))
        return;
    std::unique_ptr<nMetaTag> written(item->SerializeTag());
    std::unique_ptr<nPhysicItem> again(world.NewItem());
    Check(written && again->ParseTag(written.get()), "item written is read");
    const int32_t mode = item->GetMode() >= 0 && item->GetMode() <= PhysicModeVehicle ? item->GetMode() : 0;
    Check(again->GetMode() == mode, "item mode");
    Check(again->GetSelfMask() == item->GetSelfMask() && again->GetMask() == item->GetMask(), "item masks");
    Check(again->GetShapes().GetCount() == item->GetShapes().GetCount(), "item shapes");
    Check(again->GetWheels().GetCount() == item->GetWheels().GetCount(), "item wheels");
    item->Build();
    again->Build();
    kept = std::move(again);
}

void RoundTripConstraint(nBulletWorld& world, const nMetaTag* root, nPhysicItem* item)
{
    std::unique_ptr<nPhysicConstraint> constraint(world.NewConstraint());
    if (!constraint->ParseTag(root))
        return;
    std::unique_ptr<nMetaTag> written(constraint->SerializeTag());
    std::unique_ptr<nPhysicConstraint> again(world.NewConstraint());
    Check(written && again->ParseTag(written.get()), "constraint written is read");
    const int32_t type = constraint->GetType() >= 0 && constraint->GetType() <= PhysicConstraintHinge
                             ? constraint->GetType()
                             : 0;
    Check(again->GetType() == type, "constraint type");
    constraint->SetItemA(item);
    world.Step(1.0f / 60.0f);
}

template <typename Record> void RoundTripRecord(const nMetaTag* root)
{
    Record record;
    if (!record.ParseTag(root))
        return;
    std::unique_ptr<nMetaTag> written(record.SerializeTag());
    Record again;
    Check(written && again.ParseTag(written.get()), "record written is read");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    nMetaFile file;
    file.Parse(reinterpret_cast<const char*>(data), size);

    // One world for every input, as opening one costs far more than a run: each run leaves it
    // empty again.
    static nBulletWorld& world = *[]
    {
        auto* opened = new nBulletWorld(nullptr);
        opened->Open();
        return opened;
    }();
    std::unique_ptr<nPhysicItem> items[4];
    nLinkedListIterator iterator;
    int count = 0;
    while (const nMetaTag* root = file.GetNextRoot(iterator))
    {
        RoundTripItem(world, root, items[count % 4]);
        RoundTripConstraint(world, root, items[count % 4].get());
        RoundTripRecord<nPhysicShape>(root);
        RoundTripRecord<nPhysicWheel>(root);
        ++count;
    }
    for (int step = 0; step < 5; ++step)
        world.Step(1.0f / 60.0f);
    nPhysicContact contact;
    for (int32_t i = 0; i < world.GetContactCount(); ++i)
        world.GetContact(i, contact);
    nPhysicRayHit hit;
    world.RayCast(nVector(0, 50, 0), nVector(0, -1, 0), hit, 0xFFFF, 0, 0.0f);
    for (auto& item : items)
        item.reset();
    world.ClearShapeCaches();
    nLogHolder::Set(nullptr);
    return 0;
}
