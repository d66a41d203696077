#include "engine/scene/nScene.h"

#include "core/base/nLog.h"
#include "core/math/nFrustum.h"
#include "core/math/nMinMax.h"
#include "engine/Quenvar.h"
#include "engine/items/nCamera.h"
#include "engine/items/nLight.h"
#include "engine/items/nMCamera.h"
#include "engine/items/nMEmitter.h"
#include "engine/items/nMLight.h"
#include "engine/items/nMTerrain.h"
#include "geometry/nTexture.h"
#include "platform/nStopSignal.h"
#include "render/nRenderer.h"
#include "script/units/nItemEventHandler.h"
#include "script/units/nManagerScriptUnit.h"
#include "script/units/nSceneEventHandler.h"
#include "ui/nScene2D.h"

#include <algorithm>
#include <memory>
#include <new>

namespace
{
constexpr uint32_t ClearAllMasks = 0xFFFFFFFFu;

void SpotCorners(nLight& light, nVector* corners)
{
    nMinMax box;
    light.GetMinMax(box);
    const nMatrix4& world = light.GetWorldMatrix();
    for (int index = 0; index < 8; ++index)
    {
        const nVector corner(index & 1 ? box.max.x : box.min.x, index & 2 ? box.max.y : box.min.y,
                             index & 4 ? box.max.z : box.min.z, 1.0f);
        world.TransformVector4Array(&corners[index], &corner, 1);
    }
}

bool Reaches(nLight& light, const nVector& point, const nFrustum& frustum)
{
    const float range = light.GetRange();
    if (range == 0.0f)
        return true;
    const nVector position = light.GetWorldPosition();
    if ((position - point).Length() >= range + light.GetClipDistance())
        return false;
    if (light.GetType() == LightTypePoint)
        return frustum.TestSphere(position, range) != 0;
    if (light.GetType() == LightTypeSpot)
    {
        nVector corners[8];
        SpotCorners(light, corners);
        return frustum.TestCorners(corners) != 0;
    }
    return true;
}

struct LightKey
{
    float key;
    nLight* light;
};
nRenderer* RendererOfEngine(const Quenvar* engine)
{
    return engine ? engine->GetRenderer() : nullptr;
}
} // namespace

void nScene::RegisterAsPropertyCallback(nRenderer* renderer)
{
    if (m_renderer && m_renderer != renderer && m_renderer->GetEnvironment() == this)
        m_renderer->SetEnvironment(nullptr);
    m_renderer = renderer;
    if (renderer)
        renderer->SetEnvironment(this);
}

void nScene::RenderSetup(uint32_t flags)
{
    const UseScope use(*this);
    nRenderer* renderer = RendererOfEngine(m_engine);
    if ((m_renderFlags & SceneRenderFlagRenderless) || !renderer)
        return;
    if (flags & SceneRenderClearViewport)
        renderer->ClearFrame(m_backgroundColor.r, m_backgroundColor.g, m_backgroundColor.b, 1.0f, 0.0f,
                             ClearAllMasks);
    renderer->SetExposure(m_targetExposure);
    renderer->SetFog(m_fogFar > 0.0f, &m_fogColor, m_fogNear, m_fogFar);
    if (m_currentCamera)
    {
        nMItem* owner = m_currentCamera->GetMItem();
        nRenderView* view = owner && owner->GetKind() == ItemTypeCamera
                                ? static_cast<nRenderView*>(&static_cast<nMCamera*>(owner)->GetCamera())
                                : nullptr;
        renderer->SetViewItem(m_currentCamera, view);
        renderer->ApplyView();
    }
}

void nScene::AddRenderable(nRenderable* renderable, bool useOctree)
{
    if (useOctree)
        m_octreeCulling.Add(renderable);
    else
        m_simpleCulling.Add(renderable);
}

void nScene::RemoveRenderable(nRenderable* renderable)
{
    m_simpleCulling.Remove(renderable);
    m_octreeCulling.Remove(renderable);
}

