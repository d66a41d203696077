#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nGeometryEncoding.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace nGeometryEncoding;

namespace
{
struct BinaryData
{
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
};

// A "Data" child that does not hold a Binary value counts as missing.
bool GetBinary(const nMetaTag* tag, BinaryData& data)
{
    if (!tag || tag->GetType() != TagTypeBinary)
        return false;
    data.bytes = tag->GetValue().GetBinaryData();
    data.size = tag->GetValue().GetBinarySize();
    return true;
}

bool GetCount(const nMetaTag& chunk, uint32_t& count)
{
    int32_t value = 0;
    const nMetaTag* tag = chunk.GetTag("Count");
    if (!tag || !tag->GetValue().GetInt(value))
        return false;
    count = value > 0 ? uint32_t(value) : 0;
    return true;
}

// "Count" sizes the positions, never beyond what the data holds: a count without data would
// otherwise claim gigabytes. Every position is then written by the caller; false when there is
// nothing to read.
bool SizeVertices(nAutoArray<nVector>& vertices, uint32_t count, uint32_t held, bool hasData,
                  const char* name)
{
    nLog& log = nLogHolder::Get();
    if (count > held)
    {
        log << nString::Format("[!] Geometry '%s' declares %u vertice but its data holds %u.\n", name, count,
                               held)
                   .GetText();
        return false;
    }
    if (!vertices.ResizeForOverwrite(count) || !hasData)
        return false;
    if (count == 0)
    {
        log << nString::Format(
                   "[!] Incomplete vertex chunk loading '%s', expected vertex count integer tag.\n", name)
                   .GetText();
        return false;
    }
    return true;
}

// "Count" and a Binary "Data" are both required; their absence is logged under the chunk's name.
bool GetCountedData(const nMetaTag& tag, const char* chunk, BinaryData& data)
{
    nLog& log = nLogHolder::Get();
    if (!tag.GetTag("Count"))
    {
        log << "[!] No count tag in <" << chunk << ">.\n";
        return false;
    }
    if (!GetBinary(tag.GetTag("Data"), data))
    {
        log << "[!] No data tag in <" << chunk << ">.\n";
        return false;
    }
    return true;
}

// Sized to total, never to what the file declares: the entries the data holds (stride bytes
// each) are decoded, the rest keep their default value.
template <typename T, typename Decode>
bool FillFromBinary(nAutoArray<T>& array, uint32_t total, const BinaryData& data, uint32_t stride,
                    Decode&& decode)
{
    if (total == 0 || !array.ResizeForOverwrite(total))
        return false;
    const uint32_t filled = std::min(total, data.size / stride);
    for (uint32_t i = 0; i < filled; ++i)
        *array.At(i) = decode(data.bytes + size_t(i) * stride);
    std::fill(array.At(filled), array.At(total), T());
    return true;
}

// The corners of a flat face share one normal, so runs of equal bytes are decoded once.
class UnitVectorDecoder
{
public:
    nVector operator()(const uint8_t* bytes)
    {
        if (!m_valid || std::memcmp(bytes, m_bytes, 3) != 0)
        {
            std::memcpy(m_bytes, bytes, 3);
            m_value = DecodeSignedBytes(bytes);
            m_valid = true;
        }
        return m_value;
    }

private:
    uint8_t m_bytes[3] = {};
    nVector m_value;
    bool m_valid = false;
};

nTangentFrame DecodeTangentFrame(const uint8_t* bytes)
{
    return nTangentFrame{DecodeSignedBytes(bytes), DecodeSignedBytes(bytes + 3)};
}

nUV DecodeUV(const uint8_t* bytes)
{
    return nUV(ReadF32(bytes), ReadF32(bytes + 4));
}

// Every "Data" child is the next set, whatever it holds, so a gap keeps the later sets in place;
// a set beyond nUVMapCount ends the chunk with the two warnings given.
template <typename ReadSet>
void ForEachUVSet(const nMetaTag& tag, const char* name, const char* tooManyFormat, const char* advice,
                  ReadSet&& read)
{
    uint32_t set = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() != "Data")
            continue;
        if (set >= nUVMapCount)
        {
            nLogHolder::Get() << nString::Format(tooManyFormat, name).GetText() << advice;
            return;
        }
        read(*child, set++);
    }
}

