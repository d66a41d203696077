#include "render/gl/nGPUImmediateBuffers.h"

#include "core/base/nLog.h"

namespace
{
void LogNoMemory(const char* what, uint32_t count)
{
    nLogHolder::Get() << "[!] Could not allocate " << what << " for " << count << " immediate primitives.\n";
}
} // namespace

const uint16_t* nGPUImmediateBuffers::GetSequence(uint32_t count)
{
    if (count > MaxChunkVertices)
        return nullptr;
    if (m_sequence.GetCount() < count)
    {
        if (!m_sequence.ResizeForOverwrite(count))
        {
            m_sequence.Free();
            LogNoMemory("indices", count);
            return nullptr;
        }
        for (uint32_t i = 0; i < count; ++i)
            *m_sequence.At(i) = static_cast<uint16_t>(i);
    }
    return m_sequence.GetData();
}

const uint16_t* nGPUImmediateBuffers::GetQuadIndices(uint32_t quadCount)
{
    if (quadCount > MaxChunkQuads)
        return nullptr;
    if (m_quadIndices.GetCount() < quadCount * 6)
    {
        if (!m_quadIndices.ResizeForOverwrite(quadCount * 6))
        {
            m_quadIndices.Free();
            LogNoMemory("indices", quadCount);
            return nullptr;
        }
        uint16_t* index = m_quadIndices.GetData();
        for (uint32_t quad = 0; quad < quadCount; ++quad)
        {
            const auto first = static_cast<uint16_t>(quad * 4);
            const uint16_t corners[6] = {
                first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2),
                first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 3)};
            for (uint16_t corner : corners)
                *index++ = corner;
        }
    }
    return m_quadIndices.GetData();
}

bool nGPUImmediateBuffers::ReserveQuads(uint32_t quadCount)
{
    if (quadCount > MaxChunkQuads)
        return false;
    if (quadCount <= m_quadCapacity)
        return true;
    const uint32_t vertices = quadCount * 4;
    if (!m_positions.ResizeForOverwrite(vertices * PositionFloats) ||
        !m_uvs.ResizeForOverwrite(vertices * UVFloats) ||
        !m_colours.ResizeForOverwrite(vertices * ColourFloats))
    {
        m_positions.Free();
        m_uvs.Free();
        m_colours.Free();
        m_quadCapacity = 0;
        LogNoMemory("vertices", quadCount);
        return false;
    }
    m_quadCapacity = quadCount;
    return true;
}
