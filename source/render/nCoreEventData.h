#pragma once

class nMaterial;
class nGeometry;
class nTexture;
class nSound;
class nPicture;
class nParticleModel;

// The payload of a resource message: exactly one slot names the resource (or none, for a load
// that failed); the constructor of each kind fills its own slot.
struct nCoreEventData
{
    nMaterial* material = nullptr;
    nGeometry* geometry = nullptr;
    nTexture* texture = nullptr;
    nSound* sound = nullptr;
    nPicture* picture = nullptr;
    nParticleModel* particleModel = nullptr;

    nCoreEventData() = default;
    explicit nCoreEventData(nMaterial* resource) : material(resource) {}
    explicit nCoreEventData(nGeometry* resource) : geometry(resource) {}
    explicit nCoreEventData(nTexture* resource) : texture(resource) {}
    explicit nCoreEventData(nSound* resource) : sound(resource) {}
    explicit nCoreEventData(nPicture* resource) : picture(resource) {}
    explicit nCoreEventData(nParticleModel* resource) : particleModel(resource) {}
};
