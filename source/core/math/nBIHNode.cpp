#include "core/math/nBIHNode.h"

#include "core/math/nMinMax.h"

#include <new>

bool nBIHNode::MakeSplit(uint8_t axis, float leftClip, float rightClip)
{
    if (axis > BIHNodeSplitZ)
        return false;
    nBIHNode* children = new (std::nothrow) nBIHNode[2];
    if (!children)
        return false;
    ReleaseChildren();
    kind = axis;
    split = Split{children, leftClip, rightClip};
    return true;
}

void nBIHNode::MakeLeaf(const uint32_t* firstItem, uint32_t count, uint32_t& leafCount)
{
    ReleaseChildren();
    kind = BIHNodeLeaf;
    leaf = Leaf{firstItem, count};
    ++leafCount;
}

void nBIHNode::ReleaseChildren()
{
    if (kind != BIHNodeLeaf)
        delete[] split.children;
    kind = BIHNodeLeaf;
    leaf = Leaf{nullptr, 0};
}

void BIHHalveBox(nMinMax& box, uint8_t axis, bool keepUpper)
{
    float* minimum = axis == 0 ? &box.min.x : axis == 1 ? &box.min.y : &box.min.z;
    float* maximum = axis == 0 ? &box.max.x : axis == 1 ? &box.max.y : &box.max.z;
    const float middle = (*minimum + *maximum) * 0.5f;
    if (keepUpper)
        *minimum = middle;
    else
        *maximum = middle;
}
