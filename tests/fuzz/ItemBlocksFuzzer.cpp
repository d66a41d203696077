#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
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
} // namespace

// Any NML text; every root goes to every item block reader, as scene files hand them over.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        nLogHolder::Get().SetMask(LogLevelNone);
        return true;
    }();
    (void)quiet;
    nMetaFile file;
    file.Parse(reinterpret_cast<const char*>(data), size);
    nScene* scene = new nScene(nullptr, nullptr);
    scene->AddRef();
    nMItem* items[] = {scene->NewCamera("C"), scene->NewObject("O"), scene->NewLight("L", LightTypeSpot, 0.5f),
                       scene->NewTrigger("T")};
    nLinkedListIterator iterator;
    while (nMetaTag* root = file.GetNextRoot(iterator))
    {
        nItem item(nullptr);
        nCamera camera(nullptr);
        nLight light(nullptr);
        nObject object(nullptr);
        ReadWriteRead(item, file, *root);
        ReadWriteRead(camera, file, *root);
        ReadWriteRead(light, file, *root);
        ReadWriteRead(object, file, *root);
        camera.GetWorldMatrix();
        light.GetWorldMatrix();
        for (nMItem* managed : items)
        {
            ReadWriteRead(*managed, file, *root);
            managed->ParseManagedTag(file, *root);
            managed->GetItem()->GetWorldMatrix();
        }
    }
    scene->Release();
    return 0;
}
