#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Text work shared by the shader-tree compiler, the material passes and the assembly. GLSL is
// built in std::string: a pass grows to a few kilobytes piece by piece, and nString copies its
// whole buffer on every append.
namespace nGLSLText
{
// The GLSL type of one value-type flag (float to sampler2DShadow); null for any other mask.
const char* TypeName(uint32_t type);
// Every occurrence, left to right; the replacement is not searched again.
void ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement);
// Appends printf-formatted text of any length.
void AppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
} // namespace nGLSLText
