#include "physics/nBulletPhysicItem.h"

#include "core/base/nLog.h"
#include "physics/nBulletConvert.h"
#include "physics/nBulletWorld.h"

#include <BulletDynamics/Vehicle/btRaycastVehicle.h>
#include <btBulletDynamicsCommon.h>

#include <cmath>

namespace
{
constexpr float kMinimumWheelRadius = 0.01f;
constexpr float kMaxSuspensionForce = 6000.0f;

// The chassis tuning; each wheel gets its own from its description.
btRaycastVehicle::btVehicleTuning ChassisTuning()
{
    btRaycastVehicle::btVehicleTuning tuning;
    tuning.m_suspensionStiffness = btScalar(5.88);
    tuning.m_suspensionCompression = btScalar(0.83);
    tuning.m_suspensionDamping = btScalar(0.88);
    tuning.m_maxSuspensionTravelCm = btScalar(500);
    tuning.m_frictionSlip = btScalar(10.5);
    tuning.m_maxSuspensionForce = btScalar(kMaxSuspensionForce);
    return tuning;
}

// A value that is not a number would spread into the whole body: the wheel default stands in.
btScalar FiniteOr(float value, float fallback)
{
    return btScalar(std::isfinite(value) ? value : fallback);
}

bool IsUsableAxis(const btVector3& axis)
{
    const btScalar length = axis.length2();
    return std::isfinite(float(length)) && length > btScalar(1e-12);
}
} // namespace

void nBulletPhysicItem::BuildVehicle()
{
    btDiscreteDynamicsWorld* world = GetBulletWorld()->GetDynamicsWorld();
    m_body->setActivationState(DISABLE_DEACTIVATION);
    if (!world)
        return;
    m_vehicleRaycaster = new btDefaultVehicleRaycaster(world);
    m_vehicle = new btRaycastVehicle(ChassisTuning(), m_body, m_vehicleRaycaster);

    uint32_t index = 0;
    nListIterator<nPhysicWheel*> iterator;
    while (const nPhysicWheel* wheel = m_wheels.Next(iterator))
    {
        const nMatrix4& reference = wheel->referenceMatrix;
        btVector3 connection = ToBullet(reference.GetTranslation());
        btVector3 direction = -ToBullet(reference.GetColumn(1, false));
        btVector3 axle = ToBullet(reference.GetColumn(0, false));
        if (!IsUsableAxis(direction) || !IsUsableAxis(axle) || !IsUsableAxis(direction.cross(axle)) ||
            !std::isfinite(float(connection.length2())))
        {
            nLogHolder::Get() << "[!] Wheel " << index
                              << " has no usable reference matrix; the identity is used.\n";
            connection = btVector3(0, 0, 0);
            direction = btVector3(0, -1, 0);
            axle = btVector3(1, 0, 0);
        }
        const nPhysicWheel defaults;
        btRaycastVehicle::btVehicleTuning tuning;
        tuning.m_suspensionStiffness = FiniteOr(wheel->stiffness, defaults.stiffness);
        tuning.m_suspensionCompression = FiniteOr(wheel->damping, defaults.damping);
        tuning.m_suspensionDamping = tuning.m_suspensionCompression;
        tuning.m_maxSuspensionTravelCm = FiniteOr(wheel->maxCompression, defaults.maxCompression) * 10;
        tuning.m_frictionSlip = FiniteOr(wheel->friction, defaults.friction);
        tuning.m_maxSuspensionForce = kMaxSuspensionForce;
        const float radius = wheel->radius > kMinimumWheelRadius && std::isfinite(wheel->radius)
                                 ? wheel->radius
                                 : kMinimumWheelRadius;
        m_vehicle->addWheel(connection, direction, axle, FiniteOr(wheel->restLength, defaults.restLength),
                            radius, tuning, false);
        ++index;
    }
}

bool nBulletPhysicItem::HasVehicleWheel(uint32_t wheel) const
{
    return m_vehicle && wheel < static_cast<uint32_t>(m_vehicle->getNumWheels());
}

void nBulletPhysicItem::VehicleSetForce(float force, uint32_t wheel)
{
    if (HasVehicleWheel(wheel) && std::isfinite(force))
        m_vehicle->applyEngineForce(force, static_cast<int>(wheel));
}

void nBulletPhysicItem::VehicleSetBrake(float brake, uint32_t wheel)
{
    if (HasVehicleWheel(wheel) && std::isfinite(brake))
        m_vehicle->setBrake(brake, static_cast<int>(wheel));
}

void nBulletPhysicItem::VehicleSetSteering(float angle, uint32_t wheel)
{
    if (HasVehicleWheel(wheel) && std::isfinite(angle))
        m_vehicle->setSteeringValue(angle, static_cast<int>(wheel));
}

void nBulletPhysicItem::VehicleGetWheelMatrix(nMatrix4& out, uint32_t wheel)
{
    out = nMatrix4();
    if (!HasVehicleWheel(wheel))
        return;
    m_vehicle->updateWheelTransform(static_cast<int>(wheel), true);
    out = FromBullet(m_vehicle->getWheelInfo(static_cast<int>(wheel)).m_worldTransform);
}
