#include "engine/Quenvar.h"

#include "audio/nSound.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <new>

namespace
{
// A sound that loaded joins the current cache, which owns it from then on; one that did not is
// deleted here, so that nothing leaks and no caller keeps a sound without data.
nSound* NewLoadedSound(Quenvar& engine, const nString& name)
{
    nLog& log = nLogHolder::Get();
    auto* sound = new (std::nothrow) nSound(&engine);
    if (!sound)
    {
        log << "[!] Could not allocate new sound.\n";
        return nullptr;
    }
    log << "Loading sound '" << name << "'.\n";
    bool loaded = false;
    if (!nPlatform::Get().GetIOSystem().Exists(name))
        log << "[!] Failed to locate '" << name << "', could not load sound.\n";
    else
    {
        sound->SetName(name);
        loaded = sound->Load(name);
        if (!loaded)
            log << "[!] Failed to load sound from '" << name << "'.\n";
    }
    if (loaded && engine.GetSoundLoadedHook())
        engine.GetSoundLoadedHook()(sound);
    if (loaded && engine.GetSetupOnLoad())
        sound->Setup();
    if (loaded && engine.GetResourceCache()->GetSoundList().PushBack(sound))
        return sound;
    delete sound;
    return nullptr;
}
} // namespace

nSound* Quenvar::LoadSound(const char* path)
{
    if (!path)
        return nullptr;
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    nString name = nString(path).GetNormalizedPath();
    nSound* sound = m_currentCache->FindSound(name);
    m_eventSink->OnLoadBegin();
    if (!sound && m_soundNotFound && !files.Exists(name))
    {
        m_soundNotFound(name);
        nString relative;
        files.MakeRelativePath(relative, name);
        name = relative;
        sound = m_currentCache->FindSound(name);
    }
    if (!sound)
        sound = NewLoadedSound(*this, name);
    const char* text = name.GetText() ? name.GetText() : "";
    m_eventSink->OnLoadProgress(nString::Format("Loading sound '%s'...", text).GetText(), -1.0f);
    m_eventSink->OnLoadEnd();
    return sound;
}
