#include "engine/Quenvar.h"

#include "audio/nSound.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <new>

// A sound that loaded joins the current cache, which owns it from then on; one that did not is
// deleted here, so that nothing leaks and no caller keeps a sound without data.
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
    {
        sound = new (std::nothrow) nSound(this);
        nLog& log = nLogHolder::Get();
        if (!sound)
            log << "[!] Could not allocate new sound.\n";
        else
        {
            log << "Loading sound '" << name << "'.\n";
            bool loaded = false;
            if (!files.Exists(name))
                log << "[!] Failed to locate '" << name << "', could not load sound.\n";
            else
            {
                sound->SetName(name);
                loaded = sound->Load(name);
                if (!loaded)
                    log << "[!] Failed to load sound from '" << name << "'.\n";
            }
            if (loaded && m_soundLoaded)
                m_soundLoaded(sound);
            if (loaded && m_setupOnLoad)
                sound->Setup();
            if (!loaded || !m_currentCache->GetSoundList().PushBack(sound))
            {
                delete sound;
                sound = nullptr;
            }
        }
    }
    m_eventSink->OnLoadProgress(nString::Format("Loading sound '%s'...", name.GetText() ? name.GetText() : "").GetText(),
                                -1.0f);
    m_eventSink->OnLoadEnd();
    return sound;
}
