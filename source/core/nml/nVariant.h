#pragma once

#include "core/nml/nMetaTagValue.h"

// An NML value with a name: a script define of the command line, a script parameter, the plain
// value inside a script value.
class nVariant : public nMetaTagValue
{
public:
    nVariant() = default;
    nVariant(const char* name, int32_t value);
    nVariant(const char* name, float value);
    nVariant(const char* name, const char* text);

    const nString& GetName() const { return m_name; }

private:
    nString m_name;
};
