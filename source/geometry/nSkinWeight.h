#pragma once

#include <cstdint>

// How much four bones move one vertex; the weights of a loaded vertex sum to 1.
struct nSkinWeight
{
    float weights[4] = {};
    uint16_t bones[4] = {};
};
