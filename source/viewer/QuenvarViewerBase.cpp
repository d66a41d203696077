#include "viewer/QuenvarViewerBase.h"

#include "api/ScriptApi.h"
#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/picture/nPictureIOCodec.h"
#include "platform/nPlatform.h"
#include "viewer/Banner.h"

bool QuenvarViewerBase::s_missingResource = false;

QuenvarViewerBase::QuenvarViewerBase()
    : m_dataSourcePath("./"), m_inputPath("scene.nms"), m_project(&m_engine, RegisterScriptApi)
{
    m_project.GetVM().SetListener(&m_scriptErrorListener, false);
}

QuenvarViewerBase::~QuenvarViewerBase()
{
    Shutdown();
}

QuenvarViewerBase::OptionResult QuenvarViewerBase::ParseOption(int, char**, int&)
{
    return OptionUnknown;
}

void QuenvarViewerBase::PrintOptionUsage() const {}

void QuenvarViewerBase::OnResourceMissing(nString&)
{
    s_missingResource = true;
}

bool QuenvarViewerBase::PreInitialise()
{
    s_missingResource = false;
    m_engine.SetGeometryNotFoundHook(OnResourceMissing);
    m_engine.SetTextureNotFoundHook(OnResourceMissing);
    m_engine.SetSoundNotFoundHook(OnResourceMissing);
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

void QuenvarViewerBase::ScriptErrorListener::OnError(const char* text)
{
    nLogHolder::Get() << "[!] Script error: " << (text ? text : "") << "\n";
}

void QuenvarViewerBase::ScriptErrorListener::OnCompileError(const char* description, const char* source,
                                                            int32_t line)
{
    nLogHolder::Get() << "[!] Script compile error in '" << (source ? source : "") << "' line " << int(line)
                      << ": " << (description ? description : "") << "\n";
}

void QuenvarViewerBase::ScriptErrorListener::OnRuntimeError(const char* text)
{
    nLogHolder::Get() << "[!] Script runtime error: " << (text ? text : "") << "\n";
}
