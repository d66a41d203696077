#pragma once

#include "core/base/nLinkedListId.h"

#include <cstdint>

// One entry of a command vocabulary: the command's name is the entry's id.
class nACEDefine : public nLinkedListEntryId
{
public:
    nACEDefine(const nString& name, int32_t code, uint32_t parameterCount)
        : nLinkedListEntryId(name), m_code(code), m_parameterCount(parameterCount)
    {
    }

    int32_t GetCode() const { return m_code; }
    uint32_t GetParameterCount() const { return m_parameterCount; }

private:
    int32_t m_code;
    uint32_t m_parameterCount;
};
