#include "render/gl/nGLSLText.h"

#include <cstdarg>
#include <cstdio>

namespace nGLSLText
{
const char* TypeName(uint32_t type)
{
    switch (type)
    {
    case 4:
        return "float";
    case 8:
        return "vec2";
    case 16:
        return "vec3";
    case 32:
        return "vec4";
    case 64:
        return "mat3";
    case 128:
        return "mat4";
    case 256:
        return "sampler2D";
    case 512:
        return "sampler2DShadow";
    default:
        return nullptr;
    }
}

void ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement)
{
    if (pattern.empty())
        return;
    size_t at = text.find(pattern);
    if (at == std::string::npos)
        return;
    std::string result;
    result.reserve(text.size() + 64);
    size_t from = 0;
    while (at != std::string::npos)
    {
        result.append(text, from, at - from);
        result.append(replacement);
        from = at + pattern.size();
        at = text.find(pattern, from);
    }
    result.append(text, from, std::string::npos);
    text.swap(result);
}

void AppendFormat(std::string& text, const char* format, ...)
{
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(buffer, sizeof(buffer), format, arguments);
    va_end(arguments);
    if (length < 0)
    {
        va_end(copy);
        return;
    }
    if (static_cast<size_t>(length) < sizeof(buffer))
    {
        text.append(buffer, static_cast<size_t>(length));
        va_end(copy);
        return;
    }
    const size_t start = text.size();
    text.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data() + start, static_cast<size_t>(length) + 1, format, copy);
    text.resize(start + static_cast<size_t>(length));
    va_end(copy);
}
} // namespace nGLSLText
