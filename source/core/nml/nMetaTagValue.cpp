#include "core/nml/nMetaTagValue.h"

#include "core/base/nMemory.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

nMetaTagValue::nMetaTagValue(const nMetaTagValue& other)
{
    *this = other;
}

nMetaTagValue::~nMetaTagValue()
{
    Clear();
}

nMetaTagValue& nMetaTagValue::operator=(const nMetaTagValue& other)
{
    if (this == &other)
        return *this;
    switch (other.m_type)
    {
    case TagTypeReal:
        SetFloat(other.m_scalar.real);
        break;
    case TagTypeBool:
        SetBool(other.m_scalar.boolean);
        break;
    case TagTypeInteger:
        SetInt(other.m_scalar.integer);
        break;
    case TagTypeString:
        SetString(other.m_text.GetText());
        break;
    case TagTypeBinary:
        SetBinary(other.m_scalar.binary, other.m_size);
        break;
    default:
        Clear();
        break;
    }
    return *this;
}

void nMetaTagValue::SetFloat(float value)
{
    Clear();
    m_scalar.real = value;
    m_type = TagTypeReal;
}

void nMetaTagValue::SetBool(bool value)
{
    Clear();
    m_scalar.boolean = value;
    m_type = TagTypeBool;
}

void nMetaTagValue::SetInt(int32_t value)
{
    Clear();
    m_scalar.integer = value;
    m_type = TagTypeInteger;
}

void nMetaTagValue::SetString(const char* text)
{
    Clear();
    m_text = text;
    m_type = TagTypeString;
}

void nMetaTagValue::SetString(nString&& text)
{
    Clear();
    m_text = std::move(text);
    m_type = TagTypeString;
}

void nMetaTagValue::SetBinary(const void* data, uint32_t size)
{
    uint8_t* copy = AllocateBinary(size);
    if (copy && size)
        std::memcpy(copy, data, size);
}

uint8_t* nMetaTagValue::AllocateBinary(uint32_t size)
{
    Clear();
    auto* bytes = static_cast<uint8_t*>(MemAllocateBlock(size));
    if (!bytes)
        return nullptr;
    m_scalar.binary = bytes;
    m_size = size;
    m_type = TagTypeBinary;
    return bytes;
}

void nMetaTagValue::Clear()
{
    if (m_type == TagTypeBinary)
        MemFreeBlock(m_scalar.binary, m_size);
    m_text.Clear();
    m_scalar = {};
    m_size = 0;
    m_type = TagTypeNone;
}

bool nMetaTagValue::GetFloat(float& out) const
{
    switch (m_type)
    {
    case TagTypeReal:
        out = m_scalar.real;
        return true;
    case TagTypeBool:
        out = m_scalar.boolean ? 1.0f : 0.0f;
        return true;
    case TagTypeInteger:
        out = static_cast<float>(m_scalar.integer);
        return true;
    default:
        return false;
    }
}

// Truncation toward zero, saturated so that a NaN or an out-of-range Real cannot make the
// conversion undefined.
static int32_t TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool nMetaTagValue::operator==(const nMetaTagValue& other) const
{
    if (m_type == TagTypeInteger && other.m_type == TagTypeReal)
        return m_scalar.integer == TruncateToInt(other.m_scalar.real);
    if (m_type == TagTypeReal && other.m_type == TagTypeInteger)
        return m_scalar.real == static_cast<float>(other.m_scalar.integer);
    if (m_type != other.m_type)
        return false;
    switch (m_type)
    {
    case TagTypeReal:
        return m_scalar.real == other.m_scalar.real;
    case TagTypeBool:
        return m_scalar.boolean == other.m_scalar.boolean;
    case TagTypeInteger:
        return m_scalar.integer == other.m_scalar.integer;
    case TagTypeString:
        return m_text == other.m_text;
    default:
        return false;
    }
}

bool nMetaTagValue::operator<(const nMetaTagValue& other) const
{
    if (m_type == TagTypeInteger && other.m_type == TagTypeReal)
        return m_scalar.integer < TruncateToInt(other.m_scalar.real);
    if (m_type != other.m_type)
        return false;
    switch (m_type)
    {
    case TagTypeReal:
        return m_scalar.real < other.m_scalar.real;
    case TagTypeBool:
        return !m_scalar.boolean && other.m_scalar.boolean;
    case TagTypeInteger:
        return m_scalar.integer < other.m_scalar.integer;
    default:
        return false;
    }
}

bool nMetaTagValue::GetInt(int32_t& out) const
{
    switch (m_type)
    {
    case TagTypeReal:
        out = TruncateToInt(m_scalar.real);
        return true;
    case TagTypeBool:
        out = m_scalar.boolean ? 1 : 0;
        return true;
    case TagTypeInteger:
        out = m_scalar.integer;
        return true;
    default:
        return false;
    }
}

bool nMetaTagValue::GetBool(bool& out) const
{
    switch (m_type)
    {
    case TagTypeReal:
        out = m_scalar.real != 0.0f; // a NaN is true
        return true;
    case TagTypeBool:
        out = m_scalar.boolean;
        return true;
    case TagTypeInteger:
        out = m_scalar.integer != 0;
        return true;
    default:
        return false;
    }
}

bool nMetaTagValue::GetString(nString& out) const
{
    if (m_type != TagTypeString)
        return false;
    out = m_text;
    return true;
}

bool nMetaTagValue::GetBinary(uint8_t*& data, uint32_t& size) const
{
    if (m_type != TagTypeBinary)
        return false;
    uint8_t* copy = new (std::nothrow) uint8_t[m_size ? m_size : 1];
    if (!copy)
        return false;
    if (m_size)
        std::memcpy(copy, m_scalar.binary, m_size);
    data = copy;
    size = m_size;
    return true;
}
