#pragma once

#include <cstdint>

class nShaderBlock;

// A new block of the kind with its defaults; null for kinds outside 1 to 37 or when it cannot be
// allocated.
nShaderBlock* NewShaderBlock(int32_t kind);
