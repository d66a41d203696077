#pragma once

class nWindowSystemFont;

// The process-wide TrueType font system: FreeType, the default font and every font loaded since
// start-up, found by file name. Main thread only. Fonts live until FontSystemShutdown, which
// frees them all: nothing that holds a font may outlive it.

// Opens the system once (true when it is already open) with the font at path, or
// "@core/default.ttf" when path is null or empty, as its default font.
bool FontSystemStartup(const char* path);
bool FontSystemIsOpen();
// Null when the system is closed, when a font of the same file name is loaded already, or when
// the file cannot be read or opened.
nWindowSystemFont* FontSystemLoadFont(const char* path);
// The loaded font of that name, else the default font (null while the system is closed).
nWindowSystemFont* FontSystemGetFont(const char* name);
// The loaded font of that name only, else null.
nWindowSystemFont* FontSystemFindFont(const char* name);
nWindowSystemFont* FontSystemGetDefaultFont();
void FontSystemShutdown();
