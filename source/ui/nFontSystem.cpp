#include "ui/nFontSystem.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "platform/nPlatform.h"
#include "ui/nWindowSystemFont.h"

#include <ft2build.h>
#include <freetype/freetype.h>

#include <new>

namespace
{
struct nFontSystemState
{
    FT_Library library = nullptr;
    bool open = false;
    nWindowSystemFont* defaultFont = nullptr;
    nLinkedListId fonts;
};

nFontSystemState& State()
{
    static nFontSystemState state;
    return state;
}
} // namespace

bool FontSystemStartup(const char* path)
{
    nFontSystemState& state = State();
    if (state.open)
        return true;
    if (FT_Init_FreeType(&state.library) != 0)
    {
        state.library = nullptr;
        nLogHolder::Get() << "[!] Failed to open font system.\n";
        return false;
    }
    state.open = true;
    state.defaultFont = FontSystemLoadFont(path && *path ? path : "@core/default.ttf");
    if (!state.defaultFont)
    {
        FontSystemShutdown();
        nLogHolder::Get() << "[!] Failed to open default system font.\n";
        return false;
    }
    return true;
}

bool FontSystemIsOpen()
{
    return State().open;
}

nWindowSystemFont* FontSystemLoadFont(const char* path)
{
    nFontSystemState& state = State();
    if (!state.open || !path)
        return nullptr;
    const nString name = nString(path).GetFileName();
    if (state.fonts.Find(name, false))
        return nullptr;
    nAutoArray<uint8_t> bytes(MemCategoryFilesystem);
    if (!nPlatform::Get().GetIOSystem().LoadFile(nString(path), bytes))
    {
        nLogHolder::Get() << "[!] Failed to open font file '" << path << "'.\n";
        return nullptr;
    }
    auto* font = new (std::nothrow) nWindowSystemFont(name, std::move(bytes));
    if (!font)
    {
        nLogHolder::Get() << "[!] failed to allocate a new entry to hold font '" << path << "'.\n";
        return nullptr;
    }
    if (!font->Open(state.library))
    {
        delete font;
        nLogHolder::Get() << "[!] Failed to open font file '" << path << "'.\n";
        return nullptr;
    }
    state.fonts.Add(font);
    nLogHolder::Get() << "Font '" << path << "' loaded as '" << name << "'.\n";
    return font;
}

nWindowSystemFont* FontSystemFindFont(const char* name)
{
    nFontSystemState& state = State();
    if (!state.open || !name)
        return nullptr;
    return static_cast<nWindowSystemFont*>(state.fonts.Find(nString(name), false));
}

nWindowSystemFont* FontSystemGetFont(const char* name)
{
    nWindowSystemFont* font = FontSystemFindFont(name);
    return font ? font : State().defaultFont;
}

nWindowSystemFont* FontSystemGetDefaultFont()
{
    return State().defaultFont;
}

// The default font is one of the loaded fonts, so clearing the list frees it too; every face is
// done before the library that made it.
void FontSystemShutdown()
{
    nFontSystemState& state = State();
    state.fonts.Clear(true);
    state.defaultFont = nullptr;
    if (state.library)
        FT_Done_FreeType(state.library);
    state.library = nullptr;
    state.open = false;
}
