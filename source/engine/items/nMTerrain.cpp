#include "engine/items/nMTerrain.h"

#include "engine/Quenvar.h"
#include "engine/items/nManagedBlock.h"
#include "geometry/nMaterial.h"
#include "physics/nPhysicItem.h"
#include "physics/nPhysicShape.h"
#include "render/nRenderer.h"

nMTerrain::nMTerrain(nScene* scene) : nMItem(scene, ItemTypeTerrain), m_terrain(scene->GetEngine())
{
    AttachItem(m_terrain);
}

nMTerrain::~nMTerrain()
{
    Retire();
}

void nMTerrain::Setup()
{
    Quenvar* engine = GetScene()->GetEngine();
    nMaterial* material = m_terrain.GetMaterial();
    if (engine && material && !material->renderData)
        material->renderData = engine->GetRenderer()->SetupMaterial(material);
    m_terrain.ComputeNormals();
    m_terrain.BuildQuadtree();
    nMItem::Setup();
}

// Other children are passed over without a word, as the block always did.
bool nMTerrain::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, "MTerrain", "could not parse managed terrain. Root tag id is incorrect ("))
        return false;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        if (child->GetName() == "MItem")
            ParseManagedTag(file, *child);
        else if (child->GetName() == "Terrain")
            m_terrain.ParseTag(file, *child);
    }
    ShapeHeightfields();
    return true;
}

// The shape gets every row and column of points, (w + 1) x (h + 1), with the terrain's cell size
// as its spacing, so its grid matches the terrain's cell for cell. Resampling by the resolution
// instead would give a grid of unit cells that neither spans the terrain nor keeps its heights.
// The cell is the one height queries use: the world size over the cell count.
void nMTerrain::ShapeHeightfields()
{
    nPhysicItem* body = GetPhysicItem();
    if (!body || !m_terrain.HasHeightmap())
        return;
    const float cellWidth = m_terrain.GetWorldWidth() / float(m_terrain.GetGridWidth());
    const float cellDepth = m_terrain.GetWorldDepth() / float(m_terrain.GetGridDepth());
    nListIterator<nPhysicShape*> iterator;
    while (nPhysicShape* shape = body->GetShapes().Next(iterator))
        if (shape->kind == PhysicShapeHeightmap)
            shape->SetHeightfield(m_terrain.GetHeights(), m_terrain.GetGridWidth() + 1,
                                  m_terrain.GetGridDepth() + 1, 1.0f, cellWidth, cellDepth);
}

nMetaTag* nMTerrain::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "MTerrain", "Could not create managed root tag to serialize.\n",
                                 m_terrain.SerializeTag(file));
}