// Shrinks the array to its first count elements, keeping them.
template <typename T> bool KeepFirst(nAutoArray<T>& array, uint32_t count)
{
    nAutoArray<T> kept(array.GetCategory());
    if (count && !kept.ResizeForOverwrite(count))
        return false;
    std::copy_n(array.GetData(), count, kept.GetData());
    array = static_cast<nAutoArray<T>&&>(kept);
    return true;
}

float ChildReal(const nMetaTag& tag, const char* name, float fallback)
{
    float value = fallback;
    if (const nMetaTag* child = tag.GetTag(name))
        child->GetValue().GetFloat(value);
    return value;
}
} // namespace

void nGeometry::ReadVertex(const nMetaTag& tag)
{
    uint32_t count = 0;
    GetCount(tag, count);
    BinaryData data;
    const bool hasData = GetBinary(tag.GetTag("Data"), data);
    if (!SizeVertices(vertices, count, data.size / 12, hasData, GetNameText()))
        return;
    const auto positionAt = [&data](uint32_t i)
    {
        const uint8_t* at = data.bytes + size_t(i) * 12;
        return nVector(ReadF32(at), ReadF32(at + 4), ReadF32(at + 8), 1.0f);
    };
    // The box is taken while the positions are at hand rather than in another pass over them.
    nMinMax bounds(positionAt(0), positionAt(0));
    for (uint32_t i = 0; i < count; ++i)
    {
        const nVector position = positionAt(i);
        *vertices.At(i) = position;
        bounds.min = bounds.min.Min(position);
        bounds.max = bounds.max.Max(position);
    }
    box = bounds;
}

void nGeometry::ReadTextVertex(const nMetaTag& tag)
{
    uint32_t count = 0;
    GetCount(tag, count);
    const nMetaTag* data = tag.GetTag("Data");
    if (!SizeVertices(vertices, count, data ? data->GetChildCount() : 0, data != nullptr, GetNameText()))
        return;
    uint32_t index = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = data->GetNextChild(iterator))
    {
        if (index >= count)
        {
            nLogHolder::Get() << "[!] Corrupter <AVertex> tag, more vertice than expected.\n";
            break;
        }
        nVector& vertex = *vertices.At(index++);
        vertex = nVector();
        vertex.Parse(child);
        vertex.w = 1.0f;
    }
    box = GetMinMax(nullptr);
}

// Polygons are read until the data or the declared bindings run out; the arrays then hold exactly
// the polygons read, so every run lies inside the binding array. Both arrays are sized from the
// declared counts, which the data bounds, and filled in one walk; only a file that ends early or
// declares more bindings than its polygons use is trimmed afterwards.
bool nGeometry::ReadPolygon(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    uint32_t count = 0;
    GetCount(tag, count);
    int32_t declaredBindings = 0;
    if (const nMetaTag* bindingTag = tag.GetTag("BindingCount"))
        bindingTag->GetValue().GetInt(declaredBindings);
    const uint32_t bindingCount = declaredBindings > 0 ? uint32_t(declaredBindings) : 0;
    BinaryData data;
    if (!GetBinary(tag.GetTag("Data"), data))
        return false;
    if (count == 0 || bindingCount == 0)
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        return false;
    }
    if (uint64_t(count) * 8 > data.size || uint64_t(bindingCount) * 4 > data.size)
    {
        log << nString::Format(
                   "[!] Geometry '%s' declares %u polygon(s) and %u binding(s), more than its data "
                   "holds.\n",
                   GetNameText(), count, bindingCount)
                   .GetText();
        return false;
    }
    SetPolygonCount(0);
    if (!polygons.ResizeForOverwrite(count) || !bindings.ResizeForOverwrite(bindingCount))
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        SetPolygonCount(0);
        return false;
    }
    uint32_t read = 0;
    uint32_t offset = 0;
    uint32_t used = 0;
    uint32_t highest = 0;
    bool cornerless = false;
    while (read < count && offset + 4 <= data.size)
    {
        const uint8_t* run = data.bytes + offset;
        const uint32_t corners = ReadU32(run);
        if (corners > UINT16_MAX || corners > bindingCount - used ||
            uint64_t(offset) + 8 + uint64_t(corners) * 4 > data.size)
            break;
        const uint32_t material = ReadU32(run + 4 + corners * 4);
        nPolygon& polygon = *polygons.At(read++);
        polygon.bindingCount = uint16_t(corners);
        polygon.material = uint16_t(material < UINT16_MAX ? material : UINT16_MAX);
        polygon.firstBinding = used;
        uint32_t* corner = bindings.At(used);
        for (uint32_t c = 0; c < corners; ++c)
        {
            corner[c] = ReadU32(run + 4 + c * 4);
            highest = std::max(highest, corner[c]);
        }
        cornerless |= corners == 0;
        used += corners;
        offset += 8 + corners * 4;
    }
    if (read < count)
        log << nString::Format("[*] Polygon data of geometry '%s' ends early: %u of %u polygon(s) read.\n",
                               GetNameText(), read, count)
                   .GetText();
    if ((read < count && !KeepFirst(polygons, read)) || (used < bindingCount && !KeepFirst(bindings, used)))
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        SetPolygonCount(0);
        return false;
    }
    return !cornerless && (used == 0 || highest < vertices.GetCount());
}

