#include "ui/nTextLayout.h"

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"
#include "core/picture/nPictureBlend.h"
#include "ui/nWindowSystemFont.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
constexpr int32_t MinTextSize = 1;
constexpr int32_t MaxTextSize = 1024;

int32_t ClampSize(int32_t size)
{
    return std::clamp(size, MinTextSize, MaxTextSize);
}

// Tracking or heading times the size, in 1/64 pixel. Scripts may ask for any integer; beyond a
// million pixels per glyph or line nothing shows anyway, and the sums over a long text stay far
// inside 64 bits.
int64_t Spacing(int32_t value, int32_t size)
{
    constexpr int32_t Limit = 1 << 20;
    return int64_t(std::clamp(value, -Limit, Limit)) * size;
}

// An optional '-' and at least one digit; false when there is no digit.
bool ReadInteger(const char*& at, int32_t& value)
{
    const bool negative = *at == '-';
    const char* digits = negative ? at + 1 : at;
    if (*digits < '0' || *digits > '9')
        return false;
    int64_t number = 0;
    while (*digits >= '0' && *digits <= '9')
    {
        number = std::min<int64_t>(number * 10 + (*digits - '0'), int64_t(INT32_MAX) + 1);
        ++digits;
    }
    value = int32_t(std::clamp<int64_t>(negative ? -number : number, INT32_MIN, INT32_MAX));
    at = digits;
    return true;
}

// The command's name after "~~", with its opening parenthesis; the kind it starts, or none.
int32_t CommandKind(const char* text, size_t& nameLength)
{
    static const struct
    {
        const char* name;
        int32_t kind;
    } names[] = {{"Color(", TextCommandColor},
                 {"COLOR(", TextCommandColor},
                 {"Size(", TextCommandSize},
                 {"SIZE(", TextCommandSize}};
    for (const auto& entry : names)
    {
        const size_t length = std::strlen(entry.name);
        if (std::strncmp(text, entry.name, length) == 0)
        {
            nameLength = length;
            return entry.kind;
        }
    }
    return TextCommandNone;
}

bool IsLineBreak(const char* at, size_t& length)
{
    if (at[0] == '\n')
    {
        length = 1;
        return true;
    }
    if (at[0] == '\\' && at[1] == 'n')
    {
        length = 2;
        return true;
    }
    return false;
}

bool StartsCommand(const char* at)
{
    size_t nameLength = 0;
    return at[0] == '~' && at[1] == '~' && CommandKind(at + 2, nameLength) != TextCommandNone;
}

// Plain text that is not a space: what may follow a break point.
bool IsWordStart(const char* at)
{
    size_t length = 0;
    return *at != 0 && *at != ' ' && !IsLineBreak(at, length) && !StartsCommand(at);
}

uint32_t DecodeCharacter(const char* at, size_t& length)
{
    uint32_t character = 0;
    const int used = Utf8DecodeChar(at, &character);
    length = used > 0 ? size_t(used) : 1;
    return character;
}

// One table for every layout, grown when a text needs more lines and never shrunk.
std::vector<nTextLine>& LineTable()
{
    static std::vector<nTextLine> lines;
    return lines;
}

// The running state of one line while it grows.
struct LineState
{
    nTextLine line;
    int32_t size = 0;
    uint32_t previousGlyph = 0;
};

void LogCommandError()
{
    nLogHolder::Get() << "[!] Error parsing text command components.\n";
}
} // namespace

nTextCommand ParseTextCommand(const char* text)
{
    nTextCommand command;
    if (!text || text[0] != '~' || text[1] != '~')
        return command;
    size_t nameLength = 0;
    const int32_t kind = CommandKind(text + 2, nameLength);
    if (kind == TextCommandNone)
        return command;
    const int32_t count = kind == TextCommandColor ? 4 : 1;
    const char* at = text + 2 + nameLength;
    for (int32_t i = 0; i < count; ++i)
    {
        const char separator = i + 1 < count ? ',' : ')';
        if (!ReadInteger(at, command.values[i]) || *at != separator)
        {
            command.kind = TextCommandError;
            return command;
        }
        ++at;
    }
    for (int32_t i = 0; i < count; ++i)
        command.values[i] =
            kind == TextCommandColor ? std::clamp(command.values[i], 0, 255) : ClampSize(command.values[i]);
    command.kind = kind;
    command.length = size_t(at - text);
    return command;
}

