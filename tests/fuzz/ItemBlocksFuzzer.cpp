#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "engine/items/nLight.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nObject.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nScene.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace
{
// Each part reads the tag, writes itself and reads what it wrote.
template <typename Part> void ReadWriteRead(Part& part, nMetaFile& file, nMetaTag& tag)
{
    part.ParseTag(file, tag);
    std::unique_ptr<nMetaTag> written(part.SerializeTag(file));
    if (written)
        part.ParseTag(file, *written);
}

// One engine and one scene with a physics world for the whole run (a world per input would
// leave little time for the readers); the items are read again by every input.
struct FuzzScene
{
    FuzzScene()
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        scene->AddRef();
        scene->CreatePhysicWorld();
        items[0] = scene->NewCamera("C");
        items[1] = scene->NewObject("O");
        items[2] = scene->NewLight("L", LightTypeSpot, 0.5f);
        items[3] = scene->NewTrigger("T");
    }

    Quenvar engine;
    nScene* scene = new nScene(&engine, nullptr);
    nMItem* items[4] = {};
};
} // namespace

// Any NML text; every root goes to every item block reader, as scene files hand them over. Names
// of geometries and textures go through the engine's loaders, and managed items have physics
// items, so the older physics blocks are read too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzScene* fuzz = new FuzzScene();
    Quenvar* engine = &fuzz->engine;
    nMetaFile file;
    file.Parse(reinterpret_cast<const char*>(data), size);
    nLinkedListIterator iterator;
    while (nMetaTag* root = file.GetNextRoot(iterator))
    {
        nItem item(engine);
        nCamera camera(engine);
        nLight light(engine);
        nObject object(engine);
        ReadWriteRead(item, file, *root);
        ReadWriteRead(camera, file, *root);
        ReadWriteRead(light, file, *root);
        ReadWriteRead(object, file, *root);
        camera.GetWorldMatrix();
        light.GetWorldMatrix();
        for (nMItem* managed : fuzz->items)
        {
            ReadWriteRead(*managed, file, *root);
            managed->ParseManagedTag(file, *root);
            managed->GetItem()->GetWorldMatrix();
        }
    }
    return 0;
}
