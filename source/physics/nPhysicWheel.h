#pragma once

#include "core/math/nMatrix4.h"

class nMetaTag;

// One wheel of a vehicle item. The reference matrix's translation is the connection point in
// the body's space, its x axis the axle, and the wheel points down its negative y axis.
class nPhysicWheel
{
public:
    // False only for a wrong root id; the wheel is then unchanged.
    bool ParseTag(const nMetaTag* tag);
    nMetaTag* SerializeTag() const;

    float friction = 50.0f;
    float radius = 0.3f;
    bool isFront = false; // kept and stored; the vehicle set-up does not use it
    nMatrix4 referenceMatrix;
    float restLength = 1.0f;
    float maxCompression = 2.0f;
    float stiffness = 30.0f;
    float damping = 0.25f;
};
