#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"

// Loading a scene's geometries ahead fills the engine's current cache, where the scene's own
// load later finds them; the scene keeps no reference itself.
bool nScene::PreloadResources(const char* path)
{
    nLogHolder::Get() << "[H] Preloading scene '" << path << "' resources.\n";
    nMetaFile file;
    if (!file.Load(path))
        return false;
    const nMetaTag* root = file.GetTypedTag("Scene", TagTypeNone);
    const nMetaTag* items = root ? root->GetTag("Items") : nullptr;
    if (!items || !m_engine)
        return true;
    nLinkedListIterator iterator;
    while (const nMetaTag* item = items->GetNextChild(iterator))
    {
        if (item->GetName() != "MObject")
            continue;
        if (const nMetaTag* geometry = item->GetTypedTag("Object:Geometry", TagTypeString))
            m_engine->LoadGeometry(geometry->GetValue().GetText().GetText(), false, false);
    }
    return true;
}
