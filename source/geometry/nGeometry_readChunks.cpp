#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nGeometryEncoding.h"

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
    nLog& log = nLogHolder::Get();
    uint32_t count = 0;
    GetCount(tag, count);
    BinaryData data;
    const bool hasData = GetBinary(tag.GetTag("Data"), data);
    if (hasData && uint64_t(count) * 12 > data.size)
    {
        log << nString::Format("[!] Geometry '%s' declares %u vertice but its data holds %u.\n",
                               GetNameText(), count, data.size / 12)
                   .GetText();
        return;
    }
    if (!vertices.Resize(count))
        return;
    if (!hasData)
        return;
    if (count == 0)
    {
        log << nString::Format(
                   "[!] Incomplete vertex chunk loading '%s', expected vertex count integer tag.\n",
                   GetNameText())
                   .GetText();
        return;
    }
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint8_t* at = data.bytes + size_t(i) * 12;
        *vertices.At(i) = nVector(ReadF32(at), ReadF32(at + 4), ReadF32(at + 8), 1.0f);
    }
}

void nGeometry::ReadTextVertex(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    uint32_t count = 0;
    GetCount(tag, count);
    const nMetaTag* data = tag.GetTag("Data");
    const uint32_t held = data ? data->GetChildCount() : 0;
    if (count > held)
    {
        log << nString::Format("[!] Geometry '%s' declares %u vertice but its data holds %u.\n",
                               GetNameText(), count, held)
                   .GetText();
        return;
    }
    if (!vertices.Resize(count) || !data)
        return;
    if (count == 0)
    {
        log << nString::Format(
                   "[!] Incomplete vertex chunk loading '%s', expected vertex count integer tag.\n",
                   GetNameText())
                   .GetText();
        return;
    }
    uint32_t index = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = data->GetNextChild(iterator))
    {
        if (index >= count)
        {
            log << "[!] Corrupter <AVertex> tag, more vertice than expected.\n";
            return;
        }
        nVector& vertex = *vertices.At(index++);
        vertex.Parse(child);
        vertex.w = 1.0f;
    }
}

// Polygons are read until the data or the declared bindings run out; the arrays then hold exactly
// the polygons read, so every run lies inside the binding array.
void nGeometry::ReadPolygon(const nMetaTag& tag)
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
        return;
    if (count == 0 || bindingCount == 0)
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        return;
    }
    if (uint64_t(count) * 8 > data.size || uint64_t(bindingCount) * 4 > data.size)
    {
        log << nString::Format(
                   "[!] Geometry '%s' declares %u polygon(s) and %u binding(s), more than its data "
                   "holds.\n",
                   GetNameText(), count, bindingCount)
                   .GetText();
        return;
    }
    std::vector<nPolygon> read;
    read.reserve(count);
    uint32_t offset = 0;
    uint32_t used = 0;
    while (read.size() < count && offset + 4 <= data.size)
    {
        const uint32_t corners = ReadU32(data.bytes + offset);
        if (corners > UINT16_MAX || corners > bindingCount - used ||
            uint64_t(offset) + 8 + uint64_t(corners) * 4 > data.size)
            break;
        nPolygon polygon;
        polygon.bindingCount = uint16_t(corners);
        const uint32_t material = ReadU32(data.bytes + offset + 4 + corners * 4);
        polygon.material = uint16_t(material < UINT16_MAX ? material : UINT16_MAX);
        polygon.firstBinding = offset / 4 + 1; // where its indices lie in the data, for now
        read.push_back(polygon);
        used += corners;
        offset += 8 + corners * 4;
    }
    if (read.size() < count)
        log << nString::Format("[*] Polygon data of geometry '%s' ends early: %u of %u polygon(s) read.\n",
                               GetNameText(), uint32_t(read.size()), count)
                   .GetText();
    if (!SetPolygonCount(uint32_t(read.size())))
        return;
    for (uint32_t p = 0; p < read.size(); ++p)
    {
        polygons.At(p)->bindingCount = read[p].bindingCount;
        polygons.At(p)->material = read[p].material;
    }
    if (!AllocateBindings())
    {
        log << "[!] Could not allocate polygon/binding memory.\n";
        SetPolygonCount(0);
        return;
    }
    for (uint32_t p = 0; p < read.size(); ++p)
    {
        uint32_t* corners = GetPolygonBindings(p);
        for (uint32_t c = 0; c < read[p].bindingCount; ++c)
            corners[c] = ReadU32(data.bytes + size_t(read[p].firstBinding + c) * 4);
    }
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
    if (!GetBinary(tag.GetTag("Data"), data))
        return;
    if (polygons.GetCount() == 0 || !polygonNormals.Resize(polygons.GetCount()))
    {
        nLogHolder::Get() << nString::Format("[!] Incomplete polygon normal chunk loading '%s'.\n",
                                             GetNameText())
                                 .GetText();
        return;
    }
    const uint32_t available = data.size / 3;
    for (uint32_t p = 0; p < polygons.GetCount() && p < available; ++p)
        *polygonNormals.At(p) = DecodeSignedBytes(data.bytes + size_t(p) * 3);
}

