#include "animation/nMotionChannel.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "platform/nstring/nString.h"

namespace
{
const char* const kIdTexts[MotionChannelCount] = {
    nullptr,     "PositionX", "PositionY", "PositionZ", "RotationX", "RotationY", "RotationZ", "ScaleX",
    "ScaleY",    "ScaleZ",    "PivotX",    "PivotY",    "PivotZ",    "DiffuseR",  "DiffuseG",  "DiffuseB",
    "SpecularR", "SpecularG", "SpecularB", "DiffuseI",  "SpecularI", "ConeAngle", "EdgeAngle", "Alpha",
    "Zoom",      "Range",     "FogStart",  "FogEnd",    "FogR",      "FogG",      "FogB"};
} // namespace

const char* nMotionChannel::GetIdText(int32_t id)
{
    return id >= 1 && id <= ChannelLast ? kIdTexts[id] : nullptr;
}

int32_t nMotionChannel::FindId(const nString& text)
{
    for (int32_t id = 1; id <= ChannelLast; ++id)
        if (text == kIdTexts[id])
            return id;
    return -1;
}

bool nMotionChannel::Parse(nMetaFile* file, const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "Channel")
    {
        log << "[!] Could not parse motion channel. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Curve")
            nCurve::Parse(file, child);
        else if (name == "Id")
        {
            nString text;
            child->GetValue().GetString(text);
            const int32_t id = FindId(text);
            if (id < 0)
                log << "[*] Unknown channel id '" << text << "'.\n";
            else
                m_id = id;
        }
        else
            log << "[*] Unknown tag '" << name << "' in <Channel>.\n";
    }
    return true;
}

nMetaTag* nMotionChannel::Serialize(nMetaFile* file) const
{
    nLog& log = nLogHolder::Get();
    nMetaTag* tag = new nMetaTag("Channel");
    nMetaTag* curve = tag ? nCurve::Serialize(file) : nullptr;
    if (!curve || !tag->AddChildTag(curve))
    {
        delete curve;
        delete tag;
        log << "[!] Could not create channel root tag to serialize.\n";
        return nullptr;
    }
    const char* idText = GetIdText(m_id);
    if (!idText)
        log << "[*] Unknown motion channel type (" << static_cast<int>(m_id) << ").\n";
    else if (!tag->AddChildString("Id", idText))
    {
        delete tag;
        log << "[!] Could not create channel root tag to serialize.\n";
        return nullptr;
    }
    return tag;
}
