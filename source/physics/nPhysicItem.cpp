#include "physics/nPhysicItem.h"

#include <new>

nPhysicItem::nPhysicItem(nPhysicWorld* world) : m_world(world) {}

nPhysicItem::~nPhysicItem() = default;

void nPhysicItem::SetFlag(uint32_t bits, bool on)
{
    m_flags = on ? (m_flags | bits) : (m_flags & ~bits);
}

bool nPhysicItem::GetFlag(uint32_t bits) const
{
    return (m_flags & bits) != 0;
}

void nPhysicItem::VehicleSetForce(float, uint32_t) {}

void nPhysicItem::VehicleSetBrake(float, uint32_t) {}

void nPhysicItem::VehicleSetSteering(float, uint32_t) {}

void nPhysicItem::VehicleGetWheelMatrix(nMatrix4& out, uint32_t)
{
    out = nMatrix4();
}

nPhysicShape* nPhysicItem::AddShape()
{
    nPhysicShape* shape = new (std::nothrow) nPhysicShape();
    if (shape && !m_shapes.PushBack(shape))
    {
        delete shape;
        return nullptr;
    }
    return shape;
}

nPhysicWheel* nPhysicItem::AddWheel()
{
    nPhysicWheel* wheel = new (std::nothrow) nPhysicWheel();
    if (wheel && !m_wheels.PushBack(wheel))
    {
        delete wheel;
        return nullptr;
    }
    return wheel;
}

void nPhysicItem::RetireBuiltShape(nPhysicShape* shape)
{
    if (shape->builtShape)
        m_retiredShapes.PushBack(shape->builtShape);
}

bool nPhysicItem::RemoveShape(nPhysicShape* shape)
{
    nListNode<nPhysicShape*>* node = m_shapes.Find(shape);
    if (!node)
        return false;
    RetireBuiltShape(shape);
    return m_shapes.RemoveNode(node);
}

void nPhysicItem::ClearShapes()
{
    nListIterator<nPhysicShape*> iterator;
    while (nPhysicShape* shape = m_shapes.Next(iterator))
        RetireBuiltShape(shape);
    m_shapes.Clear();
}

float nPhysicItem::GetMass() const
{
    float mass = 0.0f;
    nListIterator<nPhysicShape*> iterator;
    while (const nPhysicShape* shape = m_shapes.Next(iterator))
        mass += shape->mass;
    return mass;
}
