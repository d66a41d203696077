#include "core/math/nTransform.h"

#include "core/math/nMatrix4.h"
#include "core/nml/nMetaTag.h"
#include "core/math/nMinMax.h"

#include <cmath>

nTransform::nTransform(const nVector& position, const nVector& scale, const nMatrix3* rotation)
    : position(position), scale(scale), rotation(rotation ? *rotation : nMatrix3())
{
}

nTransform nTransform::FromMinMax(const nMinMax& box)
{
    return nTransform((box.min + box.max) * 0.5f, box.max - box.min);
}

void nTransform::ApplyMatrix4(const nMatrix4& matrix)
{
    const nMatrix3 linear = matrix.GetMatrix3();
    rotation = linear * rotation;
    position = position.MulMatrix3(linear) + matrix.GetTranslation();
}

// Each world half extent sums the box's half sizes weighted by the absolute rotation
// entries; turning the half-size vector itself would cancel terms of opposite sign and
// give a box thinner than the one it encloses.
nMinMax nTransform::ToMinMax() const
{
    const nVector half = scale * 0.5f;
    nMatrix3 absolute;
    for (int i = 0; i < 9; ++i)
        absolute.m[i] = std::fabs(rotation.m[i]);
    const nVector halfExtents = half.Abs().MulMatrix3(absolute);
    return nMinMax(position - halfExtents, position + halfExtents);
}

nMetaTag* nTransform::Serialize() const
{
    nMetaTag* tag = new nMetaTag("OBB");
    if (!tag)
        return nullptr;
    nMetaTag* children[3] = {position.Serialize("Position"), scale.Serialize("Scale"),
                             rotation.Serialize("Matrix")};
    bool complete = true;
    for (nMetaTag* child : children)
    {
        if (complete && tag->AddChildTag(child))
            continue;
        complete = false;
        delete child;
    }
    if (!complete)
    {
        delete tag;
        return nullptr;
    }
    return tag;
}

bool nTransform::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    nLinkedListIterator iterator;
    nVector newPosition = position, newScale = scale;
    nMatrix3 newRotation = rotation;
    if (!newPosition.Parse(tag->GetNextChild(iterator)) || !newScale.Parse(tag->GetNextChild(iterator)) ||
        !newRotation.Parse(tag->GetNextChild(iterator)))
        return false;
    position = newPosition;
    scale = newScale;
    rotation = newRotation;
    return true;
}
