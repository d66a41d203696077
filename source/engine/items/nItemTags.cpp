#include "engine/items/nItemTags.h"

#include "core/base/nLog.h"
#include "core/math/nMatrix4.h"
#include "core/math/nVector.h"
#include "core/nml/nMetaTag.h"

namespace
{
bool Refuse(const nMetaTag& tag, const char* block, const char* expected)
{
    nLogHolder::Get() << "[*] Tag '" << tag.GetName() << "' in <" << block << "> does not hold " << expected
                      << ", ignored.\n";
    return false;
}
} // namespace

bool CheckBlockName(const nMetaTag& tag, const char* block, const char* mismatchText)
{
    if (tag.GetName() == block)
        return true;
    nLogHolder::Get() << "[!] " << mismatchText << tag.GetName() << ").\n";
    return false;
}

void LogUnknownTag(const nMetaTag& tag, const char* block)
{
    nLogHolder::Get() << "[*] Unknown tag '" << tag.GetName() << "' in <" << block << ">.\n";
}

bool ReadRealTag(const nMetaTag& tag, const char* block, float& out)
{
    return tag.GetValue().GetType() == TagTypeReal && tag.GetValue().GetFloat(out) ? true
                                                                                   : Refuse(tag, block, "a Real");
}

bool ReadPositiveRealTag(const nMetaTag& tag, const char* block, float& out, bool zeroAllowed)
{
    float value = 0.0f;
    if (!ReadRealTag(tag, block, value))
        return false;
    if (zeroAllowed ? !(value >= 0.0f) : !(value > 0.0f))
    {
        nLogHolder::Get() << "[*] Tag '" << tag.GetName() << "' in <" << block << "> must "
                          << (zeroAllowed ? "not be below 0" : "be above 0") << ", ignored.\n";
        return false;
    }
    out = value;
    return true;
}

bool ReadIntegerTag(const nMetaTag& tag, const char* block, int32_t& out)
{
    return tag.GetValue().GetType() == TagTypeInteger && tag.GetValue().GetInt(out)
               ? true
               : Refuse(tag, block, "an Integer");
}

bool ReadBoolTag(const nMetaTag& tag, const char* block, bool& out)
{
    return tag.GetValue().GetType() == TagTypeBool && tag.GetValue().GetBool(out) ? true
                                                                                  : Refuse(tag, block, "a Bool");
}

bool ReadStringTag(const nMetaTag& tag, const char* block, nString& out)
{
    return tag.GetValue().GetType() == TagTypeString && tag.GetValue().GetString(out)
               ? true
               : Refuse(tag, block, "a String");
}

bool ReadVectorTag(const nMetaTag& tag, const char* block, nVector& out)
{
    nVector value = out;
    if (!value.Parse(&tag))
        return Refuse(tag, block, "a vector");
    out = value;
    return true;
}

bool ReadMatrixTag(const nMetaTag& tag, const char* block, nMatrix4& out)
{
    return out.Parse(&tag) ? true : Refuse(tag, block, "a matrix");
}

bool ReadVector2Tag(const nMetaTag& tag, const char* block, float& x, float& y)
{
    const nMetaTag* xTag = tag.GetTypedTag("X", TagTypeReal);
    const nMetaTag* yTag = tag.GetTypedTag("Y", TagTypeReal);
    if (!xTag || !yTag)
        return Refuse(tag, block, "a two-component vector");
    xTag->GetValue().GetFloat(x);
    yTag->GetValue().GetFloat(y);
    return true;
}

nMetaTag* WriteVector2Tag(nMetaTag& parent, const char* name, float x, float y)
{
    nMetaTag* tag = parent.AddChild(name);
    if (tag)
    {
        tag->AddChildFloat("X", x);
        tag->AddChildFloat("Y", y);
    }
    return tag;
}

nMetaTag* WriteVectorTag(nMetaTag& parent, const char* name, const nVector& value)
{
    return AddChildBlock(parent, value.Serialize(name));
}

nMetaTag* AddChildBlock(nMetaTag& parent, nMetaTag* child)
{
    if (!child)
        return nullptr;
    if (!parent.AddChildTag(child))
    {
        delete child;
        return nullptr;
    }
    return child;
}
