#include "engine/items/nTerrain.h"

#include "core/base/nLog.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/math/nMatrix4.h"
#include "core/picture/nPicture.h"
#include "engine/Quenvar.h"
#include "geometry/nGeometry.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace
{
constexpr float HeightPictureScale = 16.0f;
constexpr float SmoothFactor = 0.2f;

int8_t PackComponent(float value)
{
    return static_cast<int8_t>(std::clamp(value, -1.0f, 1.0f) * 127.0f);
}

void LogCorruptHeightFile(const char* path)
{
    nLogHolder::Get() << "[*] Corrupt heightmap data in " << (path ? path : "") << ", incorrect data size.\n";
}

float LittleEndianFloat(const uint8_t* bytes)
{
    const uint32_t word =
        uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    float value;
    std::memcpy(&value, &word, sizeof(value));
    return std::isfinite(value) ? value : 0.0f; // nothing downstream copes with a NaN height
}
} // namespace

nTerrain::nTerrain(Quenvar* engine) : nItem(engine) {}

nTerrain::~nTerrain()
{
    FreeHeightmap();
}

void nTerrain::FreeHeightmap()
{
    m_root.reset();
    m_heights.Free();
    m_normals.Free();
    m_gridWidth = 0;
    m_gridHeight = 0;
    ++m_revision;
}

bool nTerrain::AllocateHeightmap(int32_t gridWidth, int32_t gridHeight, float resolution)
{
    FreeHeightmap();
    // Cells of no size, or a world too wide for a float, leave no surface to draw, query or collide.
    if (!(resolution > 0.0f) || !std::isfinite(float(gridWidth) * resolution) ||
        !std::isfinite(float(gridHeight) * resolution))
    {
        nLogHolder::Get() << "[!] Invalid terrain resolution " << resolution << ", heightmap left out.\n";
        return false;
    }
    const uint64_t points =
        gridWidth > 0 && gridHeight > 0 ? (uint64_t(gridWidth) + 1) * (uint64_t(gridHeight) + 1) : 0;
    if (points == 0 || points > MaxPointCount || !m_heights.Resize(uint32_t(points)) ||
        !m_normals.Resize(uint32_t(points)))
    {
        FreeHeightmap();
        nLogHolder::Get() << "[!] Failed to allocate terrain heightmap.\n";
        return false;
    }
    m_gridWidth = gridWidth;
    m_gridHeight = gridHeight;
    m_resolution = resolution;
    m_worldWidth = float(gridWidth) * resolution;
    m_worldDepth = float(gridHeight) * resolution;
    return true;
}

void nTerrain::SetWorldSize(float width, float depth)
{
    m_worldWidth = width;
    m_worldDepth = depth;
    ++m_revision;
}

std::unique_ptr<nIOHandle> nTerrain::OpenHeightFile(const char* path, int32_t gridWidth, int32_t gridHeight)
{
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    std::unique_ptr<nIOHandle> handle(path ? files.Open(nString(path), IOModeRead) : nullptr);
    if (!handle || handle->GetSize() != int64_t(gridWidth) * gridHeight * 4)
    {
        LogCorruptHeightFile(path);
        return nullptr;
    }
    return handle;
}

bool nTerrain::LoadHeightFile(const char* path)
{
    if (!HasHeightmap())
        return false;
    std::unique_ptr<nIOHandle> handle = OpenHeightFile(path, m_gridWidth, m_gridHeight);
    if (!handle)
        return false;
    const int64_t expected = int64_t(m_gridWidth) * m_gridHeight * 4;
    nAutoArray<uint8_t> data(MemCategoryTerrain);
    if (!data.ResizeForOverwrite(uint32_t(expected)) ||
        handle->Read(data.GetData(), size_t(expected)) != size_t(expected))
    {
        LogCorruptHeightFile(path);
        return false;
    }
    const uint8_t* read = data.GetData();
    for (int32_t row = 0; row < m_gridHeight; ++row)
    {
        for (int32_t column = 0; column < m_gridWidth; ++column, read += 4)
            At(column, row) = LittleEndianFloat(read);
        At(m_gridWidth, row) = At(m_gridWidth - 1, row);
    }
    for (int32_t column = 0; column <= m_gridWidth; ++column)
        At(column, m_gridHeight) = At(column, m_gridHeight - 1);
    ++m_revision;
    return true;
}

bool nTerrain::LoadHeightPicture(const nPicture& picture, int32_t smoothingPasses)
{
    if (!HasHeightmap())
        return false;
    for (int32_t row = 0; row <= m_gridHeight; ++row)
        for (int32_t column = 0; column <= m_gridWidth; ++column)
        {
            float sample[4];
            picture.Sample(float(column) / float(m_gridWidth), float(row) / float(m_gridHeight), sample);
            At(column, row) = sample[0] * HeightPictureScale;
        }
    Smooth(smoothingPasses);
    ++m_revision;
    return true;
}

void nTerrain::Smooth(int32_t passes)
{
    for (int32_t pass = 0; pass < passes && HasHeightmap(); ++pass)
        for (int32_t row = 1; row < m_gridHeight; ++row)
            for (int32_t column = 1; column < m_gridWidth; ++column)
                At(column, row) = (At(column, row) + At(column - 1, row) + At(column + 1, row) +
                                   At(column, row - 1) + At(column, row + 1)) *
                                  SmoothFactor;
    ++m_revision;
}

