#include "viewer/QuenvarViewerBase.h"

#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOArchive.h"
#include "core/nml/nMetaTag.h"
#include "platform/nPlatform.h"
#include "viewer/StartupFile.h"

namespace
{

const char* const BootstrapArchivePath = "view@cfile/native/000.vxa";

// The archive that carries the bootstrap file when the working directory has none; it stays
// mounted as "@core/" for the run once its bootstrap file has been read. A missing archive logs
// nothing: without one the usage text is all the user needs.
bool LoadArchivedBootstrap(nMetaFile& bootstrap)
{
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    if (!files.Exists(BootstrapArchivePath))
        return false;
    const nSharedPtr<nIOArchive> archive(new nIOArchive(BootstrapArchivePath));
    if (!archive || !archive->IsOpen())
        return false;
    if (!files.Mount(archive.Get(), "@core/"))
    {
        nLogHolder::Get() << "[!] Failed to mount '" << BootstrapArchivePath << "' as '@core/'.\n";
        return false;
    }
    if (bootstrap.Load("@core/bootstrap.txt"))
        return true;
    files.Unmount(archive.Get());
    return false;
}

} // namespace

bool QuenvarViewerBase::ReadBootstrap()
{
    nMetaFile bootstrap;
    nString path;
    if (FindStartupFile(nString("bootstrap.txt"), path) && bootstrap.Load(path.GetText()))
    {
        m_dataSourceKind = DataSourceHostDirectory;
    }
    else if (LoadArchivedBootstrap(bootstrap))
    {
        m_dataSourcePath = BootstrapArchivePath;
        m_dataSourceKind = DataSourceArchive;
    }
    else
    {
        return false;
    }

    m_viewMode = bootstrap.GetString("ViewMode;", "Scene") == "Scene" ? ViewModeScene : ViewModeProject;
    if (MetaFindTagInList(&bootstrap.GetRoots(), "ViewScene;", false))
        m_viewMode = ViewModeScene;
    m_inputPath = bootstrap.GetString("Input;", "scene.nms");
    m_ignoreEscape = bootstrap.GetBool("IgnoreEsc;", false);
    m_ignoreMissingResources = bootstrap.GetBool("IgnoreMissingResource;", false);
    return true;
}
