#include "core/math/nCurve.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "platform/nstring/nString.h"

#include <cstring>
#include <memory>
#include <new>

namespace
{
const char* const kModeNames[] = {"Reset", "Constant", "Repeat", "Oscillate", "OffsetRepeat"};

constexpr uint32_t kLinearKnotBytes = 9;    // kind, time, value
constexpr uint32_t kExtendedKnotBytes = 37; // and the seven further fields

int32_t KindFromKnotExCode(int code)
{
    switch (code)
    {
    case 1:
        return CurveKnotLinear;
    case 2:
        return CurveKnotHermiteAlt;
    case 3:
        return CurveKnotBezier;
    case 4:
        return CurveKnotHermite;
    case 5:
        return CurveKnotTCB;
    case 6:
        return CurveKnotStep;
    default:
        return CurveKnotNone;
    }
}

float ReadFloat(const uint8_t* data)
{
    float value;
    std::memcpy(&value, data, sizeof value); // the host is little-endian, as the data
    return value;
}

void WriteFloat(uint8_t* data, float value)
{
    std::memcpy(data, &value, sizeof value);
}

// The seven fields after the value, in the order they are stored.
float nCurvePoint::*const kExtendedFields[7] = {
    &nCurvePoint::tension, &nCurvePoint::continuity, &nCurvePoint::bias, &nCurvePoint::tangent,
    &nCurvePoint::p1,      &nCurvePoint::p2,         &nCurvePoint::p3};

// The fields of a text knot, split at ':' without copying.
struct TextFields
{
    const char* begin[10];
    const char* end[10];
    int count = 0;
};

TextFields SplitFields(const char* text)
{
    TextFields fields;
    const char* start = text;
    while (fields.count < 10)
    {
        const char* stop = StringFindChar(start, ':');
        fields.begin[fields.count] = start;
        fields.end[fields.count] = stop;
        ++fields.count;
        if (*stop != ':')
            break;
        start = stop + 1;
    }
    return fields;
}

float FieldFloat(const TextFields& fields, int index, float missing)
{
    if (index >= fields.count)
        return missing;
    return static_cast<float>(StringToFloat(fields.begin[index], fields.end[index], true));
}

void ReadKnotText(nCurvePoint& knot, const char* text)
{
    const TextFields fields = SplitFields(text);
    knot.kind = CurveKnotLinear;
    knot.time = FieldFloat(fields, 0, 0.0f);
    knot.value = FieldFloat(fields, 1, 0.0f);
}

void ReadKnotExText(nCurvePoint& knot, const char* text)
{
    const TextFields fields = SplitFields(text);
    knot.time = FieldFloat(fields, 0, 0.0f);
    knot.kind = KindFromKnotExCode(fields.count > 1 ? StringToInt(fields.begin[1]) : 0);
    knot.value = FieldFloat(fields, 2, -1.0f);
    for (int i = 0; i < 7; ++i)
        knot.*kExtendedFields[i] = FieldFloat(fields, 3 + i, -1.0f);
}
} // namespace

bool nCurve::ParseBinaryKnots(const nMetaTag* tag)
{
    const nMetaTag* countTag = tag->GetTypedTag("Count;", TagTypeInteger);
    const nMetaTag* dataTag = tag->GetTypedTag("Data;", TagTypeBinary);
    if (!countTag || !dataTag)
        return true;
    int32_t count = 0;
    uint8_t* rawData = nullptr;
    uint32_t size = 0;
    countTag->GetValue().GetInt(count);
    if (!dataTag->GetValue().GetBinary(rawData, size))
        return false;
    const std::unique_ptr<uint8_t[]> data(rawData);
    // Every knot takes at least nine bytes, so a count beyond that is refused before
    // anything is allocated for it.
    if (count < 0 || static_cast<uint64_t>(count) * kLinearKnotBytes > size ||
        !SetKnotCount(static_cast<uint32_t>(count)))
        return false;

    uint32_t offset = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        if (size - offset < kLinearKnotBytes)
            return false;
        nCurvePoint& knot = *GetKnot(i);
        knot.kind = data[offset];
        knot.time = ReadFloat(data.get() + offset + 1);
        knot.value = ReadFloat(data.get() + offset + 5);
        offset += kLinearKnotBytes;
        if (knot.kind == CurveKnotLinear)
            continue;
        if (size - offset < kExtendedKnotBytes - kLinearKnotBytes)
            return false;
        for (int field = 0; field < 7; ++field)
            knot.*kExtendedFields[field] = ReadFloat(data.get() + offset + field * 4);
        offset += kExtendedKnotBytes - kLinearKnotBytes;
    }
    return true;
}