void nGeometry::ReadTextPolygon(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    uint32_t count = 0;
    GetCount(tag, count);
    const nMetaTag* data = tag.GetTag("Data");
    if (!data)
        return;
    if (count == 0)
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        return;
    }
    std::vector<const nMetaTag*> children;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = data->GetNextChild(iterator))
    {
        if (children.size() >= count)
        {
            log << "[!] Corrupted <APolygon> tag, too many polygons.\n";
            break;
        }
        children.push_back(child);
    }
    if (!SetPolygonCount(uint32_t(children.size())))
        return;
    for (uint32_t p = 0; p < children.size(); ++p)
    {
        int32_t corners = 0;
        int32_t material = 0;
        const nMetaTag* countTag = children[p]->GetTag("Count");
        const nMetaTag* materialTag = children[p]->GetTag("Material");
        if (!countTag || !materialTag || !countTag->GetValue().GetInt(corners) ||
            !materialTag->GetValue().GetInt(material))
        {
            log << "[!] Corrupt <Polygon> tag in <APolygon>.\n";
            continue;
        }
        uint32_t indices = 0;
        nLinkedListIterator childIterator;
        while (const nMetaTag* index = children[p]->GetNextChild(childIterator))
            indices += index->GetName() == "Index" ? 1 : 0;
        // A polygon takes no more corners than it lists.
        const uint32_t kept =
            corners > 0 ? std::min(uint32_t(corners), std::min(indices, uint32_t(UINT16_MAX))) : 0;
        polygons.At(p)->bindingCount = uint16_t(kept);
        polygons.At(p)->material = uint16_t(material < 0 ? 0 : material < UINT16_MAX ? material : UINT16_MAX);
    }
    if (!AllocateBindings())
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        SetPolygonCount(0);
        return;
    }
    for (uint32_t p = 0; p < children.size(); ++p)
    {
        uint32_t* corners = GetPolygonBindings(p);
        uint32_t c = 0;
        nLinkedListIterator childIterator;
        while (const nMetaTag* index = children[p]->GetNextChild(childIterator))
        {
            if (c >= polygons.At(p)->bindingCount)
                break;
            int32_t value = 0;
            if (index->GetName() != "Index")
                continue;
            index->GetValue().GetInt(value);
            corners[c++] = value < 0 ? UINT32_MAX : uint32_t(value);
        }
    }
}

void nGeometry::ReadPolygonNormals(const nMetaTag& tag)
{
    BinaryData data;
    if (GetBinary(tag.GetTag("Data"), data) &&
        !FillFromBinary(polygonNormals, polygons.GetCount(), data, 3, UnitVectorDecoder()))
        nLogHolder::Get() << nString::Format("[!] Incomplete polygon normal chunk loading '%s'.\n",
                                             GetNameText())
                                 .GetText();
}

void nGeometry::ReadVertexNormals(const nMetaTag& tag)
{
    BinaryData data;
    if (GetCountedData(tag, "VNormal", data) &&
        !FillFromBinary(vertexNormals, bindings.GetCount(), data, 3, UnitVectorDecoder()))
        nLogHolder::Get()
            << nString::Format("[!] Incomplete vertex normal chunk loading '%s'.\n", GetNameText()).GetText();
}

void nGeometry::ReadVertexTangents(const nMetaTag& tag)
{
    BinaryData data;
    if (GetCountedData(tag, "VTangent", data) &&
        !FillFromBinary(tangentFrames, bindings.GetCount(), data, 6, DecodeTangentFrame))
        nLogHolder::Get() << nString::Format("[!] Incomplete vertex tangent chunk loading '%s'.\n",
                                             GetNameText())
                                 .GetText();
}

