#include "physics/nPhysicWheel.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

#include <iterator>

namespace
{
struct WheelReal
{
    const char* name;
    float nPhysicWheel::*field;
};

// In the order they are written, after "IsFront" and with "RefMatrix" after "Radius".
const WheelReal kLeadingReals[] = {{"Friction", &nPhysicWheel::friction}, {"Radius", &nPhysicWheel::radius}};
const WheelReal kTrailingReals[] = {{"RestLength", &nPhysicWheel::restLength},
                                    {"MaxCompression", &nPhysicWheel::maxCompression},
                                    {"Stiffness", &nPhysicWheel::stiffness},
                                    {"Damping", &nPhysicWheel::damping}};

bool ReadReal(nPhysicWheel& wheel, const nMetaTag* child, const WheelReal* table, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (child->GetName() == table[i].name)
        {
            child->GetValue().GetFloat(wheel.*table[i].field);
            return true;
        }
    return false;
}
} // namespace

bool nPhysicWheel::ParseTag(const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "PhysicWheel")
    {
        log << "[!] Could not parse physic wheel. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    isFront = false;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        if (child->GetName() == "IsFront")
            isFront = child->GetBool();
        else if (child->GetName() == "RefMatrix")
            referenceMatrix.Parse(child);
        else if (!ReadReal(*this, child, kLeadingReals, std::size(kLeadingReals)) &&
                 !ReadReal(*this, child, kTrailingReals, std::size(kTrailingReals)))
            log << "[*] Unknown tag '" << child->GetName() << "' in <PhysicWheel>.\n";
    }
    return true;
}

nMetaTag* nPhysicWheel::SerializeTag() const
{
    nMetaTag* tag = new nMetaTag("PhysicWheel");
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not create physic wheel root tag to serialize.\n";
        return nullptr;
    }
    if (isFront)
        tag->AddChildBool("IsFront", true);
    for (const WheelReal& real : kLeadingReals)
        tag->AddChildFloat(real.name, this->*real.field);
    tag->AddChildTag(referenceMatrix.Serialize("RefMatrix"));
    for (const WheelReal& real : kTrailingReals)
        tag->AddChildFloat(real.name, this->*real.field);
    return tag;
}
