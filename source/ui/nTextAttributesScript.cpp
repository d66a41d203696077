#include "ui/nTextAttributesScript.h"

#include "core/base/nLog.h"
#include "script/SquirrelObject.h"

#include <cstring>

namespace
{
// The word's value for a name of the list, or -1.
int32_t FindName(const char* text, const char* const* names, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (text && std::strcmp(text, names[i]) == 0)
            return i;
    return -1;
}

const char* TextOf(const SquirrelObject& value)
{
    return value.GetType() == OT_STRING ? value.ToString() : "";
}

void ApplyKey(const char* key, const SquirrelObject& value, nTextAttributes& attributes)
{
    static const char* const alignments[] = {"left", "right", "center", "justify"};
    static const char* const formats[] = {"standard", "paragraph", "column"};
    if (std::strcmp(key, "size") == 0)
        attributes.size = int32_t(value.ToInteger());
    else if (std::strcmp(key, "color") == 0)
    {
        const uint32_t colour = uint32_t(value.ToInteger());
        for (int i = 0; i < 4; ++i)
            attributes.color[i] = int32_t((colour >> (8 * i)) & 0xFFu);
    }
    else if (std::strcmp(key, "align") == 0)
    {
        const int32_t align = FindName(TextOf(value), alignments, 4);
        if (align < 0)
            nLogHolder::Get() << "[*] unknown text alignment command '" << TextOf(value) << "'.\n";
        else
            attributes.align = align;
    }
    else if (std::strcmp(key, "format") == 0)
    {
        const int32_t format = FindName(TextOf(value), formats, 3);
        if (format < 0)
            nLogHolder::Get() << "[*] unknown text format command '" << TextOf(value) << "'.\n";
        else
            attributes.format = format;
    }
    else if (std::strcmp(key, "tracking") == 0)
        attributes.tracking = int32_t(value.ToInteger());
    else if (std::strcmp(key, "heading") == 0)
        attributes.heading = int32_t(value.ToInteger());
    else
        nLogHolder::Get() << "[*] unknown text attribute '" << key << "'.\n";
}
} // namespace

bool ParseTextAttributes(const SquirrelObject& table, nTextAttributes& attributes)
{
    if (table.GetType() != OT_TABLE || !table.BeginIterate())
        return false;
    HSQUIRRELVM vm = table.GetVM();
    while (SQ_SUCCEEDED(sq_next(vm, -2)))
    {
        SquirrelObject key(vm);
        SquirrelObject value(vm);
        key.AttachToStackObject(-2);
        value.AttachToStackObject(-1);
        sq_pop(vm, 2);
        ApplyKey(TextOf(key), value, attributes);
    }
    table.EndIterate();
    return true;
}
