#include "geometry/nGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "render/nEngineServices.h"

#include <chrono>
#include <cstdio>

bool nGeometry::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    const auto start = std::chrono::steady_clock::now();
    nLog& log = nLogHolder::Get();
    log << nString::Format("[H] Loading geometry '%s'.\n", file.GetFileName().GetText()).GetText();
    box = nMinMax(nVector(0.0f, 0.0f, 0.0f, 1.0f), nVector(0.0f, 0.0f, 0.0f, 1.0f));
    if (tag.GetName() != "Geometry")
    {
        log << "[!] Could not parse material. Root tag id is incorrect (" << tag.GetName() << ")...\n";
        return false;
    }
    Clear();
    if (const nMetaTag* chunk = tag.GetTag("Materials"))
        ReadMaterials(file, *chunk);
    if (const nMetaTag* chunk = tag.GetTag("Vertex"))
        ReadVertex(*chunk);
    else if (const nMetaTag* textChunk = tag.GetTag("AVertex"))
        ReadTextVertex(*textChunk);
    // Polygons from a binary chunk are checked as they are read; others are scanned once all chunks are in.
    bool polygonsUsable = false;
    if (const nMetaTag* chunk = tag.GetTag("Polygon"))
        polygonsUsable = ReadPolygon(*chunk);
    else if (const nMetaTag* textChunk = tag.GetTag("APolygon"))
        ReadTextPolygon(*textChunk);
    if (const nMetaTag* chunk = tag.GetTag("PNormal"))
        ReadPolygonNormals(*chunk);
    if (const nMetaTag* chunk = tag.GetTag("VNormal"))
        ReadVertexNormals(*chunk);
    if (const nMetaTag* chunk = tag.GetTag("VTangent"))
        ReadVertexTangents(*chunk);
    if (const nMetaTag* chunk = tag.GetTag("Skin"))
        ReadSkin(*chunk);
    if (const nMetaTag* chunk = tag.GetTag("RGB"))
        ReadColors(*chunk);
    else if (const nMetaTag* textChunk = tag.GetTag("ARGB"))
        ReadTextColors(*textChunk);
    if (const nMetaTag* chunk = tag.GetTag("UV"))
        ReadUV(*chunk);
    else if (const nMetaTag* textChunk = tag.GetTag("AUV"))
        ReadTextUV(*textChunk);
    if (const nMetaTag* chunk = tag.GetTag("LodProxy"))
        lodProxy = LoadProxy(*chunk);
    if (const nMetaTag* chunk = tag.GetTag("ShadowProxy"))
        shadowProxy = LoadProxy(*chunk);
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() == "LodDistance")
            child->GetValue().GetFloat(lodDistance);
        else if (child->GetName() == "LodNull")
            flags = child->GetBool() ? flags | FlagLodNull : flags & ~uint32_t(FlagLodNull);
        else if (child->GetName() == "ShadowNull")
            flags = child->GetBool() ? flags | FlagShadowNull : flags & ~uint32_t(FlagShadowNull);
    }
    if (!polygonsUsable)
        DropUnusablePolygons();
    if (vertices.GetCount() == 0)
    {
        log << nString::Format("[!] No vertice in geometry '%s'.\n", GetNameText()).GetText();
        return false;
    }
    if (polygons.GetCount() == 0)
    {
        log << nString::Format("[!] No polygon in geometry '%s'.\n", GetNameText()).GetText();
        return false;
    }
    if (materials.GetCount() == 0)
    {
        AllocateMaterials(1, true);
        log << nString::Format("[*] Expected at least one material in geometry '%s'.\n", GetNameText())
                   .GetText();
    }
    Check();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    log << nString::Format("Done in %ldms. %u vertice, %u polygon(s), %u material(s).\n", long(elapsed),
                           vertices.GetCount(), polygons.GetCount(), materials.GetCount())
               .GetText();
    return true;
}

