#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

class nMetaTag;

// Reads and writes of the tags that 2D scene documents share. A read logs one "[*]" line naming
// the tag and its block when the tag does not hold what the block expects, and leaves the
// output as it was.
namespace Scene2DTags
{
// The error "[!] " mismatchText name ").\n" when the tag is not named as the block.
bool CheckRoot(const nMetaTag& tag, const char* block, const char* mismatchText);
void LogUnknown(const nMetaTag& tag, const char* block);
bool ReadReal(const nMetaTag& tag, const char* block, float& out);
bool ReadInteger(const nMetaTag& tag, const char* block, int32_t& out);
bool ReadString(const nMetaTag& tag, const char* block, nString& out);
// The first two children, in order, whatever their names, as numbers.
bool ReadPair(const nMetaTag& tag, const char* block, float& x, float& y);
// A tag with Real children "X" and "Y"; null when it cannot be made.
nMetaTag* WritePair(nMetaTag& parent, const char* name, float x, float y);

// Flag words written as one empty child per set bit; the names of a table are read back.
struct BitName
{
    uint32_t bit;
    const char* name;
};
uint32_t ReadBits(const nMetaTag& tag, const char* block, const BitName* names, uint32_t count);
nMetaTag* WriteBits(nMetaTag& parent, const char* name, uint32_t bits, const BitName* names, uint32_t count);

// The error line of a writer whose root tag cannot be made.
nMetaTag* NewRoot(const char* name);
} // namespace Scene2DTags