// Emitters and terrains draw themselves; the culling systems hold the objects and are queued even
// for a renderless scene.
void nScene::RenderToQueue(uint32_t)
{
    const UseScope use(*this);
    m_timers[TimerSendToRender].Begin();
    if (nRenderer* renderer = RendererOfEngine(m_engine))
    {
        if (!(m_renderFlags & SceneRenderFlagRenderless))
        {
            const bool modeOne = IsModeOne();
            nWalkList<nMItem*>::Walk items(m_activeItems);
            while (nMItem* item = items.Next())
            {
                const int32_t kind = item->GetKind();
                if ((kind != ItemTypeEmitter && kind != ItemTypeTerrain) ||
                    (item->GetItem()->GetFlags() & ItemFlagInvisible) ||
                    (modeOne && (item->GetFlags() & MItemFlagRenderHidden)))
                    continue;
                if (kind == ItemTypeEmitter)
                    renderer->AddToRenderQueue(&static_cast<nMEmitter*>(item)->GetEmitter());
                else
                    renderer->AddToRenderQueue(&static_cast<nMTerrain*>(item)->GetTerrain());
            }
        }
        renderer->AddToRenderQueue(&m_simpleCulling);
        renderer->AddToRenderQueue(&m_octreeCulling);
    }
    m_timers[TimerSendToRender].End();
}

void nScene::SendRenderDone(uint32_t flags)
{
    const UseScope use(*this, UseDraw);
    m_timers[TimerSendToRender].Begin();
    if (!(m_renderFlags & SceneRenderFlagRenderless) && !(flags & SceneRenderDisableScript) &&
        SomeItemHasScriptMethod(ItemMethodRenderDone))
    {
        const ItemWalk walk(*this);
        nWalkList<nMItem*>::Walk active(m_activeItems);
        while (nMItem* item = active.Next())
            if (!item->GetScriptUnits().IsEmpty() && !IsStopRequested())
                item->GetEventHandler()->OnRenderDone(item);
    }
    if (!(flags & SceneRenderDisableScript))
        m_eventHandler->OnRenderDone(this);
    m_timers[TimerSendToRender].End();
}

void nScene::RenderUI(uint32_t flags)
{
    const UseScope use(*this, UseDraw);
    m_timers[TimerUserInterface].Begin();
    if (!(m_renderFlags & SceneRenderFlagRenderless) && m_ui)
        m_ui->Render((flags & SceneRenderDisableScript) != 0);
    if (!(flags & SceneRenderDisableScript))
        m_eventHandler->OnRenderUI(this);
    m_timers[TimerUserInterface].End();
}

nColor nScene::GetAmbientColor()
{
    return nColor(m_ambientColor.r * m_ambientIntensity, m_ambientColor.g * m_ambientIntensity,
                  m_ambientColor.b * m_ambientIntensity, m_ambientColor.a * m_ambientIntensity);
}

void nScene::GetEnvironmentTexture(nSharedPtr<nTexture>& first, nSharedPtr<nTexture>& second)
{
    if (first.Get() != m_radiance.Get())
        first = m_radiance;
    if (second.Get() != m_irradiance.Get())
        second = m_irradiance;
}

void nScene::GetLightsAt(const nVector& point, const nFrustum& frustum, nList<nLightSource*>& out, uint32_t maximum)
{
    out.Clear();
    nListIterator<nMLight*> iterator;
    while (nMLight* light = m_lights.Next(iterator))
    {
        if (out.GetCount() >= maximum)
            return;
        if (light->IsEnabled() && Reaches(light->GetLight(), point, frustum))
            out.PushBack(&light->GetLight());
    }
}

void nScene::GetNearestLights(const nVector& point, nList<nLightSource*>& out, uint32_t maximum)
{
    out.Clear();
    std::unique_ptr<LightKey[]> keys(new (std::nothrow) LightKey[m_lights.GetCount() + 1]);
    if (!keys)
    {
        nLogHolder::Get() << "[!] Failed to allocated sort structure.\n";
        return;
    }
    uint32_t count = 0;
    nListIterator<nMLight*> iterator;
    while (nMLight* light = m_lights.Next(iterator))
    {
        if (!light->IsEnabled())
            continue;
        nLight& node = light->GetLight();
        const float distance = (node.GetWorldPosition() - point).LengthSquared();
        keys[count++] = {distance * (1.0f - light->GetPriority()), &node};
    }
    std::stable_sort(keys.get(), keys.get() + count,
                     [](const LightKey& a, const LightKey& b) { return a.key < b.key; });
    for (uint32_t index = 0; index < count && out.GetCount() < maximum; ++index)
        out.PushBack(keys[index].light);
}
