#include "engine/QuenvarViewerBase.h"

#include "core/io/nIOCFile.h"
#include "core/base/nLog.h"
#include "core/picture/nPictureIOCodec.h"
#include "core/base/nSharedPtr.h"
#include "engine/Banner.h"
#include "platform/nPlatform.h"

bool QuenvarViewerBase::s_missingResource = false;

QuenvarViewerBase::QuenvarViewerBase() : m_dataSourcePath("./"), m_inputPath("scene.nms") {}

QuenvarViewerBase::~QuenvarViewerBase()
{
    Shutdown();
}

QuenvarViewerBase::OptionResult QuenvarViewerBase::ParseOption(int, char**, int&)
{
    return OptionUnknown;
}

void QuenvarViewerBase::PrintOptionUsage() const {}

bool QuenvarViewerBase::PreInitialise()
{
    s_missingResource = false;
    PrintBanner();
    PictureRegisterIOCodecs();
    MountHostDirectory("", "view@cfile/");
    return true;
}

bool QuenvarViewerBase::MountHostDirectory(const char* root, const char* mountName)
{
    // The mount table takes its own reference; a refused back end goes with this one.
    const nSharedPtr<nIOCFile> directory(new nIOCFile(nString(root)));
    if (directory && nPlatform::Get().GetIOSystem().Mount(directory.Get(), mountName))
        return true;
    nLogHolder::Get() << "[!] Failed to mount '" << root << "' as '" << mountName << "'.\n";
    return false;
}

// The viewer cannot run a scene or a project before the engine, the renderer and the mixer exist,
// so start-up fails as an unknown renderer would.
bool QuenvarViewerBase::Startup()
{
    nLogHolder::Get() << "[!] Viewer start-up is not available in this build.\n";
    return false;
}

// Frames run once the engine exists; until then there is no frame to step and the loop ends.
bool QuenvarViewerBase::Step()
{
    return false;
}

bool QuenvarViewerBase::CheckExit() const
{
    if (s_missingResource && !m_ignoreMissingResources)
    {
        nLogHolder::Get() << "[!] Exiting due to missing resources.\n";
        return true;
    }
    return false;
}

bool QuenvarViewerBase::Shutdown()
{
    m_running = false;
    return true;
}