// A line ends at a newline (or backslash and "n"), at the end of the text, after the column's
// count of characters, or where the next glyph would reach the width: then at the last break
// point, else before that glyph. Every line takes at least one character, so no glyph can be too
// wide to ever be placed. A break point keeps the line as it was before the space that made it,
// so that aligned and justified lines end at their last visible glyph.
const nTextLine* LayoutText(const char* text, const nTextAttributes& attributes, int32_t width,
                            uint32_t& lineCount)
{
    std::vector<nTextLine>& lines = LineTable();
    lines.clear();
    lineCount = 0;
    nWindowSystemFont* font = attributes.font;
    if (!text || !font)
        return nullptr;
    const bool wraps = attributes.format == TextFormatParagraph || attributes.format == TextFormatColumn;
    const int64_t limit = int64_t(std::max(width, 0)) * 64;
    const int32_t perLine = std::max(attributes.charactersPerLine, 1);
    int32_t size = ClampSize(attributes.size);
    size_t position = 0;
    bool stopped = false;
    while (text[position] && !stopped)
    {
        size_t start = position;
        while (text[start] == ' ')
            ++start;
        size_t breakLength = 0;
        if (text[start] == 0 || IsLineBreak(text + start, breakLength))
        {
            if (text[start] == 0 && start == position)
                break;
            lines.push_back(nTextLine{start, start, 0, 0, 0, 0});
            position = start + breakLength;
            continue;
        }
        font->SetPixelSize(size);
        LineState state;
        state.line.start = start;
        state.line.end = start;
        state.size = size;
        bool hasBreak = false;
        LineState atBreak;
        size_t afterBreak = 0;
        size_t at = start;
        for (;;)
        {
            if (text[at] == 0)
            {
                position = at;
                break;
            }
            if (IsLineBreak(text + at, breakLength))
            {
                position = at + breakLength;
                break;
            }
            if (attributes.format == TextFormatColumn && state.line.count >= perLine)
            {
                position = at;
                break;
            }
            if (text[at] == '~' && text[at + 1] == '~')
            {
                const nTextCommand command = ParseTextCommand(text + at);
                if (command.kind == TextCommandError)
                {
                    LogCommandError();
                    stopped = true;
                    position = at;
                    break;
                }
                if (command.kind != TextCommandNone)
                {
                    if (command.kind == TextCommandSize)
                    {
                        state.size = command.values[0];
                        font->SetPixelSize(state.size);
                    }
                    at += command.length;
                    state.line.end = at;
                    continue;
                }
            }
            size_t length = 0;
            const uint32_t character = DecodeCharacter(text + at, length);
            const nGlyphMetrics* metrics = font->GetGlyphMetrics(character);
            const uint32_t glyph = metrics ? metrics->index : 0;
            const int32_t kerning = metrics ? font->GetKerning(state.previousGlyph, glyph) : 0;
            const int32_t advance = metrics ? metrics->advance : 0;
            if (wraps && state.line.count > 0 && state.line.width + kerning + advance >= limit)
            {
                if (hasBreak)
                {
                    state = atBreak;
                    position = afterBreak;
                }
                else
                {
                    position = at;
                }
                break;
            }
            const LineState before = state;
            state.line.width += kerning + advance + Spacing(attributes.tracking, state.size);
            state.line.height = std::max(state.line.height, metrics ? metrics->height : 0);
            state.line.count += 1;
            state.previousGlyph = glyph;
            at += length;
            state.line.end = at;
            if (character == ' ')
            {
                state.line.spaces += 1;
                if (IsWordStart(text + at))
                {
                    hasBreak = true;
                    atBreak = before;
                    afterBreak = at;
                }
            }
        }
        size = state.size;
        lines.push_back(state.line);
    }
    lineCount = uint32_t(lines.size());
    return lines.data();
}

namespace
{
int32_t ClampToInt(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t ToPixels(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value >> 6, 0, INT32_MAX));
}

nRect MeasureLines(const nTextLine* lines, uint32_t count, const nTextAttributes& attributes)
{
    int64_t width = 0;
    int64_t height = 0;
    const int64_t heading = Spacing(attributes.heading, ClampSize(attributes.size));
    for (uint32_t i = 0; i < count; ++i)
    {
        width = std::max(width, lines[i].width);
        height += lines[i].height + heading;
    }
    return nRect{0, 0, ToPixels(width), ToPixels(height)};
}

// Where the picture keeps each channel: byte positions of red, green, blue and alpha.
struct ChannelBytes
{
    uint8_t positions[4] = {0, 0, 0, 0};
    bool hasAlpha = false;
};

ChannelBytes ChannelBytesOf(const nPixelFormat& format)
{
    ChannelBytes bytes;
    bytes.positions[0] = uint8_t(format.redShift / 8);
    bytes.positions[1] = uint8_t(format.greenShift / 8);
    bytes.positions[2] = uint8_t(format.blueShift / 8);
    bytes.hasAlpha = format.alphaMask != 0;
    bytes.positions[3] = bytes.hasAlpha ? uint8_t(format.alphaShift / 8) : 0;
    return bytes;
}

// Draws one glyph with its top-left corner at (x, y); weight = coverage x alpha / 256.
void BlendGlyph(nPicture& picture, const nGlyphBitmap& glyph, int32_t x, int32_t y, const nRect& clip,
                const uint8_t colour[4], const ChannelBytes& channels)
{
    const int32_t x0 = std::max(x, clip.x0);
    const int32_t y0 = std::max(y, clip.y0);
    const int32_t x1 = std::min<int64_t>(int64_t(x) + glyph.width, clip.x1);
    const int32_t y1 = std::min<int64_t>(int64_t(y) + glyph.rows, clip.y1);
    for (int32_t row = y0; row < y1; ++row)
    {
        const uint8_t* coverage = glyph.coverage.data() + size_t(row - y) * glyph.width + size_t(x0 - x);
        uint8_t* pixel = picture.GetPixelAddress(uint32_t(x0), uint32_t(row));
        for (int32_t column = x0; column < x1; ++column, ++coverage, pixel += 4)
        {
            const uint32_t weight = uint32_t(*coverage) * colour[3] / 256;
            if (weight == 0)
                continue;
            if (channels.hasAlpha)
            {
                PictureBlendPixel(pixel, colour, channels.positions, weight);
                continue;
            }
            for (int i = 0; i < 3; ++i)
            {
                uint8_t& byte = pixel[channels.positions[i]];
                byte = uint8_t((colour[i] * weight + byte * (255 - weight)) / 255);
            }
        }
    }
}
} // namespace

