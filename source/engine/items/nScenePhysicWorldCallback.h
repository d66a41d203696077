#pragma once

#include "physics/nPhysicWorldCallback.h"

class nMItem;
class nScene;
class nScriptObject;
struct nPhysicContact;

// How a scene hears its physics world: before each sub-step it sends the physics-step events of
// the scene and of its simulated items; after it, the collision events of the items in contact.
class nScenePhysicWorldCallback : public nPhysicWorldCallback
{
public:
    explicit nScenePhysicWorldCallback(nScene* scene) : m_scene(scene) {}

    void OnSubStep(float seconds, bool before) override;

private:
    void SendPhysicStep();
    void SendCollisions();
    void SendCollision(nMItem& a, nMItem& b, const nPhysicContact& contact);
    // A script table {count, p, n} with the points and normals as "Vector" objects, or null.
    nScriptObject* NewContactTable(const nPhysicContact& contact);

    nScene* m_scene;
};
