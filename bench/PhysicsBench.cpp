// 1000 boxes in a 10 x 10 x 10 lattice fall onto a static floor for 600 steps of 1/60 s: once
// through the physics layer as the scene drives it (built items, motion states, tick callbacks,
// contacts read after every sub-step) and once through raw Bullet with the same world.
#include "core/math/nMatrix4.h"
#include "physics/nBulletPhysicItem.h"
#include "physics/nBulletWorld.h"
#include "physics/nPhysicContact.h"
#include "physics/nPhysicOwner.h"
#include "physics/nPhysicWorldCallback.h"

#include <benchmark/benchmark.h>
#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

namespace
{
constexpr int kLatticeSide = 10;
constexpr float kSpacing = 1.5f;
constexpr int kSteps = 600;
constexpr float kStep = 1.0f / 60.0f;

nVector LatticePosition(int index)
{
    const int x = index % kLatticeSide;
    const int y = index / (kLatticeSide * kLatticeSide);
    const int z = (index / kLatticeSide) % kLatticeSide;
    return nVector((x - 4.5f) * kSpacing, 2.0f + y * kSpacing, (z - 4.5f) * kSpacing);
}

class BenchOwner : public nPhysicOwner
{
public:
    const nMatrix4& GetPhysicWorldMatrix() override { return matrix; }
    nMatrix4 matrix;
};

// Reads every contact after each sub-step, as the scene's collision report does.
class ContactReader : public nPhysicWorldCallback
{
public:
    explicit ContactReader(nPhysicWorld& world) : m_world(world) {}
    void OnSubStep(float, bool before) override
    {
        if (before)
            return;
        nPhysicContact contact;
        const int32_t count = m_world.GetContactCount();
        for (int32_t i = 0; i < count; ++i)
            if (m_world.GetContact(i, contact))
                points += contact.pointCount;
    }
    int64_t points = 0;

private:
    nPhysicWorld& m_world;
};

void LayerWorld(benchmark::State& state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        auto world = std::make_unique<nBulletWorld>(nullptr);
        world->Open();
        ContactReader reader(*world);
        world->SetCallback(&reader);
        std::vector<std::unique_ptr<BenchOwner>> owners;
        std::vector<std::unique_ptr<nPhysicItem>> items;
        auto addBox = [&](int32_t mode, const nVector& position, const nVector& size, float mass)
        {
            owners.push_back(std::make_unique<BenchOwner>());
            owners.back()->matrix = nMatrix4::FromTranslation(position.x, position.y, position.z);
            items.emplace_back(world->NewItem());
            nPhysicItem* item = items.back().get();
            item->SetOwner(owners.back().get());
            item->SetMode(mode);
            nPhysicShape* shape = item->AddShape();
            shape->SetPrimitive(PhysicShapeBox, size);
            shape->mass = mass;
            item->Build();
        };
        addBox(PhysicModeStatic, nVector(0, -0.5f, 0), nVector(100, 1, 100), 0.0f);
        for (int i = 0; i < kLatticeSide * kLatticeSide * kLatticeSide; ++i)
            addBox(PhysicModeDynamic, LatticePosition(i), nVector(1, 1, 1), 1.0f);
        nMatrix4 matrix;
        state.ResumeTiming();

        for (int step = 0; step < kSteps; ++step)
        {
            world->Step(kStep);
            // The scene reads every simulated body back after the step.
            for (const auto& item : items)
                item->GetMotionStateMatrix(matrix);
        }

        state.PauseTiming();
        benchmark::DoNotOptimize(reader.points);
        items.clear();
        world.reset();
        state.ResumeTiming();
    }
}

// The same bodies without the layer: compound shapes with one box child, mass 1 and the
// compound's principal inertia, the layer's default friction and restitution, the same
// gravity, solver mode, interpolation and step.
void RawBulletWorld(benchmark::State& state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        btDefaultCollisionConfiguration configuration;
        btCollisionDispatcher dispatcher(&configuration);
        btDbvtBroadphase broadphase;
        btSequentialImpulseConstraintSolver solver;
        btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
        world.getSolverInfo().m_solverMode = 260;
        world.setLatencyMotionStateInterpolation(false);
        world.setGravity(btVector3(0, btScalar(-9.8), 0));
        std::vector<std::unique_ptr<btCollisionShape>> shapes;
        std::vector<std::unique_ptr<btMotionState>> states;
        std::vector<std::unique_ptr<btRigidBody>> bodies;
        auto addBox = [&](const btVector3& position, const btVector3& halfExtents, btScalar mass)
        {
            shapes.emplace_back(new btBoxShape(halfExtents));
            btBoxShape* box = static_cast<btBoxShape*>(shapes.back().get());
            auto compound = std::make_unique<btCompoundShape>(true);
            compound->addChildShape(btTransform::getIdentity(), box);
            btVector3 inertia(0, 0, 0);
            if (mass > 0)
            {
                btTransform principal;
                compound->calculatePrincipalAxisTransform(&mass, principal, inertia);
            }
            states.emplace_back(new btDefaultMotionState(btTransform(btMatrix3x3::getIdentity(), position)));
            bodies.emplace_back(new btRigidBody(btRigidBody::btRigidBodyConstructionInfo(
                mass, states.back().get(), compound.get(), inertia)));
            shapes.push_back(std::move(compound));
            world.addRigidBody(bodies.back().get());
            bodies.back()->setFriction(btScalar(0.5));
            bodies.back()->setRestitution(btScalar(0.5));
        };
        addBox(btVector3(0, -0.5f, 0), btVector3(50, 0.5f, 50), 0);
        for (int i = 0; i < kLatticeSide * kLatticeSide * kLatticeSide; ++i)
        {
            const nVector position = LatticePosition(i);
            addBox(btVector3(position.x, position.y, position.z), btVector3(0.5f, 0.5f, 0.5f), 1);
        }
        state.ResumeTiming();

        for (int step = 0; step < kSteps; ++step)
            world.stepSimulation(kStep, 12, kStep);

        state.PauseTiming();
        for (const auto& body : bodies)
            world.removeRigidBody(body.get());
        bodies.clear();
        state.ResumeTiming();
    }
}
} // namespace

BENCHMARK(LayerWorld)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawBulletWorld)->Unit(benchmark::kMillisecond)->Iterations(3);
