#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nScene.h"

#include <cstddef>
#include <cstdint>

// Any NML text; every root goes through the scene reader into a fresh scene, into the scene
// itself and into a group, then the scene is written and stepped once.
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
    nLinkedListIterator iterator;
    while (nMetaTag* root = file.GetNextRoot(iterator))
    {
        scene->Parse(file, *root, nullptr, ImportFlagAll, 0);
        nGroup* group = nullptr;
        scene->Parse(file, *root, &group, ImportFlagInstanceTemplate, 1);
    }
    nMetaFile written;
    scene->Serialize(written, nullptr, ImportFlagAll);
    scene->Update(SceneUpdateAll);
    scene->Release();
    return 0;
}
