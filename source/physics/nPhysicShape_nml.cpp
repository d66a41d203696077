#include "physics/nPhysicShape.h"

#include "core/base/nLog.h"
#include "core/math/nMatrix3.h"
#include "core/nml/nMetaTag.h"

namespace
{
struct KindName
{
    const char* name;
    int32_t kind;
};

// Read names, the written one of each kind first.
const KindName kKindNames[] = {
    {"Box", PhysicShapeBox},           {"Cuboid", PhysicShapeBox},
    {"Sphere", PhysicShapeSphere},     {"Convex", PhysicShapeConvex},
    {"Cylinder", PhysicShapeCylinder}, {"Cone", PhysicShapeCone},
    {"Capsule", PhysicShapeCapsule},   {"Mesh", PhysicShapeMesh},
    {"PolyMesh", PhysicShapeMesh},     {"Heightmap", PhysicShapeHeightmap},
};

int32_t KindFromName(const nString& name)
{
    for (const KindName& entry : kKindNames)
        if (name == entry.name)
            return entry.kind;
    return PhysicShapeNone;
}

const char* NameOfKind(int32_t kind)
{
    for (const KindName& entry : kKindNames)
        if (entry.kind == kind)
            return entry.name;
    return "None";
}

void ReadFloat(const nMetaTag* tag, float& field)
{
    tag->GetValue().GetFloat(field);
}
} // namespace

bool nPhysicShape::ParseTag(const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || (tag->GetName() != "GColShape" && tag->GetName() != "PhysicShape"))
    {
        log << "[!] Could not parse physic shape. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    kind = PhysicShapeNone;
    mass = 1.0f;

    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Type")
        {
            nString text;
            child->GetValue().GetString(text);
            kind = KindFromName(text);
        }
        else if (name == "Position")
            position.Parse(child);
        else if (name == "Rotation")
            rotation.Parse(child);
        else if (name == "Orientation")
        {
            nMatrix3 orientation;
            orientation.Parse(child);
            rotation = orientation.ToEuler(RotationOrder);
        }
        else if (name == "Scale")
            scale.Parse(child);
        else if (name == "Dimensions")
            dimensions.Parse(child);
        else if (name == "Radius")
            ReadFloat(child, dimensions.x);
        else if (name == "Mesh" || name == "Polymesh")
            child->GetValue().GetString(geometryName);
        else if (name == "Mass")
            ReadFloat(child, mass);
        else if (name == "StaticFriction")
            ReadFloat(child, staticFriction);
        else if (name == "DynamicFriction")
            ReadFloat(child, dynamicFriction);
        else if (name == "Restitution")
            ReadFloat(child, restitution);
        else if (name != "Active")
            log << "[*] Unknown tag '" << name << "' in <PhysicShape>.\n";
    }
    return true;
}

nMetaTag* nPhysicShape::SerializeTag() const
{
    nMetaTag* tag = new nMetaTag("PhysicShape");
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not create collision shape root tag to serialize.\n";
        return nullptr;
    }
    if (kind != PhysicShapeNone)
        tag->AddChildString("Type", NameOfKind(kind));
    tag->AddChildTag(position.Serialize("Position"));
    tag->AddChildTag(rotation.Serialize("Rotation"));
    tag->AddChildTag(scale.Serialize("Scale"));
    tag->AddChildTag(dimensions.Serialize("Dimensions"));
    if ((kind == PhysicShapeConvex || kind == PhysicShapeMesh) && !geometryName.IsEmpty())
        tag->AddChildString("Mesh", geometryName.GetText());
    if (mass != 1.0f)
        tag->AddChildFloat("Mass", mass);
    tag->AddChildFloat("StaticFriction", staticFriction);
    tag->AddChildFloat("DynamicFriction", dynamicFriction);
    tag->AddChildFloat("Restitution", restitution);
    return tag;
}
