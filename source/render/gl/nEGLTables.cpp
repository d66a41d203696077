#include "render/gl/nEGLTables.h"

#include <GL/glext.h>

#include <cstddef>

namespace
{
template <size_t N> bool Look(const GLenum (&table)[N], uint32_t index, GLenum& value)
{
    if (index >= N)
        return false;
    value = table[index];
    return true;
}

const GLenum PolygonModes[] = {GL_FILL, GL_LINE};
const GLenum CullFaces[] = {GL_FRONT, GL_BACK};
const GLenum DepthFuncs[] = {GL_ALWAYS, GL_LESS, GL_LEQUAL, GL_GREATER};
const GLenum BlendFactors[] = {
    GL_ZERO, GL_ONE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};
const GLenum Primitives[] = {GL_LINES, GL_TRIANGLES};
const GLenum AttributeTypes[] = {GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT, GL_FLOAT, GL_FLOAT};
const GLenum RenderbufferFormats[] = {GL_RGBA, GL_RGBA16F_ARB, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT};
const GLenum PixelFormats[] = {GL_RGBA, GL_BGRA, GL_RGBA, GL_RGBA, GL_DEPTH_COMPONENT, GL_DEPTH_COMPONENT};
const GLenum PixelTypes[] = {GL_UNSIGNED_BYTE, GL_UNSIGNED_BYTE, GL_HALF_FLOAT,
                             GL_FLOAT,         GL_UNSIGNED_INT,  GL_FLOAT};
} // namespace

namespace nEGLTables
{
bool PolygonMode(uint32_t mode, GLenum& value)
{
    return Look(PolygonModes, mode, value);
}
bool CullFace(uint32_t face, GLenum& value)
{
    return Look(CullFaces, face, value);
}
bool DepthFunc(uint32_t func, GLenum& value)
{
    return Look(DepthFuncs, func, value);
}
bool BlendFactor(uint32_t factor, GLenum& value)
{
    return Look(BlendFactors, factor, value);
}
bool Primitive(uint32_t primitive, GLenum& value)
{
    return Look(Primitives, primitive, value);
}
bool AttributeType(uint32_t type, GLenum& value)
{
    return Look(AttributeTypes, type, value);
}
bool RenderbufferFormat(uint32_t format, GLenum& value)
{
    return Look(RenderbufferFormats, format, value);
}

bool DrawIndexType(uint32_t type, GLenum& value)
{
    if (type != 1 && type != 3)
        return false;
    return Look(AttributeTypes, type, value);
}

bool PixelTransfer(uint32_t format, GLenum& dataFormat, GLenum& dataType)
{
    return Look(PixelFormats, format, dataFormat) && Look(PixelTypes, format, dataType);
}

uint32_t SampleCount(uint32_t sampleIndex)
{
    return sampleIndex >= 1 && sampleIndex <= 4 ? 1u << sampleIndex : 0;
}
} // namespace nEGLTables
