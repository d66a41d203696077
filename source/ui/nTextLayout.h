#pragma once

#include "core/math/nRect.h"
#include "ui/nTextAttributes.h"

#include <cstddef>
#include <cstdint>

class nPicture;

enum nTextCommandKind : int32_t
{
    TextCommandNone = 0,  // "~~" followed by anything else: ordinary text
    TextCommandColor = 1, // "~~Color(r,g,b,a)" or "~~COLOR(...)"
    TextCommandSize = 2,  // "~~Size(n)" or "~~SIZE(n)"
    TextCommandError = 3, // a colour or size command that does not close properly
};

struct nTextCommand
{
    int32_t kind = TextCommandNone;
    int32_t values[4] = {0, 0, 0, 0}; // colours clamped to 0..255, a size to 1..1024
    size_t length = 0;                // bytes the command takes, "~~" included
};

// Reads the inline command at text, which starts with "~~"; logs nothing.
nTextCommand ParseTextCommand(const char* text);

// One laid-out line: its bytes [start, end) of the text, its characters and spaces, and its width
// and height in 1/64 pixel (the height is the tallest glyph's).
struct nTextLine
{
    size_t start = 0;
    size_t end = 0;
    int32_t count = 0;
    int32_t spaces = 0;
    int64_t width = 0;
    int32_t height = 0;
};

// Breaks the text into lines within the rectangle's width (formats 1 and 2) and answers the
// lines, which stay valid until the next layout: the table is process-wide and reused. A
// malformed inline command logs one "[!]" line and ends the text there.
const nTextLine* LayoutText(const char* text, const nTextAttributes& attributes, int32_t width,
                            uint32_t& lineCount);

// (0, 0, width, height) of the laid-out text in pixels; empty without a font.
nRect ComputeTextRect(const char* text, const nTextAttributes& attributes, const nRect& rectangle);

// Lays the text out in the rectangle and draws it into a 32-bit picture, writing only pixels inside
// both the clip rectangle and the picture. Answers the text's rectangle at the rectangle's
// origin, or an empty one when the picture is not 32-bit or there is no font.
nRect RenderTextToPicture(nPicture& picture, const char* text, const nTextAttributes& attributes,
                          const nRect& rectangle, const nRect& clip);
// The same with the lines broken at wrapWidth instead of the rectangle's width, for text that
// was measured in one rectangle and is placed in another.
nRect RenderTextToPicture(nPicture& picture, const char* text, const nTextAttributes& attributes,
                          const nRect& rectangle, const nRect& clip, int32_t wrapWidth);