void nGeometry::ReadVertexNormals(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag.GetTag("Count"))
    {
        log << "[!] No count tag in <VNormal>.\n";
        return;
    }
    BinaryData data;
    if (!GetBinary(tag.GetTag("Data"), data))
    {
        log << "[!] No data tag in <VNormal>.\n";
        return;
    }
    const uint32_t total = GetBindingTotal();
    if (total == 0 || !vertexNormals.Resize(total))
    {
        log << nString::Format("[!] Incomplete vertex normal chunk loading '%s'.\n", GetNameText()).GetText();
        return;
    }
    const uint32_t available = data.size / 3;
    for (uint32_t i = 0; i < total && i < available; ++i)
        *vertexNormals.At(i) = DecodeSignedBytes(data.bytes + size_t(i) * 3);
}

void nGeometry::ReadVertexTangents(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag.GetTag("Count"))
    {
        log << "[!] No count tag in <VTangent>.\n";
        return;
    }
    BinaryData data;
    if (!GetBinary(tag.GetTag("Data"), data))
    {
        log << "[!] No data tag in <VTangent>.\n";
        return;
    }
    const uint32_t total = GetBindingTotal();
    if (total == 0 || !tangentFrames.Resize(total))
    {
        log << nString::Format("[!] Incomplete vertex tangent chunk loading '%s'.\n", GetNameText())
                   .GetText();
        return;
    }
    const uint32_t available = data.size / 6;
    for (uint32_t i = 0; i < total && i < available; ++i)
    {
        tangentFrames.At(i)->tangent = DecodeSignedBytes(data.bytes + size_t(i) * 6);
        tangentFrames.At(i)->bitangent = DecodeSignedBytes(data.bytes + size_t(i) * 6 + 3);
    }
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
    const uint32_t total = GetBindingTotal();
    if (total == 0 || !colors.Resize(total))
    {
        log << nString::Format("[!] Could not allocate RGB channel for geometry '%s'.\n", GetNameText())
                   .GetText();
        return;
    }
    const uint32_t stride = uint64_t(data.size) == uint64_t(total) * 16 ? 16 : 12;
    const uint32_t available = data.size / stride;
    for (uint32_t i = 0; i < total && i < available; ++i)
    {
        const uint8_t* at = data.bytes + size_t(i) * stride;
        *colors.At(i) =
            nColor(ReadF32(at), ReadF32(at + 4), ReadF32(at + 8), stride == 16 ? ReadF32(at + 12) : 1.0f);
    }
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
    const uint32_t total = GetBindingTotal();
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
    nLog& log = nLogHolder::Get();
    const uint32_t total = GetBindingTotal();
    uint32_t set = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() != "Data")
            continue;
        if (set >= nUVMapCount)
        {
            log << nString::Format(
                       "[*] Geometry '%s' requires more UV channels than this build can handle.\n",
                       GetNameText())
                       .GetText();
            log << "[*] Please increase nUVMapCount and recompile to fully import this object.\n";
            return;
        }
        nAutoArray<nUV>& uvs = uvSets[set++];
        BinaryData data;
        if (!GetBinary(child, data) || data.size == 0)
            continue;
        if (total == 0 || !uvs.Resize(total))
        {
            log << nString::Format("[!] could not allocate UV channel for geometry '%s'.\n", GetNameText())
                       .GetText();
            continue;
        }
        const uint32_t available = data.size / 8;
        for (uint32_t i = 0; i < total && i < available; ++i)
            *uvs.At(i) = nUV(ReadF32(data.bytes + size_t(i) * 8), ReadF32(data.bytes + size_t(i) * 8 + 4));
    }
}

void nGeometry::ReadTextUV(const nMetaTag& tag)
{
    nLog& log = nLogHolder::Get();
    const uint32_t total = GetBindingTotal();
    uint32_t set = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* data = tag.GetNextChild(iterator))
    {
        if (data->GetName() != "Data")
            continue;
        if (set >= nUVMapCount)
        {
            log << nString::Format("[*] '%s' requires more UV channels than this build can handle.\n",
                                   GetNameText())
                       .GetText();
            log << "[*]    Please increase nUVMapCount and recompile Quenvar to fully import this object.\n";
            return;
        }
        const uint32_t current = set++;
        nAutoArray<nUV>& uvs = uvSets[current];
        if (data->GetChildCount() == 0)
            continue;
        if (total == 0 || !uvs.Resize(total))
        {
            log << nString::Format("[!] could not allocate UV channel for geometry '%s'.\n", GetNameText())
                       .GetText();
            continue;
        }
        uint32_t index = 0;
        nLinkedListIterator valueIterator;
        while (const nMetaTag* value = data->GetNextChild(valueIterator))
        {
            if (index >= total)
            {
                log << nString::Format("[!] Too many <Value> tags in UV channel %u of geometry '%s'.\n",
                                       current, GetNameText())
                           .GetText();
                break;
            }
            *uvs.At(index++) = nUV(ChildReal(*value, "U", 0.0f), ChildReal(*value, "V", 0.0f));
        }
    }
}