bool nCurve::ParseTextKnots(const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    nLinkedListIterator iterator;
    const nMetaTag* countTag = tag->GetNextChild(iterator);
    int32_t count = 0;
    if (!countTag || countTag->GetName() != "Count" || countTag->GetType() != TagTypeInteger)
    {
        log << "[!] First sub-tag in <Curve> must be the knot <Count> tag.\n";
        return false;
    }
    countTag->GetValue().GetInt(count);
    // Only the children after Count can hold knots, so a larger count can never be met;
    // refusing it here also keeps an absurd count from being allocated.
    if (count < 0 || static_cast<uint32_t>(count) > tag->GetChildCount() - 1)
    {
        Clear();
        log << "[!] <Curve> is corrupted, discarding.\n";
        return false;
    }
    if (!SetKnotCount(static_cast<uint32_t>(count)))
        return false;

    int32_t read = 0;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const bool plain = child->GetName() == "Knot";
        const bool extended = child->GetName() == "KnotEx";
        if (!plain && !extended)
        {
            log << "[*] Unsupported knot tag '" << child->GetName() << "'.\n";
            continue;
        }
        nString text;
        if (!child->GetValue().GetString(text) || text.IsEmpty())
        {
            log << (plain ? "[*] Invalid knot tag while parsing curve.\n"
                          : "[*] Invalid extended knot tag while parsing curve.\n");
            continue;
        }
        if (read >= count)
        {
            if (plain)
                log << "[!] Too many knot in <Curve>, " << count << " expected.\n";
            else
                log << "[!] Too many knot in <Knot>, " << count << " specified.\n";
            break;
        }
        nCurvePoint& knot = *GetKnot(read++);
        if (plain)
            ReadKnotText(knot, text.GetText());
        else
            ReadKnotExText(knot, text.GetText());
    }
    if (read < count)
    {
        Clear();
        log << "[!] <Curve> is corrupted, discarding.\n";
        return false;
    }
    return true;
}

bool nCurve::Parse(nMetaFile*, const nMetaTag* tag)
{
    nLog& log = nLogHolder::Get();
    if (!tag || tag->GetName() != "Curve")
    {
        log << "[!] Could not parse curve. Root tag id is incorrect ("
            << (tag ? tag->GetName().GetText() : "") << ").\n";
        return false;
    }
    Clear();
    m_outOfRangeMode = CurveConstant;

    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "BinaryKnot")
        {
            if (!ParseBinaryKnots(child))
            {
                Clear();
                log << "[!] <Curve> is corrupted, discarding.\n";
                return false;
            }
        }
        else if (name == "PostBehavior")
        {
            nString mode;
            child->GetValue().GetString(mode);
            uint32_t found = 0;
            while (found < 5 && mode != kModeNames[found])
                ++found;
            if (found < 5)
                m_outOfRangeMode = found;
            else
                log << "[*] Unknown loop mode '" << mode << "'.\n";
        }
        else if (name == "PreBehavior")
        {
        }
        else if (name == "Knot")
        {
            if (!ParseTextKnots(child))
                return false;
        }
        else
        {
            log << "[*] Unknown tag '" << name << "' in <Curve>.\n";
        }
    }
    return true;
}

nMetaTag* nCurve::Serialize(nMetaFile*) const
{
    nMetaTag* tag = new nMetaTag("Curve");
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not create curve root tag to serialize.\n";
        return nullptr;
    }
    // The mode is written so that a saved curve loops the way it did before it was saved.
    if (m_outOfRangeMode < 5 && !tag->AddChildString("PostBehavior", kModeNames[m_outOfRangeMode]))
    {
        delete tag;
        nLogHolder::Get() << "[!] Could not create curve root tag to serialize.\n";
        return nullptr;
    }
    const uint32_t count = GetKnotCount();
    if (count == 0)
        return tag;

    uint32_t size = 0;
    for (uint32_t i = 0; i < count; ++i)
        size += GetKnot(static_cast<int>(i))->kind == CurveKnotLinear ? kLinearKnotBytes : kExtendedKnotBytes;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size]);
    nMetaTag* binary = data ? tag->AddChild("BinaryKnot") : nullptr;
    if (!binary)
    {
        delete tag;
        nLogHolder::Get() << "[!] Could not create curve root tag to serialize.\n";
        return nullptr;
    }
    uint32_t offset = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        nCurvePoint& knot = *GetKnot(static_cast<int>(i));
        data[offset] = static_cast<uint8_t>(knot.kind);
        WriteFloat(data.get() + offset + 1, knot.time);
        WriteFloat(data.get() + offset + 5, knot.value);
        offset += kLinearKnotBytes;
        if (knot.kind == CurveKnotLinear)
            continue;
        for (int field = 0; field < 7; ++field)
            WriteFloat(data.get() + offset + field * 4, knot.*kExtendedFields[field]);
        offset += kExtendedKnotBytes - kLinearKnotBytes;
    }
    if (!binary->AddChildInt("Count", static_cast<int32_t>(count)) ||
        !binary->AddChildBinary("Data", data.get(), size))
    {
        delete tag;
        nLogHolder::Get() << "[!] Could not create curve root tag to serialize.\n";
        return nullptr;
    }
    return tag;
}
