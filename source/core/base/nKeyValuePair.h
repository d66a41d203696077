#pragma once

#include <cstdint>

// A sort entry: renderables and items are ordered by the float key; the value is wide
// enough to carry a pointer.
struct nKeyValuePair
{
    float key = 0.0f;
    uintptr_t value = 0;
};

// Sorts pairs[first] to pairs[last], both included, by ascending key. Equal keys keep no
// particular order.
void SortKeyValuePairs(nKeyValuePair* pairs, int first, int last);
// Compares the keys' bit patterns as unsigned words, which orders keys >= 0 as floats.
void BubbleSortKeyValuePairs(uint32_t count, nKeyValuePair* pairs, nKeyValuePair* out);
void SwapPairs(nKeyValuePair& a, nKeyValuePair& b);
