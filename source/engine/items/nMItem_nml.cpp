#include "engine/items/nMItem.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"
#include "physics/nPhysicItem.h"
#include "script/units/nScriptUnit.h"

namespace
{
constexpr const char* Block = "MItem";

struct FlagName
{
    const char* name;
    uint32_t bit;
};
// In the order the writer emits them.
constexpr FlagName ManagedFlagNames[] = {
    {"Billboard", MItemFlagBillboard},
    {"SolveOverlap", MItemFlagSolveOverlap},
    {"Ghost", MItemFlagGhost},
    {"Static", MItemFlagStatic},
    {"TriggerDetected", MItemFlagTriggerDetected},
};

bool IsSkippedTag(const nString& name)
{
    return name == "Proxy" || name == "ProxyScene" || name == "ProxyGroup" || name == "ProxyFlag" ||
           name == "ProxyRootParamTo";
}

// True when any tag below has the name and holds the text.
bool HasStringBelow(const nMetaTag& tag, const char* name, const char* text)
{
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        nString value;
        if (child->GetName() == name && child->GetValue().GetString(value) && value == text)
            return true;
        if (HasStringBelow(*child, name, text))
            return true;
    }
    return false;
}
} // namespace

bool nMItem::ParseManagedTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse managed item. Root tag id is incorrect ("))
        return false;
    DeleteScriptUnits();
    m_enabled = false;
    m_helper = false;
    m_hasRecordedLocation = false;
    m_recordedLocation = nMatrix4();
    m_logicClock = 0.0f;
    m_uid = -1;

    const nMetaTag* scriptUnit = nullptr;
    const nMetaTag* tauItem = nullptr;
    const nMetaTag* gColItem = nullptr;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        bool isFlag = false;
        for (const FlagName& flag : ManagedFlagNames)
            if (name == flag.name)
            {
                SetFlag(flag.bit, true);
                isFlag = true;
            }
        if (isFlag)
            continue;
        if (name == "Id")
            ReadStringTag(*child, Block, m_name);
        else if (name == "UId")
            ReadIntegerTag(*child, Block, m_uid);
        else if (name == "Active")
            m_enabled = true;
        else if (name == "Helper" || name == "ToolSpecific")
            m_helper = true;
        else if (name == "InitialMatrix")
            m_hasRecordedLocation = ReadMatrixTag(*child, Block, m_recordedLocation);
        else if (name == "Priority")
            ReadRealTag(*child, Block, m_priority);
        else if (name == "ScriptLogicFq")
            ReadRealTag(*child, Block, m_logicRate);
        else if (name == "ScriptedObject")
            Parse(child);
        else if (name == "ScriptUnit")
            scriptUnit = child;
        else if (name == "PhysicItem")
        {
            if (m_physicItem)
                m_physicItem->ParseTag(child);
        }
        else if (name == "TauItem")
            tauItem = child;
        else if (name == "GColItem")
            gColItem = child;
        else if (name == "MotionPlayer")
            ParseMotionPlayer(&file, child);
        else if (!IsSkippedTag(name))
            LogUnknownTag(*child, Block);
    }
    if (scriptUnit && GetScriptUnits().IsEmpty())
        if (nScriptUnit* unit = CreateScriptUnit())
            unit->Parse(scriptUnit);
    if (m_uid < 0)
    {
        nLogHolder::Get() << "[!] Managed item '" << m_name << "' Uid is invalid.\n";
        return false;
    }
    if (m_physicItem)
        ApplyOlderPhysicTags(tauItem, gColItem);
    return true;
}

// Files of older versions describe the physics in "TauItem" (rigid bodies) or "GColItem"
// (collision shapes) blocks. The shapes of a "TauItem" wait in the physics item's pending list
// and join its shapes unless the block makes the item a rigid body.
void nMItem::ApplyOlderPhysicTags(const nMetaTag* tauItem, const nMetaTag* gColItem)
{
    const bool rigid = tauItem && HasStringBelow(*tauItem, "Mode", "Rigid");
    const bool shaped = gColItem && gColItem->GetTag("Shapes");
    if (!rigid && !shaped)
        return;
    if (shaped)
    {
        m_physicItem->ParseTag(gColItem);
        int32_t mask = 0;
        if (const nMetaTag* selfMask = gColItem->GetTypedTag("SelfMask", TagTypeInteger))
            if (selfMask->GetValue().GetInt(mask))
                m_physicItem->SetSelfMask(mask);
        if (const nMetaTag* collisionMask = gColItem->GetTypedTag("Mask", TagTypeInteger))
            if (collisionMask->GetValue().GetInt(mask))
                m_physicItem->SetMask(mask);
    }
    if (tauItem)
        m_physicItem->ReadPendingShapes(*tauItem);
    if (rigid)
        m_physicItem->SetMode(PhysicModeDynamic);
    else
        m_physicItem->CommitPendingShapes();
    if (m_physicItem->GetMode() == PhysicModeNone && !m_physicItem->GetShapes().IsEmpty())
        m_physicItem->SetMode(PhysicModeStatic);
}

nMetaTag* nMItem::SerializeManagedTag(nMetaFile& file) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
        return nullptr;
    }
    tag->AddChildString("Id", m_name.GetText() ? m_name.GetText() : "");
    tag->AddChildInt("UId", m_uid);
    if (m_enabled)
        tag->AddChild("Active");
    if (m_helper)
        tag->AddChild("Helper");
    for (const FlagName& flag : ManagedFlagNames)
        if (m_flags & flag.bit)
            tag->AddChild(flag.name);
    if (m_hasRecordedLocation)
        AddChildBlock(*tag, m_recordedLocation.Serialize("InitialMatrix"));
    tag->AddChildFloat("Priority", m_priority);
    tag->AddChildFloat("ScriptLogicFq", m_logicRate);
    AddChildBlock(*tag, SerializeMotionPlayer(&file));
    AddChildBlock(*tag, Serialize());
    if (const nList<nScriptUnit*>::Node* first = GetScriptUnits().GetHead())
        AddChildBlock(*tag, first->value->Serialize());
    if (m_physicItem)
        AddChildBlock(*tag, m_physicItem->SerializeTag());
    return tag;
}
