#include "physics/nPhysicShape.h"

#include "core/math/nMatrix4.h"
#include "script/nCObject.h"

#include <cmath>

namespace
{
bool IsCellSize(float size)
{
    return size > 0.0f && std::isfinite(size);
}
} // namespace

nPhysicShape::nPhysicShape() = default;

nPhysicShape::~nPhysicShape()
{
    nCObject::Invalidate(this);
}

bool nPhysicShape::SetGeometry(int32_t newKind, const char* name)
{
    heights.Free();
    kind = newKind;
    geometryName = name;
    return true;
}

bool nPhysicShape::SetPrimitive(int32_t newKind, const nVector& newDimensions)
{
    heights.Free();
    kind = newKind;
    dimensions = newDimensions;
    return true;
}

bool nPhysicShape::SetHeightfield(const float* sourceHeights, int32_t width, int32_t height, float factor,
                                  float cellWidth, float cellDepth)
{
    heights.Free();
    kind = PhysicShapeHeightmap;
    heightScale = 1.0f;
    heightfieldWidth = 0;
    heightfieldHeight = 0;
    heightfieldCellWidth = 1.0f;
    heightfieldCellDepth = 1.0f;
    if (!sourceHeights || width < 1 || height < 1 || !(factor > 0.0f) || !IsCellSize(cellWidth) ||
        !IsCellSize(cellDepth))
        return true;

    // Computed in double so that a huge factor gives a huge size (refused below) instead of an
    // undefined float-to-int conversion.
    const double scaledWidth = std::trunc(static_cast<double>(width) * factor);
    const double scaledHeight = std::trunc(static_cast<double>(height) * factor);
    if (scaledWidth < 1.0 || scaledHeight < 1.0 ||
        scaledWidth * scaledHeight > static_cast<double>(UINT32_MAX))
        return true;
    const int32_t newWidth = static_cast<int32_t>(scaledWidth);
    const int32_t newHeight = static_cast<int32_t>(scaledHeight);
    if (!heights.Resize(static_cast<uint32_t>(newWidth) * static_cast<uint32_t>(newHeight)))
        return true;

    const float stepX = static_cast<float>(width) / static_cast<float>(newWidth);
    const float stepY = static_cast<float>(height) / static_cast<float>(newHeight);
    float* out = heights.GetData();
    for (int32_t row = 0; row < newHeight; ++row)
    {
        int32_t sourceRow =
            static_cast<int32_t>(static_cast<float>(height) - static_cast<float>(row) * stepY - 1.0f);
        sourceRow = sourceRow < 0 ? 0 : (sourceRow >= height ? height - 1 : sourceRow);
        for (int32_t column = 0; column < newWidth; ++column)
        {
            int32_t sourceColumn = static_cast<int32_t>(static_cast<float>(column) * stepX);
            sourceColumn = sourceColumn >= width ? width - 1 : sourceColumn;
            *out++ = sourceHeights[static_cast<size_t>(sourceRow) * width + sourceColumn];
        }
    }
    heightfieldWidth = newWidth;
    heightfieldHeight = newHeight;
    heightfieldCellWidth = cellWidth;
    heightfieldCellDepth = cellDepth;
    return true;
}

void nPhysicShape::GetMatrix(nMatrix4& out) const
{
    out = nMatrix4::ComposeEuler(position, rotation, dimensions, RotationOrder);
}

void nPhysicShape::SetMatrix(const nMatrix4& matrix)
{
    nMatrix3 rotationMatrix;
    matrix.Decompose(&position, &dimensions, &rotationMatrix);
    rotation = rotationMatrix.ToEuler(RotationOrder);
}
