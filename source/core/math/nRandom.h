#pragma once

#include <cstdint>

// The engine's one pseudo-random generator. Its state is process-wide and every draw
// takes a lock, so worker threads may draw too; sequences stay reproducible only for
// draws made from one thread.
void RandomSeed(uint32_t seed);
uint32_t RandomInt(uint32_t n);
uint32_t RandomIntDistinct(uint32_t n);
float RandomFloat(float max);
float RandomRange(float lo, float hi);
