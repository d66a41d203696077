#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "engine/items/nEmitter.h"
#include "engine/items/nLight.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMConstraint.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMObject.h"
#include "engine/items/nMTerrain.h"
#include "engine/items/nObject.h"
#include "engine/items/nParticleModel.h"
#include "engine/items/nTerrain.h"
#include "engine/items/nTrigger.h"
#include "engine/scene/nScene.h"
#include "physics/nPhysicItem.h"
#include "platform/nPlatform.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace
{
// After the NML text, the input may hold a height file "h.raw" and a particle model "m.npm" that
// the blocks can name, separated by this sequence.
constexpr char FileSeparator[] = "\0%%\0";
constexpr size_t FileSeparatorLength = sizeof(FileSeparator) - 1;

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
        items[4] = scene->NewEmitter("E");
        items[5] = scene->NewTerrain("G");
        nPlatform::Get().GetIOSystem().Mount(files);
    }

    Quenvar engine;
    nScene* scene = new nScene(&engine, nullptr);
    nMItem* items[6] = {};
    FuzzMemoryFiles* files = new FuzzMemoryFiles();
};
} // namespace

// Any NML text; every root goes to every item block reader, as scene files hand them over. Names
// of geometries and textures go through the engine's loaders, and managed items have physics
// items, so the older physics blocks are read too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzScene* fuzz = new FuzzScene();
    Quenvar* engine = &fuzz->engine;
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t end = input.find(FileSeparator, 0, FileSeparatorLength);
    const std::string text = input.substr(0, end);
    fuzz->files->ClearFiles();
    for (const char* name : {"h.raw", "m.npm"})
    {
        if (end == std::string::npos)
            break;
        const size_t begin = end + FileSeparatorLength;
        end = input.find(FileSeparator, begin, FileSeparatorLength);
        fuzz->files->Put(name, input.substr(begin, end == std::string::npos ? end : end - begin));
    }
    engine->GetResourceCache()->Clear(); // a model of the same name comes from this input's file
    nMetaFile file;
    file.Parse(text.data(), text.size());
    nLinkedListIterator iterator;
    while (nMetaTag* root = file.GetNextRoot(iterator))
    {
        nItem item(engine);
        nCamera camera(engine);
        nLight light(engine);
        nObject object(engine);
        nEmitter emitter(engine);
        nTerrain terrain(engine);
        nParticleModel model(engine);
        ReadWriteRead(emitter, file, *root);
        ReadWriteRead(terrain, file, *root);
        ReadWriteRead(model, file, *root);
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
        // What the blocks built is used: a pool is made and run, the terrain queried and drawn.
        auto* managedEmitter = static_cast<nMEmitter*>(fuzz->items[4]);
        managedEmitter->Setup();
        managedEmitter->GetEmitter().Render(nullptr, nullptr, nullptr, 0, false);
        managedEmitter->GetEmitter().Update(0.1f);
        // The terrain's body is built, so a heightfield shape becomes a Bullet heightfield.
        fuzz->items[5]->Setup();
        if (nPhysicItem* body = fuzz->items[5]->GetPhysicItem())
            body->Free();
        nTerrain& ground = static_cast<nMTerrain*>(fuzz->items[5])->GetTerrain();
        nVector hit;
        ground.IntersectRay(nVector(1.0f, 100.0f, 2.0f), nVector(0.3f, -1.0f, 0.2f), hit);
        ground.GetHeight(0.5f, -0.5f);
        nAutoList<nRenderablePrimitive*> drawn;
        ground.Render(nullptr, nullptr, &drawn, 0, true);
        if (drawn.GetHead())
        {
            std::vector<nTerrainPageVertex> page(nTerrainPatch::PageSize * nTerrainPatch::PageSize);
            static_cast<nTerrainPatch*>(drawn.GetHead()->value->payload)->FillPatchPage(page.data());
        }
    }
    return 0;
}
