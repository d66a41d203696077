#include "engine/items/nCamera.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

namespace
{
constexpr const char* Block = "Camera";
constexpr float ZNearFloor = 0.2f;

void SetRegistryReal(nRegistry& registry, const char* key, float value)
{
    nMetaTagValue stored;
    stored.SetFloat(value);
    registry.SetKey(key, &stored);
}
} // namespace

bool nCamera::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse camera. Root tag id is incorrect ("))
        return false;
    GetRegistry().RemoveKey("PostProcess:Dof;");

    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        float value = 0.0f;
        if (name == "Item")
            nItem::ParseTag(file, *child);
        else if (name == "ZNear")
        {
            if (ReadRealTag(*child, Block, value))
                m_zNear = value > ZNearFloor ? value : ZNearFloor;
        }
        else if (name == "ZFar")
            ReadRealTag(*child, Block, m_zFar);
        else if (name == "ZoomFactor")
        {
            if (ReadRealTag(*child, Block, value))
                SetZoom(value);
        }
        else if (name == "ViewportOrigin")
            ReadVector2Tag(*child, Block, m_viewportOriginX, m_viewportOriginY);
        else if (name == "ViewportSize")
            ReadVector2Tag(*child, Block, m_viewportSizeX, m_viewportSizeY);
        else if (name == "Orthographic")
            m_orthographic = true;
        // A flat orthographic view would divide the projection by zero.
        else if (name == "OrthographicWidth")
            ReadPositiveRealTag(*child, Block, m_orthographicWidth);
        else if (name == "OrthographicHeight")
            ReadPositiveRealTag(*child, Block, m_orthographicHeight);
        else if (name == "FStop")
        {
            if (ReadRealTag(*child, Block, value))
                SetRegistryReal(GetRegistry(), "PostProcess:Dof:FStop", value);
        }
        else if (name == "FocalDistance")
        {
            if (ReadRealTag(*child, Block, value))
                SetRegistryReal(GetRegistry(), "PostProcess:Dof:FDist", value);
        }
        else if (name == "AspectRatioRefYAxis")
            ReadBoolTag(*child, Block, m_aspectFromYAxis);
        else
            LogUnknownTag(*child, Block);
    }
    return true;
}

nMetaTag* nCamera::SerializeTag(nMetaFile& file) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize camera. Failed to create root tag.\n";
        return nullptr;
    }
    AddChildBlock(*tag, nItem::SerializeTag(file));
    if (m_zNear != DefaultZNear)
        tag->AddChildFloat("ZNear", m_zNear);
    // Compared with the reader's default, so every other far distance survives a reload.
    if (m_zFar != DefaultZFar)
        tag->AddChildFloat("ZFar", m_zFar);
    if (m_zoom != DefaultZoom)
        tag->AddChildFloat("ZoomFactor", m_zoom);
    if (m_viewportOriginX != 0.0f || m_viewportOriginY != 0.0f)
        WriteVector2Tag(*tag, "ViewportOrigin", m_viewportOriginX, m_viewportOriginY);
    if (m_viewportSizeX != 1.0f || m_viewportSizeY != 1.0f)
        WriteVector2Tag(*tag, "ViewportSize", m_viewportSizeX, m_viewportSizeY);
    if (m_orthographic)
        tag->AddChild("Orthographic");
    if (m_orthographicWidth != 1.0f)
        tag->AddChildFloat("OrthographicWidth", m_orthographicWidth);
    if (m_orthographicHeight != 1.0f)
        tag->AddChildFloat("OrthographicHeight", m_orthographicHeight);
    tag->AddChildBool("AspectRatioRefYAxis", m_aspectFromYAxis);
    return tag;
}
