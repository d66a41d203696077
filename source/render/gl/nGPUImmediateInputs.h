#pragma once

#include <cstdint>

class nEGLProgram;
class nGPURenderer;
class nTexture;

// How the immediate operations feed a library program from client memory.
namespace nGPUImmediateInputs
{
// The device values the immediate operations hand to the back end.
constexpr uint32_t PrimitiveLines = 0;
constexpr uint32_t PrimitiveTriangles = 1;
constexpr uint32_t IndexUnsignedShort = 3;
constexpr uint32_t BlendOne = 1;
constexpr uint32_t BlendSourceAlpha = 2;
constexpr uint32_t BlendOneMinusSourceAlpha = 3;

// Binds the program with no buffer object bound, so that attribute pointers address memory; then
// the frame inputs and the renderer's five matrices, or in screen space identity matrices alone.
// False, with nothing bound, for a program that did not link.
bool Begin(nGPURenderer& renderer, nEGLProgram& program, bool screenSpace);
// Points the program's attribute of the semantic at float data (stride in bytes); a program
// without that attribute is left as it is.
void BindArray(nEGLProgram& program, uint32_t semantic, uint32_t components, uint32_t stride,
               const void* data);
// The texture's GPU texture on the program's NativeTexture input; a texture not yet set up on the
// GPU binds none.
void BindTexture(nEGLProgram& program, const nTexture* texture);
} // namespace nGPUImmediateInputs
