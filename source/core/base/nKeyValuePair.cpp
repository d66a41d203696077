#include "core/base/nKeyValuePair.h"

#include <cstring>

void SwapPairs(nKeyValuePair& a, nKeyValuePair& b)
{
    const nKeyValuePair kept = a;
    a = b;
    b = kept;
}

// Quick sort around the middle pair, in three parts: keys below the pivot, keys equal to it and
// keys above it. Equal keys are then done at once; with two parts, many equal keys (one depth for
// every item of a scene) would make the sort quadratic. The smaller side is sorted by recursion
// and the larger one by the loop, so the stack stays logarithmic whatever the keys.
void SortKeyValuePairs(nKeyValuePair* pairs, int first, int last)
{
    while (first < last)
    {
        SwapPairs(pairs[first], pairs[first + (last - first) / 2]);
        const float pivot = pairs[first].key;
        int below = first;
        int above = last;
        for (int i = first + 1; i <= above;)
        {
            if (pairs[i].key < pivot)
                SwapPairs(pairs[below++], pairs[i++]);
            else if (pairs[i].key > pivot)
                SwapPairs(pairs[i], pairs[above--]);
            else
                ++i;
        }
        if (below - first < last - above)
        {
            SortKeyValuePairs(pairs, first, below - 1);
            first = above + 1;
        }
        else
        {
            SortKeyValuePairs(pairs, above + 1, last);
            last = below - 1;
        }
    }
}

namespace
{
uint32_t KeyBits(float key)
{
    uint32_t bits;
    std::memcpy(&bits, &key, sizeof bits);
    return bits;
}
} // namespace

void BubbleSortKeyValuePairs(uint32_t count, nKeyValuePair* pairs, nKeyValuePair* out)
{
    bool swapped = count > 1;
    while (swapped)
    {
        swapped = false;
        for (uint32_t i = 0; i + 1 < count; ++i)
        {
            if (KeyBits(pairs[i].key) > KeyBits(pairs[i + 1].key))
            {
                SwapPairs(pairs[i], pairs[i + 1]);
                swapped = true;
            }
        }
    }
    for (uint32_t i = 0; i < count; ++i)
        out[i] = pairs[i];
}
