#pragma once

#include "platform/nstring/nString.h"

#include <cstdint>

enum nMetaTagType : uint32_t
{
    TagTypeNone = 0,
    TagTypeReal = 1,
    TagTypeBool = 2,
    TagTypeInteger = 3,
    TagTypeString = 4,
    TagTypeBinary = 5,
};

// The typed value of an NML tag. The value owns its text or Binary data; every setter frees
// the previous payload first, so a value never holds two payloads at once.
class nMetaTagValue
{
public:
    nMetaTagValue() = default;
    nMetaTagValue(const nMetaTagValue& other);
    ~nMetaTagValue();

    // Copies the value of any kind, Binary data included; when a copy cannot be allocated this
    // value is left None.
    nMetaTagValue& operator=(const nMetaTagValue& other);

    // Same-kind Real, Bool, Integer and String values compare their contents; an Integer equals a
    // Real whose truncation equals it, a Real equals an Integer converted to float; any other pair
    // (None and Binary included) is unequal.
    bool operator==(const nMetaTagValue& other) const;
    // Real with Real, Bool with Bool, Integer with Integer and Integer with a truncated Real;
    // any other pair is not less.
    bool operator<(const nMetaTagValue& other) const;

    void SetFloat(float value);
    void SetBool(bool value);
    void SetInt(int32_t value);
    void SetString(const char* text);
    // Takes the text over without copying it.
    void SetString(nString&& text);
    // When the copy cannot be allocated the value stays None.
    void SetBinary(const void* data, uint32_t size);
    // Makes the value a Binary of size uninitialised bytes for the caller to fill in place;
    // null (and the value None) when they cannot be allocated.
    uint8_t* AllocateBinary(uint32_t size);
    void Clear();

    nMetaTagType GetType() const { return m_type; }

    bool GetFloat(float& out) const;
    bool GetInt(int32_t& out) const;
    bool GetBool(bool& out) const;
    bool GetString(nString& out) const;
    // The stored text without a copy; empty for any other kind.
    const nString& GetText() const { return m_text; }
    // The copy is the caller's, to be freed with delete[].
    bool GetBinary(uint8_t*& data, uint32_t& size) const;
    // The stored Binary bytes without a copy; null and 0 for any other kind.
    const uint8_t* GetBinaryData() const { return m_type == TagTypeBinary ? m_scalar.binary : nullptr; }
    uint32_t GetBinarySize() const { return m_type == TagTypeBinary ? m_size : 0; }

private:
    nMetaTagType m_type = TagTypeNone;
    union
    {
        float real;
        bool boolean;
        int32_t integer;
        uint8_t* binary;
    } m_scalar{};
    uint32_t m_size = 0;
    nString m_text;
};
