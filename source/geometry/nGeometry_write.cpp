#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nGeometryEncoding.h"

#include <cstdio>
#include <vector>

using namespace nGeometryEncoding;

namespace
{
void AddBinary(nMetaTag& chunk, const std::vector<uint8_t>& bytes)
{
    chunk.AddChildBinary("Data", bytes.data(), uint32_t(bytes.size()));
}

void PutSignedBytes(std::vector<uint8_t>& bytes, size_t at, const nVector& v)
{
    bytes[at] = uint8_t(EncodeSignedByte(v.x));
    bytes[at + 1] = uint8_t(EncodeSignedByte(v.y));
    bytes[at + 2] = uint8_t(EncodeSignedByte(v.z));
}

int WeightByte(float weight)
{
    const float scaled = weight * WeightScale;
    return scaled > 0.0f ? (scaled < 255.0f ? int(scaled) : 255) : 0;
}
} // namespace

nMetaTag* nGeometry::SerializeTag(nMetaFile&)
{
    nLog& log = nLogHolder::Get();
    if (vertices.GetCount() == 0 || polygons.GetCount() == 0 || materials.GetCount() == 0)
    {
        log << nString::Format("[!] Cannot serialize '%s', geometry is empty.\n", GetNameText()).GetText();
        return nullptr;
    }
    auto* root = new nMetaTag("Geometry");
    if (!root)
    {
        log << nString::Format("[!] Could not create root tag to serialize geometry '%s'.\n", GetNameText())
                   .GetText();
        return nullptr;
    }
    const uint32_t total = GetBindingTotal();
    if (nMetaTag* chunk = root->AddChild("Vertex"))
    {
        chunk->AddChildInt("Count", int32_t(vertices.GetCount()));
        std::vector<uint8_t> bytes(size_t(vertices.GetCount()) * 12);
        for (uint32_t i = 0; i < vertices.GetCount(); ++i)
        {
            WriteF32(&bytes[size_t(i) * 12], vertices.At(i)->x);
            WriteF32(&bytes[size_t(i) * 12 + 4], vertices.At(i)->y);
            WriteF32(&bytes[size_t(i) * 12 + 8], vertices.At(i)->z);
        }
        AddBinary(*chunk, bytes);
    }
    if (nMetaTag* chunk = root->AddChild("Polygon"))
    {
        chunk->AddChildInt("Count", int32_t(polygons.GetCount()));
        chunk->AddChildInt("BindingCount", int32_t(total));
        std::vector<uint8_t> bytes((size_t(total) + 2 * size_t(polygons.GetCount())) * 4);
        size_t at = 0;
        for (uint32_t p = 0; p < polygons.GetCount(); ++p)
        {
            const nPolygon& polygon = *polygons.At(p);
            WriteU32(&bytes[at], polygon.bindingCount);
            at += 4;
            for (uint32_t c = 0; c < polygon.bindingCount; ++c, at += 4)
                WriteU32(&bytes[at], GetPolygonBindings(p)[c]);
            WriteU32(&bytes[at], polygon.material);
            at += 4;
        }
        AddBinary(*chunk, bytes);
    }
    if (polygonNormals.GetCount())
        if (nMetaTag* chunk = root->AddChild("PNormal"))
        {
            chunk->AddChildInt("Count", int32_t(polygonNormals.GetCount()));
            std::vector<uint8_t> bytes(size_t(polygonNormals.GetCount()) * 3);
            for (uint32_t i = 0; i < polygonNormals.GetCount(); ++i)
                PutSignedBytes(bytes, size_t(i) * 3, *polygonNormals.At(i));
            AddBinary(*chunk, bytes);
        }
    if (vertexNormals.GetCount())
        if (nMetaTag* chunk = root->AddChild("VNormal"))
        {
            chunk->AddChildInt("Count", int32_t(vertexNormals.GetCount()));
            std::vector<uint8_t> bytes(size_t(vertexNormals.GetCount()) * 3);
            for (uint32_t i = 0; i < vertexNormals.GetCount(); ++i)
                PutSignedBytes(bytes, size_t(i) * 3, *vertexNormals.At(i));
            AddBinary(*chunk, bytes);
        }
    if (tangentFrames.GetCount())
        if (nMetaTag* chunk = root->AddChild("VTangent"))
        {
            chunk->AddChildInt("Count", int32_t(tangentFrames.GetCount()));
            std::vector<uint8_t> bytes(size_t(tangentFrames.GetCount()) * 6);
            for (uint32_t i = 0; i < tangentFrames.GetCount(); ++i)
            {
                PutSignedBytes(bytes, size_t(i) * 6, tangentFrames.At(i)->tangent);
                PutSignedBytes(bytes, size_t(i) * 6 + 3, tangentFrames.At(i)->bitangent);
            }
            AddBinary(*chunk, bytes);
        }
    if (colors.GetCount())
        if (nMetaTag* chunk = root->AddChild("RGB"))
        {
            bool withAlpha = false;
            for (uint32_t i = 0; i < colors.GetCount(); ++i)
                withAlpha = withAlpha || colors.At(i)->a < 1.0f;
            const size_t stride = withAlpha ? 16 : 12;
            std::vector<uint8_t> bytes(colors.GetCount() * stride);
            for (uint32_t i = 0; i < colors.GetCount(); ++i)
            {
                const nColor& color = *colors.At(i);
                WriteF32(&bytes[i * stride], color.r);
                WriteF32(&bytes[i * stride + 4], color.g);
                WriteF32(&bytes[i * stride + 8], color.b);
                if (withAlpha)
                    WriteF32(&bytes[i * stride + 12], color.a);
            }
            AddBinary(*chunk, bytes);
        }
    uint32_t setCount = 0;
    for (uint32_t s = 0; s < nUVMapCount; ++s)
        if (uvSets[s].GetCount())
            setCount = s + 1;
    // A gap before the highest set is written as an empty Data, so the sets keep their numbers.
    if (setCount)
        if (nMetaTag* chunk = root->AddChild("UV"))
        {
            chunk->AddChildInt("Count", int32_t(setCount));
            for (uint32_t s = 0; s < setCount; ++s)
            {
                std::vector<uint8_t> bytes(size_t(uvSets[s].GetCount()) * 8);
                for (uint32_t i = 0; i < uvSets[s].GetCount(); ++i)
                {
                    WriteF32(&bytes[size_t(i) * 8], uvSets[s].At(i)->u);
                    WriteF32(&bytes[size_t(i) * 8 + 4], uvSets[s].At(i)->v);
                }
                AddBinary(*chunk, bytes);
            }
        }
    if (GetBoneCount())
        WriteSkin(*root);
    if (lodProxy)
        root->AddChildString("LodProxy", lodProxy->GetNameText());
    if (lodDistance != DefaultLodDistance)
        root->AddChildFloat("LodDistance", lodDistance);
    if (flags & FlagLodNull)
        root->AddChildBool("LodNull", true);
    if (shadowProxy)
        root->AddChildString("ShadowProxy", shadowProxy->GetNameText());
    if (flags & FlagShadowNull)
        root->AddChildBool("ShadowNull", true);
    WriteMaterials(*root);
    return root;
}

