#include "core/nml/nVariant.h"

nVariant::nVariant(const char* name, int32_t value) : m_name(name)
{
    SetInt(value);
}

nVariant::nVariant(const char* name, float value) : m_name(name)
{
    SetFloat(value);
}

nVariant::nVariant(const char* name, const char* text) : m_name(name)
{
    SetString(text);
}
