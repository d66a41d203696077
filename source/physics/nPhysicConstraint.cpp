#include "physics/nPhysicConstraint.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

bool nPhysicConstraint::ParseTag(const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "Constraint")
    {
        log << "[!] Could not parse physic constraint. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    // Through the setters, so that the joint and the items' links to it go too.
    SetItemA(nullptr);
    SetItemB(nullptr);
    m_type = PhysicConstraintNone;
    m_pivotA = nMatrix4();
    m_pivotB = nMatrix4();

    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Type")
        {
            nString text;
            child->GetValue().GetString(text);
            m_type = text == "Point" ? PhysicConstraintPoint
                                     : (text == "Hinge" ? PhysicConstraintHinge : PhysicConstraintNone);
        }
        else if (name == "PivotA")
            m_pivotA.Parse(child);
        else if (name == "PivotB")
            m_pivotB.Parse(child);
        else
            log << "[*] Unknown tag '" << name << "' in <PhysicConstraint>.\n";
    }
    return true;
}

nMetaTag* nPhysicConstraint::SerializeTag() const
{
    nMetaTag* tag = new nMetaTag("Constraint");
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not create physic constraint root tag to serialize.\n";
        return nullptr;
    }
    if (m_type != PhysicConstraintNone)
        tag->AddChildString("Type", m_type == PhysicConstraintPoint
                                        ? "Point"
                                        : (m_type == PhysicConstraintHinge ? "Hinge" : "None"));
    tag->AddChildTag(m_pivotA.Serialize("PivotA"));
    tag->AddChildTag(m_pivotB.Serialize("PivotB"));
    return tag;
}
