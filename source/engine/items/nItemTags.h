#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

class nMatrix4;
class nMetaTag;
class nVector;

// Typed reads of the children of an item block. Each logs one "[*] " line naming the tag and
// the block when the child does not hold what the block expects, and leaves the output alone.

// The error "[!] " mismatchText name ").\n" when the tag is not named as the block.
bool CheckBlockName(const nMetaTag& tag, const char* block, const char* mismatchText);
void LogUnknownTag(const nMetaTag& tag, const char* block);

bool ReadRealTag(const nMetaTag& tag, const char* block, float& out);
// A real above 0, or also 0 when zero is allowed; any other value logs "[*] Tag 'name' in <block>
// must be above 0, ignored." (or "must not be below 0") and leaves the output alone.
bool ReadPositiveRealTag(const nMetaTag& tag, const char* block, float& out, bool zeroAllowed = false);
bool ReadIntegerTag(const nMetaTag& tag, const char* block, int32_t& out);
bool ReadBoolTag(const nMetaTag& tag, const char* block, bool& out);
bool ReadStringTag(const nMetaTag& tag, const char* block, nString& out);
bool ReadVectorTag(const nMetaTag& tag, const char* block, nVector& out);
bool ReadMatrixTag(const nMetaTag& tag, const char* block, nMatrix4& out);
// Real "X" and "Y" children.
bool ReadVector2Tag(const nMetaTag& tag, const char* block, float& x, float& y);

nMetaTag* WriteVector2Tag(nMetaTag& parent, const char* name, float x, float y);
// Real "X", "Y" and "Z" children, without "W".
nMetaTag* WriteVectorTag(nMetaTag& parent, const char* name, const nVector& value);
// Takes the child: it is appended, or deleted when it cannot be; null is passed through.
nMetaTag* AddChildBlock(nMetaTag& parent, nMetaTag* child);
