#include "engine/items/nTerrain.h"

#include "core/base/nLog.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItemTags.h"
#include "geometry/nMaterial.h"
#include "platform/nPlatform.h"

namespace
{
constexpr const char* Block = "Terrain";
constexpr const char* LayerTextureTags[nTerrain::LayerTextureCount] = {"Diffuse", "Normal", "Specular",
                                                                       "Self"};
constexpr const char* UVAxisNames[] = {"XZ", "XY", "ZY"};

int FindLayerTexture(const nString& name)
{
    for (int texture = 0; texture < nTerrain::LayerTextureCount; ++texture)
        if (name == LayerTextureTags[texture])
            return texture;
    return -1;
}
} // namespace

bool nTerrain::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse terrain. Root tag id is incorrect ("))
        return false;
    Quenvar* engine = GetEngine();
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        nString text;
        if (name == "Item")
            nItem::ParseTag(file, *child);
        else if (name == "Width")
            ReadRealTag(*child, Block, m_worldWidth);
        else if (name == "Height")
            ReadRealTag(*child, Block, m_worldDepth);
        else if (name == "Material")
        {
            nSharedPtr<nMaterial> material(new nMaterial(engine));
            if (material && material->ParseTag(file, *child))
                SetMaterial(material.Get(), true);
        }
        else if (name == "MaterialName")
        {
            if (ReadStringTag(*child, Block, text))
                SetMaterial(engine && !text.IsEmpty() ? engine->LoadMaterial(text.GetText()) : nullptr,
                            false);
        }
        else if (name == "Layers")
            ReadLayers(*child);
        else if (name == "Blendmap")
        {
            if (ReadStringTag(*child, Block, text))
                SetBlendMap(text.GetText());
        }
        else if (name == "Heightmap")
            ReadHeightmap(*child);
        else
            LogUnknownTag(*child, Block);
    }
    ++m_revision;
    return true;
}

void nTerrain::ReadLayers(const nMetaTag& tag)
{
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() != "Layer")
        {
            LogUnknownTag(*child, "Layers");
            continue;
        }
        int32_t index = 0;
        const nMetaTag* indexTag = child->GetTypedTag("Index", TagTypeInteger);
        if (indexTag)
            indexTag->GetValue().GetInt(index);
        if (index < 0 || index >= LayerCount)
            index = 0;
        Layer& layer = m_layers[index];
        nLinkedListIterator parts;
        while (const nMetaTag* part = child->GetNextChild(parts))
        {
            const nString& name = part->GetName();
            const int texture = FindLayerTexture(name);
            nString text;
            if (texture >= 0)
            {
                if (ReadStringTag(*part, "Layer", text))
                    SetLayerTexture(index, texture, text.GetText());
            }
            else if (name == "UVAngle")
                ReadRealTag(*part, "Layer", layer.uvAngle);
            else if (name == "UVTiling")
                ReadRealTag(*part, "Layer", layer.uvTiling);
            else if (name == "UVAxis")
            {
                if (!ReadStringTag(*part, "Layer", text))
                    continue;
                for (int32_t axis = 0; axis < 3; ++axis)
                    if (text == UVAxisNames[axis])
                        layer.uvAxis = axis;
            }
            else if (name != "Index")
                LogUnknownTag(*part, "Layer");
        }
    }
}

// A height file that does not exist goes to the engine's hook for missing geometry, as a mesh
// would. The file's size is checked before the grid is allocated, so a small scene cannot make
// the terrain allocate a huge grid for a file that does not fit it: such a terrain has no heights.
void nTerrain::ReadHeightmap(const nMetaTag& tag)
{
    const nMetaTag* width = tag.GetTypedTag("Width", TagTypeInteger);
    const nMetaTag* height = tag.GetTypedTag("Height", TagTypeInteger);
    const nMetaTag* data = tag.GetTypedTag("Data", TagTypeString);
    const nMetaTag* resolution = tag.GetTypedTag("Resolution", TagTypeReal);
    if (!width || !height || !data || !resolution)
    {
        nLogHolder::Get() << "[!] Invalid heightmap information, incomplete <Heightmap> tag in <Terrain>.\n";
        return;
    }
    int32_t columns = 0, rows = 0;
    float cell = 0.0f;
    width->GetValue().GetInt(columns);
    height->GetValue().GetInt(rows);
    resolution->GetValue().GetFloat(cell);
    data->GetValue().GetString(m_heightFileName);
    FreeHeightmap();
    nString path = m_heightFileName;
    Quenvar* engine = GetEngine();
    Quenvar::NotFoundHook notFound = engine ? engine->GetGeometryNotFoundHook() : nullptr;
    if (notFound && !nPlatform::Get().GetIOSystem().Exists(path))
        notFound(path);
    if (!OpenHeightFile(path.GetText(), columns, rows) || !AllocateHeightmap(columns, rows, cell))
        return;
    LoadHeightFile(path.GetText());
    ComputeNormals();
    BuildQuadtree();
}

nMetaTag* nTerrain::SerializeTag(nMetaFile& file) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize terrain. Failed to create root tag.\n";
        return nullptr;
    }
    AddChildBlock(*tag, nItem::SerializeTag(file));
    tag->AddChildFloat("Width", m_worldWidth);
    tag->AddChildFloat("Height", m_worldDepth);
    // A material read inline goes back inline: its name names no file.
    if (m_material && m_inlineMaterial)
        AddChildBlock(*tag, m_material->SerializeTag(file));
    else if (m_material)
        tag->AddChildString("MaterialName", m_material->name.GetText() ? m_material->name.GetText() : "");
    if (nMetaTag* layers = tag->AddChild("Layers"))
        for (int32_t index = 0; index < LayerCount; ++index)
        {
            const Layer& layer = m_layers[index];
            if (layer.names[LayerDiffuse].IsEmpty() && layer.names[LayerNormal].IsEmpty())
                continue;
            nMetaTag* entry = layers->AddChild("Layer");
            if (!entry)
            {
                nLogHolder::Get() << "[!] Failed to serialize terrain layer " << index << ".\n";
                continue;
            }
            entry->AddChildInt("Index", index);
            for (int texture = 0; texture < LayerTextureCount; ++texture)
                if (!layer.names[texture].IsEmpty())
                    entry->AddChildString(LayerTextureTags[texture], layer.names[texture].GetText());
            entry->AddChildFloat("UVAngle", layer.uvAngle);
            entry->AddChildFloat("UVTiling", layer.uvTiling);
            entry->AddChildString("UVAxis",
                                  UVAxisNames[layer.uvAxis >= 0 && layer.uvAxis < 3 ? layer.uvAxis : 0]);
        }
    if (!m_blendMapName.IsEmpty())
        tag->AddChildString("Blendmap", m_blendMapName.GetText());
    if (HasHeightmap())
        if (nMetaTag* heightmap = tag->AddChild("Heightmap"))
        {
            heightmap->AddChildInt("Width", m_gridWidth);
            heightmap->AddChildInt("Height", m_gridHeight);
            heightmap->AddChildFloat("Resolution", m_resolution);
            heightmap->AddChildString("Data", m_heightFileName.GetText() ? m_heightFileName.GetText() : "");
        }
    return tag;
}
