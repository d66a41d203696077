#include "animation/nACEManager.h"

#include "animation/nACEDefine.h"
#include "animation/nACEUnit.h"
#include "core/base/nLog.h"

#include <new>

nACEManager::nACEManager()
{
    Define("nop", ACECommandNop, 0);
    Define("loop", ACECommandLoop, 0);
    Define("next", ACECommandNext, 0);
    m_reservedCodesGuarded = true;
}

nACEManager::~nACEManager() = default;

bool nACEManager::Define(const char* name, int32_t code, uint32_t parameterCount)
{
    if (m_reservedCodesGuarded && code < 0)
    {
        nLogHolder::Get() << "[!] Negative command codes are reserved.\n";
        return false;
    }
    auto* define = new (std::nothrow) nACEDefine(nString(name), code, parameterCount);
    if (!define)
    {
        nLogHolder::Get() << "[!] Failed to allocate new container to define ACE command '" << name << "'.\n";
        return false;
    }
    m_defines.Add(define);
    return true;
}

const nACEDefine* nACEManager::FindDefine(const nString& name) const
{
    for (nLinkedListEntry* entry = m_defines.GetHead(); entry; entry = entry->GetNext())
    {
        auto* define = static_cast<nACEDefine*>(entry);
        if (define->GetId() == name)
            return define;
    }
    return nullptr;
}
