#pragma once

class nMetaFile;
class nMetaTag;

// How a surface behaves under the physics simulation.
class nPhysicMaterial
{
public:
    float mass = 1.0f;
    float dynamicFriction = 0.5f;
    float staticFriction = 0.75f;
    float restitution = 0.1f;
    float damping = 0.99f;
    float stiffness = 1.0f;
    float torsion = 1.0f;

    virtual ~nPhysicMaterial() = default;

    // Reads a "PhysicMaterial" tag; children it does not know are ignored.
    bool ParseTag(nMetaFile& file, const nMetaTag& tag);
    // A new "PhysicMaterial" tag, or null after a log line.
    nMetaTag* SerializeTag(nMetaFile& file) const;
};
