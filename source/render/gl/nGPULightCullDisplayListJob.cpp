#include "render/gl/nGPULightCullDisplayListJob.h"

#include "core/math/nFrustum.h"
#include "core/math/nMinMax.h"
#include "render/gl/nEGLDisplayList.h"
#include "render/nRenderItem.h"

#include <new>

nGPULightCullDisplayListJob::nGPULightCullDisplayListJob(nLightSource& light,
                                                         const nGPURenderPrimitiveList& source)
    : m_light(light), m_world(light.GetLightWorldMatrix()), m_source(source)
{
    light.GetLightSettings(m_settings);
}

// Counts first, then fills: the output array is sized once.
bool nGPULightCullDisplayListJob::Run(nJobQueue&)
{
    uint32_t kept = 0;
    for (uint32_t index = 0; index < m_source.GetCount(); ++index)
        kept += Keeps(*m_source.At(index)) ? 1 : 0;
    if (!m_output.Resize(kept) || !m_outputSources.Resize(kept))
    {
        m_outputValid = false;
        return true;
    }
    uint32_t next = 0;
    for (uint32_t index = 0; index < m_source.GetCount() && next < kept; ++index)
    {
        const nGPURenderPrimitive& primitive = *m_source.At(index);
        if (Keeps(primitive))
        {
            *m_outputSources.At(next) = index;
            *m_output.At(next++) = primitive;
        }
    }
    return true;
}

bool nGPULightCullDisplayListJob::Keeps(const nGPURenderPrimitive& primitive) const
{
    if (!primitive.item || !primitive.displayList)
        return true;
    const nEGLDisplayList& list = *primitive.displayList;
    if (m_settings.type == nLightSourceSettings::TypePoint)
    {
        const float range = m_settings.range;
        if (range <= 0.0f)
            return true;
        const nVector position = m_world.GetTranslation();
        const nVector world(position.x, position.y, position.z, 1.0f);
        nVector local;
        primitive.item->GetRenderInverseMatrix().TransformVector4Array(&local, &world, 1);
        const nVector& minimum = list.GetMinimum();
        const nVector& maximum = list.GetMaximum();
        return local.x >= minimum.x - range && local.x <= maximum.x + range && local.y >= minimum.y - range &&
               local.y <= maximum.y + range && local.z >= minimum.z - range && local.z <= maximum.z + range;
    }
    if (m_settings.type == nLightSourceSettings::TypeSpot)
    {
        const nMinMax box(list.GetMinimum(), list.GetMaximum());
        return m_light.GetLightFrustum().TestMinMax(box, &primitive.item->GetRenderWorldMatrix()) !=
               nFrustum::Outside;
    }
    return true;
}
