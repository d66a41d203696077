#pragma once

class nMatrix4;

// What a physics item needs of the scene item it belongs to: the item's world matrix, brought up
// to date when asked. The simulation's answer goes back through nPhysicItem::GetMotionStateMatrix.
class nPhysicOwner
{
public:
    virtual ~nPhysicOwner() = default;
    virtual const nMatrix4& GetPhysicWorldMatrix() = 0;
};