nRect ComputeTextRect(const char* text, const nTextAttributes& attributes, const nRect& rectangle)
{
    uint32_t count = 0;
    const nTextLine* lines = LayoutText(text, attributes, rectangle.Width(), count);
    if (!lines)
        return nRect{};
    return MeasureLines(lines, count, attributes);
}

// Commands apply while drawing as they did in the layout; a justified line (all but the last)
// spreads its free width over its spaces, and a line without spaces is left as it is.
nRect RenderTextToPicture(nPicture& picture, const char* text, const nTextAttributes& attributes,
                          const nRect& rectangle, const nRect& clip)
{
    return RenderTextToPicture(picture, text, attributes, rectangle, clip, rectangle.Width());
}

nRect RenderTextToPicture(nPicture& picture, const char* text, const nTextAttributes& attributes,
                          const nRect& rectangle, const nRect& clip, int32_t wrapWidth)
{
    nWindowSystemFont* font = attributes.font;
    if (!font || !text || !picture.HasPixels() || picture.GetBitsPerPixel() != 32 || picture.GetFloatFlag())
        return nRect{};
    uint32_t count = 0;
    const nTextLine* lines = LayoutText(text, attributes, wrapWidth, count);
    if (!lines)
        return nRect{};
    const nRect measured = MeasureLines(lines, count, attributes);
    const nRect area{std::max({clip.x0, 0}), std::max({clip.y0, 0}),
                     std::min(clip.x1, int32_t(picture.GetWidth())),
                     std::min(clip.y1, int32_t(picture.GetHeight()))};
    const ChannelBytes channels = ChannelBytesOf(picture.GetFormat());
    uint8_t colour[4];
    for (int i = 0; i < 4; ++i)
        colour[i] = uint8_t(std::clamp(attributes.color[i], 0, 255));
    int32_t size = ClampSize(attributes.size);
    const int64_t heading = Spacing(attributes.heading, size);
    const int64_t rectangleWidth = int64_t(rectangle.Width()) * 64;
    int64_t top = int64_t(rectangle.y0) * 64;
    for (uint32_t i = 0; i < count && !area.IsEmpty(); ++i)
    {
        const nTextLine& line = lines[i];
        int64_t pen = int64_t(rectangle.x0) * 64;
        int64_t extra = 0;
        switch (attributes.align)
        {
        case TextAlignRight:
            pen = int64_t(rectangle.x1) * 64 - line.width;
            break;
        case TextAlignCenter:
            pen += (rectangleWidth - line.width) / 2;
            break;
        case TextAlignJustify:
            if (i + 1 < count && line.spaces > 0 && rectangleWidth > line.width)
                extra = (rectangleWidth - line.width) / line.spaces;
            break;
        default:
            break;
        }
        const int64_t baseline = top + line.height - line.height / 4;
        font->SetPixelSize(size);
        uint32_t previous = 0;
        size_t at = line.start;
        while (at < line.end)
        {
            if (text[at] == '~' && text[at + 1] == '~')
            {
                const nTextCommand command = ParseTextCommand(text + at);
                if (command.kind == TextCommandColor)
                    for (int c = 0; c < 4; ++c)
                        colour[c] = uint8_t(command.values[c]);
                else if (command.kind == TextCommandSize)
                {
                    size = command.values[0];
                    font->SetPixelSize(size);
                }
                if (command.kind == TextCommandColor || command.kind == TextCommandSize)
                {
                    at += command.length;
                    continue;
                }
            }
            size_t length = 0;
            const uint32_t character = DecodeCharacter(text + at, length);
            at += length;
            const nGlyphMetrics* metrics = font->GetGlyphMetrics(character);
            if (!metrics)
                continue;
            pen += font->GetKerning(previous, metrics->index);
            previous = metrics->index;
            if (const nGlyphBitmap* glyph = font->GetGlyphBitmap(metrics->index); glyph && glyph->width > 0)
                BlendGlyph(picture, *glyph, int32_t((pen >> 6) + glyph->left),
                           int32_t((baseline >> 6) - glyph->top), area, colour, channels);
            pen += metrics->advance + Spacing(attributes.tracking, size);
            if (character == ' ')
                pen += extra;
        }
        top += line.height + heading;
    }
    return nRect{rectangle.x0, rectangle.y0, ClampToInt(int64_t(rectangle.x0) + measured.Width()),
                 ClampToInt(int64_t(rectangle.y0) + measured.Height())};
}
