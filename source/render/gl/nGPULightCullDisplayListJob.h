#pragma once

#include "platform/nJob.h"
#include "render/gl/nGPURenderPrimitive.h"
#include "render/nLightSource.h"

#include "core/math/nMatrix4.h"

// Keeps the primitives of a list that one light can reach. It reads the light's settings and
// matrices as they were when it was made, the items' stored matrices and the display lists'
// boxes, and writes only its own output: the main thread brings every matrix up to date before
// any job is submitted and reads the output only after waiting for the job.
class nGPULightCullDisplayListJob : public nJob
{
public:
    nGPULightCullDisplayListJob(nLightSource& light, const nGPURenderPrimitiveList& source);

    bool Run(nJobQueue& queue) override;

    nLightSource& GetLight() const { return m_light; }
    const nGPURenderPrimitiveList& GetOutput() const { return m_output; }
    // For each output entry, its index in the source list.
    const nAutoArray<uint32_t>& GetOutputSources() const { return m_outputSources; }
    // False when the output could not be allocated: the light then draws nothing.
    bool HasOutput() const { return m_outputValid; }

private:
    bool Keeps(const nGPURenderPrimitive& primitive) const;

    nLightSource& m_light;
    nLightSourceSettings m_settings;
    nMatrix4 m_world;
    const nGPURenderPrimitiveList& m_source;
    nGPURenderPrimitiveList m_output{MemCategoryRenderJob};
    nAutoArray<uint32_t> m_outputSources{MemCategoryRenderJob};
    bool m_outputValid = true;
};
