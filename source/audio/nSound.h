#pragma once

#include "audio/nSample.h"
#include "platform/nstring/nString.h"

#include <memory>

class nEngineServices;
class nMixerData;

// A sample known to the engine, uploaded to the mixer that is current when it is set up. The
// engine's resource caches own sounds.
class nSound : public nSample
{
public:
    explicit nSound(nEngineServices* engine);
    // Tells the engine's listeners (destroying, then destroyed), stops the channels that play it,
    // frees it on the mixer and turns the script handles on it into dead ones.
    ~nSound() override;

    // Uploads the sample to the engine's current mixer.
    void Setup();

    nEngineServices* GetEngine() const { return m_engine; }
    const nString& GetName() const { return m_name; }
    void SetName(const nString& name) { m_name = name; }
    nMixerData* GetMixerData() const { return m_mixerData.get(); }
    void SetMixerData(std::unique_ptr<nMixerData> data);

private:
    nEngineServices* m_engine;
    nString m_name;
    std::unique_ptr<nMixerData> m_mixerData;
};
