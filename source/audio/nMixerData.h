#pragma once

// What a mixer back end keeps for one uploaded sound; the sound owns it.
class nMixerData
{
public:
    virtual ~nMixerData() = default;
};
