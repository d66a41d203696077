#pragma once

#include <cstdint>

// One polygon: a run of consecutive bindings and a material slot. The run is kept as the index of
// its first binding, so it stays valid whenever the binding array is reallocated.
struct nPolygon
{
    uint16_t bindingCount = 0;
    uint16_t material = 0;
    uint32_t firstBinding = 0;
};
