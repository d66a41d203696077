#include "ui/nEventTable.h"

#include "core/base/nLog.h"
#include "script/nScriptObject.h"

#include <new>

nEventHandler::~nEventHandler()
{
    delete handler;
    delete context;
}

nEventTable::~nEventTable() = default;

bool nEventTable::SetEventHandler(int32_t event, nScriptObject* handler, nScriptObject* context)
{
    if (nEventHandler* entry = FindEntry(event))
    {
        if (entry->handler != handler)
            delete entry->handler;
        if (entry->context != context)
            delete entry->context;
        entry->handler = handler;
        entry->context = context;
        return true;
    }
    auto* entry = new (std::nothrow) nEventHandler(event, handler, context);
    if (!entry || !m_handlers.PushBack(entry))
    {
        if (entry)
            delete entry;
        else
        {
            delete handler;
            delete context;
        }
        nLogHolder::Get() << "[!] Failed to allocate new event handler.\n";
        return false;
    }
    return true;
}

void nEventTable::RemoveEventHandler(int32_t event)
{
    m_handlers.Remove(FindEntry(event));
}

nEventHandler* nEventTable::FindHandler(int32_t event) const
{
    return m_enabled ? FindEntry(event) : nullptr;
}

nEventHandler* nEventTable::FindEntry(int32_t event) const
{
    for (auto* node = m_handlers.GetHead(); node; node = node->next)
        if (node->value->event == event)
            return node->value;
    return nullptr;
}
