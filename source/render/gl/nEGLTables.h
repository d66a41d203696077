#pragma once

#include <GL/gl.h>

#include <cstdint>

// The engine's device values and the GL values they stand for. Each lookup answers false for a
// value outside its table, so callers leave the GL state as it is.
namespace nEGLTables
{
bool PolygonMode(uint32_t mode, GLenum& value);
bool CullFace(uint32_t face, GLenum& value);
bool DepthFunc(uint32_t func, GLenum& value);
bool BlendFactor(uint32_t factor, GLenum& value);
bool Primitive(uint32_t primitive, GLenum& value);
// Only the types glDrawElements accepts (unsigned byte and unsigned short).
bool DrawIndexType(uint32_t type, GLenum& value);
// Attribute data types: 0 byte, 1 unsigned byte, 2 short, 3 unsigned short, 4 and 5 float.
bool AttributeType(uint32_t type, GLenum& value);

// Engine GPU pixel formats: 0 RGBA8, 1 BGRA8, 2 RGBA half, 3 RGBA float, 4 depth 24, 5 depth float.
enum : uint32_t
{
    PixelRGBA8 = 0,
    PixelBGRA8 = 1,
    PixelRGBAHalf = 2,
    PixelRGBAFloat = 3,
    PixelDepth24 = 4,
    PixelDepthFloat = 5,
    PixelNone = 6,
};
// Client data layout of a pixel format (half floats as GL_HALF_FLOAT).
bool PixelTransfer(uint32_t format, GLenum& dataFormat, GLenum& dataType);

// Renderbuffer formats 0 RGBA, 1 RGBA16F, 2 depth 24, 3 depth; sample indices 1-4 give 2-16.
bool RenderbufferFormat(uint32_t format, GLenum& value);
uint32_t SampleCount(uint32_t sampleIndex);
} // namespace nEGLTables