void nGeometry::ReadColors(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    BinaryData data;
    if (!GetBinary(tag.GetTag("Data"), data))
    {
        log << "[!] Expected <Data> tag under <RGB> tag.\n";
        return;
    }
    const uint32_t total = bindings.GetCount();
    const bool alpha = uint64_t(data.size) == uint64_t(total) * 16;
    const auto decode = [alpha](const uint8_t* at)
    { return nColor(ReadF32(at), ReadF32(at + 4), ReadF32(at + 8), alpha ? ReadF32(at + 12) : 1.0f); };
    if (!FillFromBinary(colors, total, data, alpha ? 16 : 12, decode))
        log << nString::Format("[!] Could not allocate RGB channel for geometry '%s'.\n", GetNameText())
                   .GetText();
}

void nGeometry::ReadTextColors(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    uint32_t count = 0;
    if (!GetCount(tag, count))
    {
        log << "[!] No count tag in <ARGB>.\n";
        return;
    }
    const nMetaTag* data = tag.GetTag("Data");
    if (!data)
    {
        log << "[!] No data tag in <ARGB>.\n";
        return;
    }
    const uint32_t total = bindings.GetCount();
    if (total == 0 || !colors.Resize(total))
    {
        log << nString::Format("[!] Could not allocate RGB for geometry '%s'.\n", GetNameText()).GetText();
        return;
    }
    const uint32_t limit = std::min(count, total);
    uint32_t index = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = data->GetNextChild(iterator))
    {
        if (index >= limit)
        {
            log << nString::Format("[!] Too many <Value> tags in RGB list of geometry '%s'.\n", GetNameText())
                       .GetText();
            return;
        }
        *colors.At(index++) = nColor(ChildReal(*child, "R", 0.0f), ChildReal(*child, "G", 0.0f),
                                     ChildReal(*child, "B", 0.0f), ChildReal(*child, "A", 1.0f));
    }
    if (index < count)
        log << nString::Format("[*] Not enough <Value> tags in RGB list of geometry '%s'.\n", GetNameText())
                   .GetText();
}

void nGeometry::ReadUV(const nMetaTag& tag)
{
    const uint32_t total = bindings.GetCount();
    const auto read = [this, total](const nMetaTag& data, uint32_t set)
    {
        BinaryData bytes;
        if (!GetBinary(&data, bytes) || bytes.size == 0)
            return;
        if (!FillFromBinary(uvSets[set], total, bytes, 8, DecodeUV))
            nLogHolder::Get() << nString::Format("[!] could not allocate UV channel for geometry '%s'.\n",
                                                 GetNameText())
                                     .GetText();
    };
    ForEachUVSet(tag, GetNameText(),
                 "[*] Geometry '%s' requires more UV channels than this build can handle.\n",
                 "[*] Please increase nUVMapCount and recompile to fully import this object.\n", read);
}

void nGeometry::ReadTextUV(const nMetaTag& tag)
{
    const uint32_t total = bindings.GetCount();
    const auto read = [this, total](const nMetaTag& data, uint32_t set)
    {
        nLog& log = nLogHolder::Get();
        nAutoArray<nUV>& uvs = uvSets[set];
        if (data.GetChildCount() == 0)
            return;
        if (total == 0 || !uvs.Resize(total))
        {
            log << nString::Format("[!] could not allocate UV channel for geometry '%s'.\n", GetNameText())
                       .GetText();
            return;
        }
        uint32_t index = 0;
        nLinkedListIterator valueIterator;
        while (const nMetaTag* value = data.GetNextChild(valueIterator))
        {
            if (index >= total)
            {
                log << nString::Format("[!] Too many <Value> tags in UV channel %u of geometry '%s'.\n", set,
                                       GetNameText())
                           .GetText();
                break;
            }
            *uvs.At(index++) = nUV(ChildReal(*value, "U", 0.0f), ChildReal(*value, "V", 0.0f));
        }
    };
    ForEachUVSet(tag, GetNameText(), "[*] '%s' requires more UV channels than this build can handle.\n",
                 "[*]    Please increase nUVMapCount and recompile Quenvar to fully import this object.\n",
                 read);
}
