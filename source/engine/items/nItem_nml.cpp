#include "engine/items/nItem.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

namespace
{
constexpr const char* Block = "Item";
constexpr const char* RotationOrderNames[] = {"ZYX", "YZX", "ZXY", "XZY", "YXZ", "XYZ", "XY"};
constexpr uint32_t RotationOrderCount = sizeof(RotationOrderNames) / sizeof(RotationOrderNames[0]);

struct FlagName
{
    const char* name;
    uint32_t bit;
};
constexpr FlagName ItemFlagNames[] = {
    {"HasTarget", ItemFlagHasTarget},
    {"Invisible", ItemFlagInvisible},
    {"LinkOnlyPosition", ItemFlagLinkOnlyPosition},
};
constexpr uint32_t StoredFlags = ItemFlagHasTarget | ItemFlagInvisible | ItemFlagLinkOnlyPosition;

bool IsSkippedTag(const nString& name)
{
    return name == "TargetOffsetRotation" || name == "OrientationQuaternion" || name == "OrientationMatrix";
}

uint32_t ReadItemFlags(const nMetaTag& tag)
{
    uint32_t flags = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        bool known = false;
        for (const FlagName& flag : ItemFlagNames)
            if (child->GetName() == flag.name)
            {
                flags |= flag.bit;
                known = true;
            }
        if (!known)
            LogUnknownTag(*child, "ItemFlag");
    }
    return flags;
}
} // namespace

bool nItem::ParseTag(nMetaFile&, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse item. Root tag id is incorrect ("))
        return false;
    // The skin binding's bone mark belongs to the scene, not to the block.
    m_flags &= ItemFlagSkinBone;
    m_alpha = 1.0f;
    m_position = nVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_rotation = nVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_scale = nVector(1.0f, 1.0f, 1.0f, 1.0f);
    m_pivot = nMatrix4();
    m_rotationOrder = RotationOrderYXZ;
    m_registry.Clear();

    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "OffsetMatrix")
            ReadMatrixTag(*child, Block, m_pivot);
        else if (name == "OffsetPosition")
        {
            nVector offset(m_pivot.m[3], m_pivot.m[7], m_pivot.m[11]);
            if (ReadVectorTag(*child, Block, offset))
            {
                m_pivot.m[3] = offset.x;
                m_pivot.m[7] = offset.y;
                m_pivot.m[11] = offset.z;
                m_pivot.m[15] = 1.0f;
            }
        }
        else if (name == "Position")
            ReadVectorTag(*child, Block, m_position);
        else if (name == "Rotation")
            ReadVectorTag(*child, Block, m_rotation);
        else if (name == "Scale")
            ReadVectorTag(*child, Block, m_scale);
        else if (name == "ItemFlag")
            m_flags |= ReadItemFlags(*child);
        else if (name == "Target")
            ReadVectorTag(*child, Block, m_target);
        else if (name == "RotationOrder")
        {
            nString order;
            if (!ReadStringTag(*child, Block, order))
                continue;
            uint32_t index = 0;
            while (index < RotationOrderCount && order != RotationOrderNames[index])
                ++index;
            if (index < RotationOrderCount)
                m_rotationOrder = index;
            else
                nLogHolder::Get() << "[*] Unknown rotation order '" << order << "'.\n";
        }
        else if (name == "Registry")
        {
            nLinkedListIterator entries;
            while (const nMetaTag* entry = child->GetNextChild(entries))
                if (nMetaTag* copy = entry->Clone(true))
                    m_registry.AddRoot(copy);
        }
        else if (!IsSkippedTag(name))
            LogUnknownTag(*child, Block);
    }
    Invalidate(false);
    return true;
}

nMetaTag* nItem::SerializeTag(nMetaFile&) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize item. Failed to create root tag.\n";
        return nullptr;
    }
    if (m_pivot.DiffersFrom(nMatrix4()))
        AddChildBlock(*tag, m_pivot.Serialize("OffsetMatrix"));
    if (m_position.DiffersFrom(nVector(0.0f, 0.0f, 0.0f)))
        WriteVectorTag(*tag, "Position", m_position);
    if (m_rotation.DiffersFrom(nVector(0.0f, 0.0f, 0.0f)))
        WriteVectorTag(*tag, "Rotation", m_rotation);
    if (m_scale.DiffersFrom(nVector(1.0f, 1.0f, 1.0f)))
        WriteVectorTag(*tag, "Scale", m_scale);
    if (m_flags & StoredFlags)
        if (nMetaTag* flags = tag->AddChild("ItemFlag"))
            for (const FlagName& flag : ItemFlagNames)
                if (m_flags & flag.bit)
                    flags->AddChild(flag.name);
    WriteVectorTag(*tag, "Target", m_target);
    tag->AddChildString("RotationOrder",
                        m_rotationOrder < RotationOrderCount ? RotationOrderNames[m_rotationOrder] : "YXZ");
    if (nMetaTag* registry = tag->AddChild("Registry"))
    {
        nLinkedListIterator roots;
        while (const nMetaTag* root = m_registry.GetNextRoot(roots))
            AddChildBlock(*registry, root->Clone(true));
    }
    return tag;
}
