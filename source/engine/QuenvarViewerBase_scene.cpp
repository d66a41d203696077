#include "engine/QuenvarViewerBase.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/scene/nScene.h"

#include <new>

namespace
{
bool HasSceneRoot(const nMetaFile& document)
{
    nLinkedListIterator iterator;
    while (const nMetaTag* root = document.GetNextRoot(iterator))
        if (root->GetName() == "Scene")
            return true;
    return false;
}
} // namespace

bool QuenvarViewerBase::OpenScene()
{
    m_scene = new (std::nothrow) nScene(&m_engine, &m_project.GetVM());
    if (!m_scene)
    {
        nLogHolder::Get() << "[!] Failed to create scene object.\n";
        return false;
    }
    nMetaFile document;
    if (!document.Load(m_inputPath.GetText()))
        return false;
    if (!HasSceneRoot(document))
    {
        nLogHolder::Get() << "[!] Could not open scene '" << m_inputPath << "': it has no Scene root.\n";
        return false;
    }
    nLogHolder::Get() << "[!] Could not open scene '" << m_inputPath << "': scene files cannot be read in this build.\n";
    return false;
}

void QuenvarViewerBase::StepScene(bool&)
{
    m_project.UpdateScriptClock();
}
