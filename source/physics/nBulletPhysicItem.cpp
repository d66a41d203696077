#include "physics/nBulletPhysicItem.h"

#include "core/base/nLog.h"
#include "physics/nBulletConstraint.h"
#include "physics/nBulletConvert.h"
#include "physics/nBulletConvex.h"
#include "physics/nBulletHeightfield.h"
#include "physics/nBulletMesh.h"
#include "physics/nBulletMotionState.h"
#include "physics/nBulletWorld.h"

#include <BulletDynamics/Vehicle/btRaycastVehicle.h>
#include <btBulletDynamicsCommon.h>

#include <cmath>
#include <new>

namespace
{
// Lengths beyond this make Bullet's bounding boxes and inertias overflow.
constexpr float kMaxLength = 1.0e7f;

bool IsUsable(const nVector& v)
{
    return std::fabs(v.x) <= kMaxLength && std::fabs(v.y) <= kMaxLength && std::fabs(v.z) <= kMaxLength;
}

float UsableMass(float mass)
{
    return mass > 0.0f && mass < 1.0e12f ? mass : 0.0f;
}

btCollisionShape* NewPrimitive(const nPhysicShape& shape)
{
    const nVector d = shape.dimensions.Abs();
    switch (shape.kind)
    {
    case PhysicShapeBox:
        return new btBoxShape(btVector3(d.x / 2, d.y / 2, d.z / 2));
    case PhysicShapeSphere:
        return new btSphereShape(d.x);
    case PhysicShapeCylinder:
        return new btCylinderShapeZ(btVector3(d.x / 2, d.y / 2, d.z / 2));
    case PhysicShapeCone:
        return new btConeShapeZ(d.x / 2, d.z / 2);
    case PhysicShapeCapsule:
        return new btCapsuleShapeZ(d.x / 2, d.z);
    default:
        return nullptr;
    }
}
} // namespace

nBulletPhysicItem::nBulletPhysicItem(nBulletWorld* world) : nPhysicItem(world) {}

nBulletPhysicItem::~nBulletPhysicItem()
{
    Free();
    while (nListNode<nBulletConstraint*>* node = m_constraints.GetHead())
    {
        nBulletConstraint* constraint = node->value;
        m_constraints.RemoveNode(node);
        constraint->ForgetItem(this);
    }
}

void nBulletPhysicItem::AttachConstraint(nBulletConstraint* constraint)
{
    if (!m_constraints.Find(constraint))
        m_constraints.PushBack(constraint);
}

void nBulletPhysicItem::DetachConstraint(nBulletConstraint* constraint)
{
    m_constraints.Remove(constraint);
}

nBulletWorld* nBulletPhysicItem::GetBulletWorld() const
{
    return static_cast<nBulletWorld*>(m_world);
}

void nBulletPhysicItem::Free()
{
    nListIterator<nBulletConstraint*> joints;
    while (nBulletConstraint* constraint = m_constraints.Next(joints))
        constraint->Free();
    if (m_world)
        m_world->RemoveItem(this);
    delete m_vehicle;
    m_vehicle = nullptr;
    delete m_vehicleRaycaster;
    m_vehicleRaycaster = nullptr;
    delete m_body;
    m_body = nullptr;
    delete m_compound;
    m_compound = nullptr;
    m_motionState.Reset();
    nListIterator<nPhysicShape*> iterator;
    while (nPhysicShape* shape = m_shapes.Next(iterator))
        shape->builtShape = nullptr;
    m_retiredShapes.Clear();
    m_filterClosed = false;
    m_simulatedMode = PhysicModeNone;
}

// The shape's Bullet shape, shared from the world's caches for geometries; null when it cannot
// be built. The mass point is where the shape's mass sits in the item's space.
static nBulletShape* BuildShape(nBulletWorld* world, nPhysicShape& shape, nVector& massPoint)
{
    massPoint = shape.position;
    if (!IsUsable(shape.position) || !IsUsable(shape.rotation) || !IsUsable(shape.scale) ||
        !IsUsable(shape.dimensions))
    {
        nLogHolder::Get()
            << "[!] Physic shape with unusable position, rotation, scale or dimensions left out.\n";
        return nullptr;
    }
    nBulletShape* built = nullptr;
    switch (shape.kind)
    {
    case PhysicShapeConvex:
        built = world->GetConvex(shape.geometryName);
        break;
    case PhysicShapeMesh:
        built = world->GetMesh(shape.geometryName);
        break;
    case PhysicShapeHeightmap:
        built = nBulletHeightfield::Create(shape);
        break;
    case PhysicShapeNone:
        break;
    default:
        if (btCollisionShape* primitive = NewPrimitive(shape))
            built = new (std::nothrow) nBulletShape(primitive);
        break;
    }
    if ((shape.kind == PhysicShapeConvex || shape.kind == PhysicShapeMesh) && built)
    {
        nMatrix4 shapeMatrix;
        shape.GetMatrix(shapeMatrix);
        massPoint = built->GetCentre().MulMatrix4(shapeMatrix);
    }
    return built;
}