void nGeometry::WriteSkin(nMetaTag& root) const
{
    nMetaTag* skin = root.AddChild("Skin");
    if (!skin)
        return;
    nMetaTag* bones = skin->AddChild("Bones");
    if (!bones)
    {
        nLogHolder::Get() << "[!] Failed to allocate bone id tag.\n";
        return;
    }
    for (uint32_t b = 0; b < GetBoneCount(); ++b)
        bones->AddChildString("Id", boneNames.At(b)->GetText());
    nMetaTag* binds = skin->AddChild("Binds");
    if (!binds)
    {
        nLogHolder::Get() << "[!] Failed to allocate bone binding tag.\n";
        return;
    }
    for (uint32_t b = 0; b < GetBoneCount(); ++b)
        binds->AddChildTag(boneMatrices.At(b)->Serialize("Matrix"));
    nMetaTag* weightTag = skin->AddChild("Weights");
    if (!weightTag)
        return;
    for (uint32_t v = 0; v < weights.GetCount(); ++v)
    {
        const nSkinWeight& weight = *weights.At(v);
        char text[96];
        std::snprintf(text, sizeof text, "%d,%d,%d,%d:%d,%d,%d,%d", weight.bones[0], weight.bones[1],
                      weight.bones[2], weight.bones[3], WeightByte(weight.weights[0]),
                      WeightByte(weight.weights[1]), WeightByte(weight.weights[2]),
                      WeightByte(weight.weights[3]));
        weightTag->AddChildString("W", text);
    }
}

void nGeometry::WriteMaterials(nMetaTag& root) const
{
    nMetaTag* chunk = root.AddChild("Materials");
    if (!chunk)
        return;
    nMetaFile scratch;
    for (uint32_t m = 0; m < materials.GetCount(); ++m)
    {
        nMaterial* material = materials.At(m)->Get();
        if (material && (material->owner == this || material->embedded))
            chunk->AddChildTag(material->SerializeTag(scratch));
        else
            chunk->AddChildString("MaterialRef", material ? material->name.GetText() : "");
    }
}
