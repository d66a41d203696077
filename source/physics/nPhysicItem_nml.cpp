#include "physics/nPhysicItem.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

#include <new>

namespace
{
const char* const kModeNames[] = {"None", "Static", "Kinematic", "Dynamic", "Vehicle"};
constexpr int32_t kModeCount = 5;

int32_t ReadInt(const nMetaTag* tag, int32_t fallback)
{
    int32_t value = fallback;
    tag->GetValue().GetInt(value);
    return value;
}

float ReadFloat(const nMetaTag* tag, float fallback)
{
    float value = fallback;
    tag->GetValue().GetFloat(value);
    return value;
}

// Each child read as a "PhysicShape" into a new shape appended to the list.
void ReadShapes(const nMetaTag& shapes, nAutoList<nPhysicShape*>& into)
{
    nLinkedListIterator iterator;
    while (const nMetaTag* shapeTag = shapes.GetNextChild(iterator))
    {
        nPhysicShape* shape = new (std::nothrow) nPhysicShape();
        if (!shape || !into.PushBack(shape))
        {
            delete shape;
            continue;
        }
        shape->ParseTag(shapeTag);
    }
}
} // namespace

bool nPhysicItem::ParseTag(const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag ||
        (tag->GetName() != "TauItem" && tag->GetName() != "GColItem" && tag->GetName() != "PhysicItem"))
    {
        log << "[!] Could not parse physic item. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    ClearShapes();
    SetSelfMask(1);
    SetMask(1);

    bool wheelsReplaced = false;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "SelfMask")
            SetSelfMask(ReadInt(child, m_selfMask));
        else if (name == "Mask")
            SetMask(ReadInt(child, m_mask));
        else if (name == "LinearDamping_v2" || name == "LinearDamping")
            SetLinearDamping(ReadFloat(child, m_linearDamping));
        else if (name == "AngularDamping_v2" || name == "AngularDamping")
            SetAngularDamping(ReadFloat(child, m_angularDamping));
        else if (name == "Mode")
        {
            nString text;
            child->GetValue().GetString(text);
            for (int32_t mode = 0; mode < kModeCount; ++mode)
                if (text == kModeNames[mode])
                    m_mode = mode;
        }
        else if (name == "Shapes")
            ReadShapes(*child, m_shapes);
        else if (name == "Wheels")
        {
            // A re-read vehicle gets the wheels of the tag, not a second set beside the first.
            if (!wheelsReplaced)
                m_wheels.Clear();
            wheelsReplaced = true;
            nLinkedListIterator wheels;
            while (const nMetaTag* wheelTag = child->GetNextChild(wheels))
                if (nPhysicWheel* wheel = AddWheel())
                    wheel->ParseTag(wheelTag);
        }
        else if (name != "Flag" && name != "Active")
            log << "[*] Unknown tag '" << name << "' in <nPhysicItem>.\n";
    }
    return true;
}

void nPhysicItem::ReadPendingShapes(const nMetaTag& tauItem)
{
    m_pendingShapes.Clear();
    if (const nMetaTag* shapes = tauItem.GetTag("Shapes"))
        ReadShapes(*shapes, m_pendingShapes);
}

void nPhysicItem::CommitPendingShapes()
{
    while (nAutoList<nPhysicShape*>::Node* node = m_pendingShapes.GetHead())
    {
        if (!m_shapes.PushBack(node->value))
            return; // out of memory: the rest stays pending and owned
        // The shape now belongs to the shape list: only the pending node goes.
        m_pendingShapes.nList<nPhysicShape*>::RemoveNode(node);
    }
}

nMetaTag* nPhysicItem::SerializeTag() const
{
    nLog& log = nLogHolder::Get();
    nMetaTag* tag = new nMetaTag("PhysicItem");
    if (!tag)
    {
        log << "[!] Could not create collision item root tag to serialize.\n";
        return nullptr;
    }
    tag->AddChildInt("SelfMask", GetSelfMask());
    tag->AddChildInt("Mask", GetMask());
    tag->AddChildFloat("LinearDamping_v2", GetLinearDamping());
    tag->AddChildFloat("AngularDamping_v2", GetAngularDamping());
    if (m_mode < 0 || m_mode >= kModeCount)
    {
        log << "[*] Unsupported physic mode (" << m_mode << ").\n";
        tag->AddChildString("Mode", "None");
    }
    else
        tag->AddChildString("Mode", kModeNames[m_mode]);

    if (!m_shapes.IsEmpty())
        if (nMetaTag* shapes = tag->AddChild("Shapes"))
        {
            nListIterator<nPhysicShape*> iterator;
            while (const nPhysicShape* shape = m_shapes.Next(iterator))
                shapes->AddChildTag(shape->SerializeTag());
        }
    if (!m_wheels.IsEmpty())
        if (nMetaTag* wheels = tag->AddChild("Wheels"))
        {
            nListIterator<nPhysicWheel*> iterator;
            while (const nPhysicWheel* wheel = m_wheels.Next(iterator))
                wheels->AddChildTag(wheel->SerializeTag());
        }
    return tag;
}
