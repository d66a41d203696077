#pragma once

#include <cstdint>

class nWindowSystemFont;

enum nTextFormat : int32_t
{
    TextFormatLine = 0,      // no wrapping
    TextFormatParagraph = 1, // wraps at the rectangle's width
    TextFormatColumn = 2,    // wraps at the width and after a count of characters
};

enum nTextAlign : int32_t
{
    TextAlignLeft = 0,
    TextAlignRight = 1,
    TextAlignCenter = 2,
    TextAlignJustify = 3,
};

// How a text looks and breaks. Tracking and heading are multiplied by the size and counted in
// 1/64 pixel: tracking widens every glyph's advance, heading every line's height.
struct nTextAttributes
{
    nWindowSystemFont* font = nullptr;
    int32_t size = 16;
    int32_t color[4] = {0, 0, 0, 255}; // red, green, blue, alpha, 0..255
    int32_t format = TextFormatLine;
    int32_t align = TextAlignLeft;
    int32_t charactersPerLine = 80;
    int32_t tracking = 0;
    int32_t heading = 0;

    bool operator==(const nTextAttributes& other) const = default;
};
