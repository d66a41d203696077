#include "engine/resources/nResourceLoader.h"

#include "platform/nPlatform.h"

nResourceLoader::nResourceLoader(Quenvar& engine, const char* path)
    : m_engine(engine), m_hasPath(path != nullptr)
{
    if (path)
        m_name = nString(path).GetNormalizedPath();
}

bool nResourceLoader::Redirect(Quenvar::NotFoundHook notFound)
{
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    if (!notFound || files.Exists(m_name))
        return false;
    notFound(m_name);
    nString relative;
    files.MakeRelativePath(relative, m_name);
    m_name = relative;
    return true;
}

void nResourceLoader::Begin()
{
    Quenvar::EventInterface* sink = m_engine.GetEventSink();
    if (sink)
    {
        sink->OnLoadBegin();
        sink->OnLoadProgress(
            nString::Format("Loading resource '%s'...", m_name.GetText() ? m_name.GetText() : "").GetText(),
            -1.0f);
    }
    m_engine.SendCoreMessage(CoreMessageLoadBegin, nullptr);
}

void nResourceLoader::Finish(const nCoreEventData& data)
{
    m_engine.SendCoreMessage(CoreMessageLoadEnd, &data);
}

void nResourceLoader::End()
{
    if (Quenvar::EventInterface* sink = m_engine.GetEventSink())
        sink->OnLoadEnd();
}
