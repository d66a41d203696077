#pragma once

#include "core/math/nQuaternion.h"

#include <cstdint>
#include <vector>

class nMetaFile;
class nMetaTag;

struct nQuaternionKey
{
    float time = 0.0f;
    nQuaternion rotation;
};

// Rotation keys of a motion, kept in the order read: a file may hold them unsorted, so every
// search is bounded by the key count.
class nQuaternionChannel
{
public:
    static constexpr uint32_t StoredKeyBytes = 20;

    const std::vector<nQuaternionKey>& GetKeys() const { return m_keys; }
    void AddKey(float time, const nQuaternion& rotation);
    void Clear();

    // Loop modes are those of nCurveOutOfRange; range ends CurveRangeFirstKnot and
    // CurveRangeLastKnot stand for the first and the last key. Without keys the identity.
    nQuaternion Evaluate(float time, uint32_t mode, float rangeStart, float rangeEnd);

    bool Parse(nMetaFile* file, const nMetaTag* tag);
    nMetaTag* Serialize(nMetaFile* file) const;

private:
    bool ParseBinaryKeys(const nMetaTag* tag);
    bool ParseTextKeys(const nMetaTag* tag);
    int32_t FindSegment(float time);

    std::vector<nQuaternionKey> m_keys;
    int32_t m_cachedKey = -1;
};