// The last column and row take the differences towards the points before them, so the edges of
// the grid have normals too rather than zero vectors.
void nTerrain::ComputeNormals(int32_t column, int32_t row, int32_t columns, int32_t rows)
{
    if (!HasHeightmap())
        return;
    if (columns == 0 && rows == 0)
    {
        column = row = 0;
        columns = m_gridWidth + 1;
        rows = m_gridHeight + 1;
    }
    const int32_t firstColumn = std::clamp(column, 0, m_gridWidth);
    const int32_t firstRow = std::clamp(row, 0, m_gridHeight);
    const int32_t endColumn = int32_t(std::clamp<int64_t>(int64_t(column) + columns, 0, m_gridWidth + 1));
    const int32_t endRow = int32_t(std::clamp<int64_t>(int64_t(row) + rows, 0, m_gridHeight + 1));
    const float r = m_resolution;
    for (int32_t j = firstRow; j < endRow; ++j)
        for (int32_t i = firstColumn; i < endColumn; ++i)
        {
            const float dx = i < m_gridWidth ? At(i + 1, j) - At(i, j) : At(i, j) - At(i - 1, j);
            const float dz = j < m_gridHeight ? At(i, j + 1) - At(i, j) : At(i, j) - At(i, j - 1);
            const nVector alongX = nVector(r, dx, 0.0f).Normalized();
            const nVector alongZ = nVector(0.0f, dz, -r).Normalized();
            nVector normal = alongX.Cross(alongZ);
            if (!std::isfinite(normal.x) || !std::isfinite(normal.y) || !std::isfinite(normal.z))
                normal = nVector(0.0f, 1.0f, 0.0f); // cells too small to measure leave no slope
            *m_normals.At(uint32_t(j * (m_gridWidth + 1) + i)) = {
                PackComponent(normal.x), PackComponent(normal.y), PackComponent(normal.z)};
        }
}

nVector nTerrain::GetNormal(int32_t column, int32_t row) const
{
    if (!HasHeightmap() || column < 0 || row < 0 || column > m_gridWidth || row > m_gridHeight)
        return nVector(0.0f, 1.0f, 0.0f, 1.0f);
    const PackedNormal& packed = *m_normals.At(uint32_t(row * (m_gridWidth + 1) + column));
    return nVector(packed.x * NormalUnpack, packed.y * NormalUnpack, packed.z * NormalUnpack, 1.0f);
}

float nTerrain::GetPointHeight(int32_t column, int32_t row) const
{
    if (!HasHeightmap() || column < 0 || row < 0 || column > m_gridWidth || row > m_gridHeight)
        return 0.0f;
    return At(column, row);
}

void nTerrain::SetPointHeight(int32_t column, int32_t row, float height)
{
    if (!HasHeightmap() || column < 0 || row < 0 || column > m_gridWidth || row > m_gridHeight)
        return;
    At(column, row) = height;
    ++m_revision;
}

float nTerrain::GetGridHeight(float gridX, float gridZ) const
{
    if (!HasHeightmap())
        return 0.0f;
    gridX = std::isfinite(gridX) ? std::clamp(gridX, 0.0f, float(m_gridWidth)) : 0.0f;
    gridZ = std::isfinite(gridZ) ? std::clamp(gridZ, 0.0f, float(m_gridHeight)) : 0.0f;
    const int32_t i0 = std::min(int32_t(gridX), m_gridWidth);
    const int32_t j0 = std::min(int32_t(gridZ), m_gridHeight);
    const int32_t i1 = std::min(i0 + 1, m_gridWidth);
    const int32_t j1 = std::min(j0 + 1, m_gridHeight);
    const float fx = gridX - float(i0);
    const float fz = gridZ - float(j0);
    const float near = At(i0, j0) + (At(i1, j0) - At(i0, j0)) * fx;
    const float far = At(i0, j1) + (At(i1, j1) - At(i0, j1)) * fx;
    return near + (far - near) * fz;
}

// A terrain of no width or depth has no surface to stand on.
float nTerrain::GetHeight(float x, float z) const
{
    if (!HasHeightmap() || !(m_worldWidth > 0.0f) || !(m_worldDepth > 0.0f))
        return 0.0f;
    const float gridX = (x + m_worldWidth * 0.5f) / m_worldWidth * float(m_gridWidth);
    const float gridZ = (z - m_worldDepth * 0.5f) * (-1.0f / m_worldDepth) * float(m_gridHeight);
    if (!(gridX >= 0.0f && gridX <= float(m_gridWidth) && gridZ >= 0.0f && gridZ <= float(m_gridHeight)))
        return 0.0f;
    return GetGridHeight(gridX, gridZ);
}

namespace
{
nTexture* LoadNamedTexture(Quenvar* engine, const char* name)
{
    return engine && name && *name ? engine->LoadTexture(name, false, false) : nullptr;
}
} // namespace

bool nTerrain::SetBlendMap(const char* name)
{
    m_blendMapName = name;
    m_blendMap = LoadNamedTexture(GetEngine(), name);
    return m_blendMap.Get() != nullptr;
}

bool nTerrain::SetLayerTexture(int layer, int texture, const char* name)
{
    if (layer < 0 || layer >= LayerCount || texture < 0 || texture >= LayerTextureCount)
        return false;
    Layer& target = m_layers[layer];
    target.names[texture] = name;
    target.textures[texture] = LoadNamedTexture(GetEngine(), name);
    return target.textures[texture].Get() != nullptr;
}

void nTerrain::SetMaterial(nMaterial* material, bool inlineMaterial)
{
    m_material = material;
    m_inlineMaterial = material && inlineMaterial;
}