float nBulletPhysicItem::BuildCompound()
{
    m_compound = new btCompoundShape(true);
    m_centerOfMass = nVector(0.0f, 0.0f, 0.0f, 1.0f);

    nVector massSum(0.0f, 0.0f, 0.0f);
    float totalMass = 0.0f;
    nListIterator<nPhysicShape*> iterator;
    while (nPhysicShape* shape = m_shapes.Next(iterator))
    {
        nVector massPoint;
        nBulletShape* built = BuildShape(GetBulletWorld(), *shape, massPoint);
        if (built && built->GetCollisionShape())
            shape->builtShape = built;
        else if (built && built->GetRefCount() == 0)
            delete built;
        const float mass = UsableMass(shape->mass);
        massSum += massPoint * mass;
        totalMass += mass;
    }
    if (totalMass > 0.0f)
        m_centerOfMass = massSum * (1.0f / totalMass);
    m_centerOfMass.w = 1.0f;

    iterator = {};
    while (nPhysicShape* shape = m_shapes.Next(iterator))
    {
        if (!shape->builtShape)
            continue;
        btCollisionShape* collisionShape =
            static_cast<nBulletShape*>(shape->builtShape.Get())->GetCollisionShape();
        const nMatrix4 child = nMatrix4::ComposeEuler(shape->position - m_centerOfMass, shape->rotation,
                                                      shape->scale, nPhysicShape::RotationOrder);
        btTransform transform(ToBulletBasis(child), ToBullet(child.GetTranslation()));
        if (shape->kind == PhysicShapeHeightmap)
        {
            // Bullet centres a field on the middle of its height range, in the field's own space:
            // lifting it back there, along its own up axis, keeps every height where the terrain
            // has it, however the shape is turned. Its cell size is its own local scaling.
            const float middle = static_cast<nBulletHeightfield*>(shape->builtShape.Get())->GetMiddleHeight();
            transform.setOrigin(transform(btVector3(0, btScalar(middle), 0)));
        }
        m_compound->addChildShape(transform, collisionShape);
    }
    return totalMass;
}

bool nBulletPhysicItem::Build()
{
    Free();
    if (m_mode <= PhysicModeNone || m_mode > PhysicModeVehicle)
        return true;

    const float totalMass = BuildCompound();
    const int childCount = m_compound->getNumChildShapes();
    if (!m_shapes.IsEmpty() && childCount == 0)
    {
        // Every shape failed: the item runs without a body but keeps (and saves) its mode.
        delete m_compound;
        m_compound = nullptr;
        return true;
    }

    btScalar mass = 0;
    btVector3 inertia(0, 0, 0);
    if (m_mode == PhysicModeDynamic || m_mode == PhysicModeVehicle)
    {
        if (childCount == 0)
        {
            mass = 1;
            inertia = btVector3(1, 1, 1);
            m_filterClosed = true;
        }
        else
        {
            nAutoArray<btScalar> masses(static_cast<uint32_t>(childCount), MemCategoryGeneral);
            uint32_t child = 0;
            nListIterator<nPhysicShape*> iterator;
            while (nPhysicShape* shape = m_shapes.Next(iterator))
                if (shape->builtShape && child < masses.GetCount())
                    *masses.At(child++) = UsableMass(shape->mass);
            mass = totalMass;
            if (mass > 0 && child == masses.GetCount())
            {
                btTransform principal;
                m_compound->calculatePrincipalAxisTransform(masses.GetData(), principal, inertia);
            }
        }
    }

    m_motionState = new nBulletMotionState(this);
    btRigidBody::btRigidBodyConstructionInfo info(mass, m_motionState.Get(), m_compound, inertia);
    m_body = new btRigidBody(info);
    m_body->setUserPointer(this);
    m_simulatedMode = m_mode;

    if (m_mode == PhysicModeVehicle)
        BuildVehicle();

    m_world->InsertItem(this);
    SetLinearFactor(m_linearFactor);
    SetAngularFactor(m_angularFactor);
    SetLinearDamping(m_linearDamping);
    SetAngularDamping(m_angularDamping);
    SetMask(m_mask);
    SetSelfMask(m_selfMask);

    if (nListNode<nPhysicShape*>* first = m_shapes.GetHead())
    {
        m_body->setFriction(first->value->staticFriction);
        m_body->setRestitution(first->value->restitution);
    }
    if (m_mode == PhysicModeKinematic)
    {
        m_body->setCollisionFlags(m_body->getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
        m_body->setActivationState(DISABLE_DEACTIVATION);
    }
    return true;
}

nPhysicShape* nBulletPhysicItem::GetShapeOfChild(int childIndex) const
{
    if (childIndex < 0)
        return nullptr;
    nListIterator<nPhysicShape*> iterator;
    while (nPhysicShape* shape = m_shapes.Next(iterator))
        if (shape->builtShape && childIndex-- == 0)
            return shape;
    return nullptr;
}
