#pragma once

#include "core/base/nSharedObject.h"
#include "core/math/nCurve.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaObject.h"
#include "geometry/nMaterial.h"
#include "platform/nstring/nString.h"

#include <cstddef>
#include <cstdint>

class nEngineServices;

// How each particle of an emitter looks and ages: its material, its time to live, the damping
// and gravity acting on it, and six curves over its age. A shared resource, loaded through the
// engine's cache from a "ParticleModel" file.
class nParticleModel : public nSharedObject, public nMetaObject
{
public:
    enum Curve
    {
        CurveAngle,
        CurveSize,
        CurveRed,
        CurveGreen,
        CurveBlue,
        CurveOpacity,
        CurveCount,
    };
    // Set by every successful read, for whoever keeps data derived from the model.
    static constexpr uint32_t StateChanged = 64;
    static constexpr float DefaultTimeToLive = 4.0f;

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    explicit nParticleModel(nEngineServices* engine);
    nParticleModel(const nParticleModel&) = delete;
    nParticleModel& operator=(const nParticleModel&) = delete;
    ~nParticleModel() override;

    // The tag names of the curves, in Curve order.
    static const char* GetCurveName(int curve);

    nString name;
    nMaterial material;
    float timeToLive = DefaultTimeToLive;
    float damping = 1.0f;
    nVector gravity{0.0f, 0.0f, 0.0f, 1.0f};
    nCurve curves[CurveCount];
    uint32_t state = 0;

    // One knot at the time on each of the red, green, blue and opacity curves.
    bool AddColorKey(float time, float red, float green, float blue, float alpha);

    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;
};
