#pragma once

#include "core/base/nList.h"

#include <cstdint>

class nScriptObject;

// The mouse events that 2D items and widgets hand to their script handlers.
enum nEvent2D : int32_t
{
    EventLeftMouseClick = 1,
    EventRightMouseClick = 2,
    EventMiddleMouseClick = 3,
    EventLeftMouseDown = 4,
    EventRightMouseDown = 5,
    EventMiddleMouseDown = 6,
    EventLeftMouseUp = 7,
    EventRightMouseUp = 8,
    EventMiddleMouseUp = 9,
    EventMouseEnter = 10,
    EventMouseLeave = 11,
    EventMouseMove = 12,
    EventMove = 13,
    EventShade = 14,
    EventUnshade = 15,
};

// One script handler: the closure and the value it runs with as "this" (null: the root table).
// Both handles belong to the entry.
struct nEventHandler
{
    nEventHandler(int32_t event, nScriptObject* handler, nScriptObject* context)
        : event(event), handler(handler), context(context)
    {
    }
    nEventHandler(const nEventHandler&) = delete;
    nEventHandler& operator=(const nEventHandler&) = delete;
    ~nEventHandler();

    int32_t event;
    nScriptObject* handler;
    nScriptObject* context;
};

// The handlers of one sprite, window or widget, at most one per event. A table that is not
// enabled (an insensitive widget) answers no handler.
class nEventTable
{
public:
    nEventTable() = default;
    nEventTable(const nEventTable&) = delete;
    nEventTable& operator=(const nEventTable&) = delete;
    ~nEventTable();

    // Takes both handles; a handler already set for the event is deleted with its context.
    bool SetEventHandler(int32_t event, nScriptObject* handler, nScriptObject* context);
    void RemoveEventHandler(int32_t event);
    nEventHandler* FindHandler(int32_t event) const;
    bool IsEnabled() const { return m_enabled != 0; }
    void SetEnabled(bool enabled) { m_enabled = enabled ? 1u : 0u; }
    const nList<nEventHandler*>& GetHandlers() const { return m_handlers; }

private:
    nEventHandler* FindEntry(int32_t event) const;

    uint32_t m_enabled = 1;
    nAutoList<nEventHandler*> m_handlers;
};
