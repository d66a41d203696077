#pragma once

#include "core/base/nLinkedListId.h"

#include <cstdint>

class nACEDefine;
class nACEUnit;

// A command vocabulary and the compiler of command-list texts into units. Every vocabulary
// starts with the built-ins "nop", "loop" and "next"; after construction negative codes are
// reserved for them.
class nACEManager
{
public:
    nACEManager();
    nACEManager(const nACEManager&) = delete;
    nACEManager& operator=(const nACEManager&) = delete;
    virtual ~nACEManager();

    bool Define(const char* name, int32_t code, uint32_t parameterCount);
    // Returns the number of entries of the unit's list (commands and group barriers), or -1
    // after one error line, leaving the unit done.
    int32_t CompileCommandList(const char* text, nACEUnit* unit) const;

    const nACEDefine* FindDefine(const nString& name) const;

private:
    nLinkedListId m_defines;
    bool m_reservedCodesGuarded = false;
};
