#pragma once

// Told before (true) and after (false) every fixed sub-step, with the sub-step's length.
class nPhysicWorldCallback
{
public:
    virtual ~nPhysicWorldCallback() = default;
    virtual void OnSubStep(float seconds, bool before) = 0;
};
