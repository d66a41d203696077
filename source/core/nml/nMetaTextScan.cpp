#include "core/nml/nMetaTextScan.h"

#include <array>
#include <cstring>

const char* TextSkipBlockComment(const char* cursor, const char* end)
{
    for (cursor += 2; cursor < end; ++cursor)
        if (*cursor == '*' && end - cursor >= 2 && cursor[1] == '/')
            return cursor + 2;
    return end;
}

const char* TextFindLineEnd(const char* cursor, const char* end)
{
    while (cursor < end && *cursor != '\n' && *cursor != '\r')
        ++cursor;
    return cursor;
}

const char* TextSkipBlanks(const char* cursor, const char* end)
{
    while (cursor < end)
    {
        char c = *cursor;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            ++cursor;
        else if (c == '/' && end - cursor >= 2 && cursor[1] == '/')
            cursor = TextFindLineEnd(cursor, end);
        else if (c == '/' && end - cursor >= 2 && cursor[1] == '*')
            cursor = TextSkipBlockComment(cursor, end);
        else
            break;
    }
    return cursor;
}

namespace
{
// The bytes that end a token, '-' aside: one table look-up per byte of every name and number.
constexpr std::array<bool, 256> TokenEnds = []
{
    std::array<bool, 256> ends{};
    for (unsigned char c :
         {' ', '\t', '\r', '\n', '/', '*', '+', '=', ';', ':', ',', '<', '>', '(', ')', '"'})
        ends[c] = true;
    return ends;
}();
} // namespace

bool TextIsTokenEnd(char c, bool allowMinus)
{
    return c == '-' ? !allowMinus : TokenEnds[static_cast<unsigned char>(c)];
}

const char* TextFindTokenEnd(const char* cursor, const char* end, bool allowMinus)
{
    if (cursor < end && *cursor == ' ')
        return cursor;
    while (cursor < end && !TextIsTokenEnd(*cursor, allowMinus))
        ++cursor;
    return cursor;
}

const char* TextFindClosingQuote(const char* cursor, const char* end)
{
    while (cursor < end)
    {
        if (*cursor == '\\')
            cursor += end - cursor >= 2 ? 2 : 1;
        else if (*cursor == '"')
            return cursor;
        else
            ++cursor;
    }
    return end;
}

const char* TextFindOutsideParentheses(const char* cursor, const char* end, char c)
{
    int depth = 0;
    while (true)
    {
        cursor = TextSkipBlanks(cursor, end);
        if (cursor >= end)
            return nullptr;
        if (*cursor == c && depth == 0)
            return cursor;
        if (*cursor == '(')
            ++depth;
        else if (*cursor == ')' && --depth < 0)
            return nullptr;
        ++cursor;
    }
}
