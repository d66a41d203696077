#include "audio/nSound.h"

#include "audio/nMixer.h"
#include "audio/nMixerData.h"
#include "render/nCoreEventData.h"
#include "render/nEngineServices.h"
#include "render/nProfileScope.h"
#include "script/nCObject.h"

nSound::nSound(nEngineServices* engine) : m_engine(engine) {}

nSound::~nSound()
{
    if (m_engine)
    {
        const nCoreEventData data(this);
        m_engine->SendCoreMessage(CoreMessageResourceDestroying, &data);
        nMixer* mixer = m_engine->GetMixer();
        mixer->ChannelStopSound(this);
        mixer->FreeSample(this);
        m_engine->SendCoreMessage(CoreMessageResourceDestroyed, &data);
    }
    nCObject::Invalidate(this);
    m_mixerData.reset();
}

void nSound::Setup()
{
    const nProfileScope scope(m_engine, "Sound Setup");
    if (m_engine)
        m_engine->GetMixer()->UploadSample(this);
}

void nSound::SetMixerData(std::unique_ptr<nMixerData> data)
{
    m_mixerData = std::move(data);
}
