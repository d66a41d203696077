#include "geometry/nPhysicMaterial.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

bool nPhysicMaterial::ParseTag(nMetaFile&, const nMetaTag& tag)
{
    if (tag.GetName() != "PhysicMaterial")
    {
        nLogHolder::Get() << "[!] Could not parse physic material. Root tag id is incorrect ("
                          << tag.GetName() << ").\n";
        return false;
    }
    struct Field
    {
        const char* name;
        float nPhysicMaterial::*value;
    };
    // Torsion is written as a Real, so it is read as one (a Bool reads as 0 or 1).
    static const Field kFields[] = {
        {"Mass", &nPhysicMaterial::mass},
        {"StaticFriction", &nPhysicMaterial::staticFriction},
        {"DynamicFriction", &nPhysicMaterial::dynamicFriction},
        {"Restitution", &nPhysicMaterial::restitution},
        {"Damping", &nPhysicMaterial::damping},
        {"Stiffness", &nPhysicMaterial::stiffness},
        {"Torsion", &nPhysicMaterial::torsion},
    };
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
        for (const Field& field : kFields)
            if (child->GetName() == field.name)
                child->GetValue().GetFloat(this->*field.value);
    return true;
}

nMetaTag* nPhysicMaterial::SerializeTag(nMetaFile&) const
{
    nMetaTag* tag = new nMetaTag("PhysicMaterial");
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize physic material. Failed to create root tag.\n";
        return nullptr;
    }
    tag->AddChildFloat("StaticFriction", staticFriction);
    tag->AddChildFloat("DynamicFriction", dynamicFriction);
    tag->AddChildFloat("Restitution", restitution);
    if (mass != 1.0f)
        tag->AddChildFloat("Mass", mass);
    if (damping != 0.99f)
        tag->AddChildFloat("Damping", damping);
    if (stiffness != 1.0f)
        tag->AddChildFloat("Stiffness", stiffness);
    if (torsion != 1.0f)
        tag->AddChildFloat("Torsion", torsion);
    return tag;
}