void nGeometry::ReadMaterials(nMetaFile& file, const nMetaTag& tag)
{
    uint32_t count = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
        if (child->GetName() == "Material" || child->GetName() == "MaterialRef")
            ++count;
    if (!AllocateMaterials(count, false))
        return;
    uint32_t slot = 0;
    iterator = nLinkedListIterator();
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() == "Material")
        {
            auto* material = new nMaterial(engine);
            if (!material)
                continue;
            material->owner = this;
            material->embedded = true;
            *materials.At(slot++) = material;
            material->ParseTag(file, *child);
        }
        else if (child->GetName() == "MaterialRef")
        {
            nString reference;
            if (engine && child->GetValue().GetString(reference) && reference.GetText())
                *materials.At(slot) = engine->LoadMaterial(reference.GetText(), false);
            ++slot;
        }
    }
}

nGeometry* nGeometry::LoadProxy(const nMetaTag& tag)
{
    nString proxyName;
    if (!engine || !tag.GetValue().GetString(proxyName) || !proxyName.GetText())
        return nullptr;
    return engine->LoadGeometry(proxyName.GetText(), cpuOnly, false);
}

void nGeometry::ReadSkin(const nMetaTag& tag)
{
    boneNames.Free();
    boneMatrices.Free();
    weights.Free();
    if (const nMetaTag* bones = tag.GetTag("Bones"))
    {
        if (!AllocateSkin(bones->GetChildCount()))
        {
            nLogHolder::Get() << "[!] Failed to allocate bone id list.\n";
            return;
        }
        uint32_t index = 0;
        nLinkedListIterator iterator;
        while (const nMetaTag* bone = bones->GetNextChild(iterator))
            bone->GetValue().GetString(*boneNames.At(index++));
    }
    const uint32_t boneCount = GetBoneCount();
    if (const nMetaTag* binds = tag.GetTag("Binds");
        binds && boneCount && binds->GetChildCount() == boneCount)
    {
        uint32_t index = 0;
        nLinkedListIterator iterator;
        while (const nMetaTag* bind = binds->GetNextChild(iterator))
            if (!boneMatrices.At(index++)->Parse(bind))
                *boneMatrices.At(index - 1) = nMatrix4();
    }
    const nMetaTag* weightTag = tag.GetTag("Weights");
    if (!weightTag || boneCount == 0)
        return;
    if (weightTag->GetChildCount() != vertices.GetCount())
        nLogHolder::Get() << nString::Format("[*] Incoherent weight count (%u for %u vertice (is the skin "
                                             "being declared before the vertice?)).\n",
                                             weightTag->GetChildCount(), vertices.GetCount())
                                 .GetText();
    // One record per vertex: extra records are dropped, missing ones stay on the first bone.
    if (!weights.Resize(vertices.GetCount()))
    {
        nLogHolder::Get() << "[!] Failed to allocate skin weights array.\n";
        return;
    }
    for (uint32_t v = 0; v < weights.GetCount(); ++v)
        weights.At(v)->weights[0] = 1.0f;
    uint32_t index = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = weightTag->GetNextChild(iterator))
    {
        if (index >= weights.GetCount())
            break;
        nSkinWeight& weight = *weights.At(index++);
        nString text;
        int bones[4] = {};
        int bytes[4] = {};
        // An empty text has no characters at all, not even an empty C string.
        if (!child->GetValue().GetString(text) || !text.GetText() ||
            std::sscanf(text.GetText(), "%d,%d,%d,%d:%d,%d,%d,%d", &bones[0], &bones[1], &bones[2], &bones[3],
                        &bytes[0], &bytes[1], &bytes[2], &bytes[3]) != 8)
            continue;
        float sum = 0.0f;
        for (int i = 0; i < 4; ++i)
        {
            const bool known = bones[i] >= 0 && uint32_t(bones[i]) < boneCount && bones[i] <= UINT16_MAX;
            weight.bones[i] = uint16_t(known ? bones[i] : 0);
            weight.weights[i] = known && bytes[i] > 0 ? float(bytes[i]) / 255.0f : 0.0f;
            sum += weight.weights[i];
        }
        if (sum > 0.0f)
            for (float& w : weight.weights)
                w /= sum;
        else
            weight.weights[0] = 1.0f;
    }
}
