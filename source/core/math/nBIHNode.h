#pragma once

#include <cstdint>

class nMinMax;

enum nBIHNodeKind : uint8_t
{
    BIHNodeSplitX = 0,
    BIHNodeSplitY = 1,
    BIHNodeSplitZ = 2,
    BIHNodeLeaf = 3,
};

// One node of a bounding-interval hierarchy. A split node divides its items on one axis between
// its two children, which are allocated together and owned by the node; the lower child holds
// the items below the left clip, the upper child those above the right clip. A leaf names a run
// of the hierarchy's item indices, which it does not own.
struct nBIHNode
{
    struct Split
    {
        nBIHNode* children;
        float leftClip;
        float rightClip;
    };
    struct Leaf
    {
        const uint32_t* firstItem;
        uint32_t count;
    };

    // A new node is an empty leaf.
    nBIHNode() : leaf{nullptr, 0} {}
    nBIHNode(const nBIHNode&) = delete;
    nBIHNode& operator=(const nBIHNode&) = delete;
    ~nBIHNode() { ReleaseChildren(); }

    bool IsLeaf() const { return kind == BIHNodeLeaf; }

    // Splits the node on an axis (0 to 2) with two new empty leaves as its children; false, the
    // node unchanged, when they cannot be allocated.
    bool MakeSplit(uint8_t axis, float leftClip, float rightClip);
    // Makes the node a leaf over count item indices from firstItem, and counts it.
    void MakeLeaf(const uint32_t* firstItem, uint32_t count, uint32_t& leafCount);

    uint8_t kind = BIHNodeLeaf;
    union
    {
        Split split;
        Leaf leaf;
    };

private:
    void ReleaseChildren();
};

// Halves a box on an axis (0 to 2) at its midpoint, keeping the lower or the upper half.
void BIHHalveBox(nMinMax& box, uint8_t axis, bool keepUpper);
