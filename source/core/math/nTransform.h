#pragma once

#include "core/math/nMatrix3.h"
#include "core/math/nVector.h"

class nMatrix4;
class nMetaTag;
class nMinMax;

// An oriented box: its centre, its full size along its own axes and its rotation.
class nTransform
{
public:
    nVector position;
    nVector scale;
    nMatrix3 rotation;

    nTransform() = default;
    nTransform(const nVector& position, const nVector& scale, const nMatrix3* rotation = nullptr);

    static nTransform FromMinMax(const nMinMax& box);
    void ApplyMatrix4(const nMatrix4& matrix);
    nMinMax ToMinMax() const;

    // A new tag "OBB" with "Position", "Scale" and "Matrix", read back by position.
    nMetaTag* Serialize() const;
    bool Parse(const nMetaTag* tag);
};
