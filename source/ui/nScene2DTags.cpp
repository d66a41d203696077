#include "ui/nScene2DTags.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"

namespace
{
bool Refuse(const nMetaTag& tag, const char* block, const char* expected)
{
    nLogHolder::Get() << "[*] Tag '" << tag.GetName() << "' in <" << block << "> does not hold " << expected
                      << ", ignored.\n";
    return false;
}

bool ReadNumber(const nMetaTag* tag, float& out)
{
    if (!tag)
        return false;
    const nMetaTagType type = tag->GetValue().GetType();
    return (type == TagTypeReal || type == TagTypeInteger) && tag->GetValue().GetFloat(out);
}
} // namespace

namespace Scene2DTags
{
bool CheckRoot(const nMetaTag& tag, const char* block, const char* mismatchText)
{
    if (tag.GetName() == block)
        return true;
    nLogHolder::Get() << "[!] " << mismatchText << tag.GetName() << ").\n";
    return false;
}

void LogUnknown(const nMetaTag& tag, const char* block)
{
    nLogHolder::Get() << "[*] Unknown tag '" << tag.GetName() << "' in <" << block << ">.\n";
}

bool ReadReal(const nMetaTag& tag, const char* block, float& out)
{
    return ReadNumber(&tag, out) ? true : Refuse(tag, block, "a Real");
}

bool ReadInteger(const nMetaTag& tag, const char* block, int32_t& out)
{
    return tag.GetValue().GetType() == TagTypeInteger && tag.GetValue().GetInt(out)
               ? true
               : Refuse(tag, block, "an Integer");
}

bool ReadString(const nMetaTag& tag, const char* block, nString& out)
{
    return tag.GetValue().GetType() == TagTypeString && tag.GetValue().GetString(out)
               ? true
               : Refuse(tag, block, "a String");
}

bool ReadPair(const nMetaTag& tag, const char* block, float& x, float& y)
{
    nLinkedListIterator iterator;
    const nMetaTag* first = tag.GetNextChild(iterator);
    const nMetaTag* second = first ? tag.GetNextChild(iterator) : nullptr;
    float readX = 0.0f;
    float readY = 0.0f;
    if (!ReadNumber(first, readX) || !ReadNumber(second, readY))
        return Refuse(tag, block, "two numbers");
    x = readX;
    y = readY;
    return true;
}

nMetaTag* WritePair(nMetaTag& parent, const char* name, float x, float y)
{
    nMetaTag* tag = parent.AddChild(name);
    if (tag && (!tag->AddChildFloat("X", x) || !tag->AddChildFloat("Y", y)))
    {
        parent.RemoveChild(tag);
        return nullptr;
    }
    return tag;
}

uint32_t ReadBits(const nMetaTag& tag, const char* block, const BitName* names, uint32_t count)
{
    uint32_t bits = 0;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        uint32_t index = 0;
        while (index < count && child->GetName() != names[index].name)
            ++index;
        if (index < count)
            bits |= names[index].bit;
        else
            nLogHolder::Get() << "[*] Unknown flag '" << child->GetName() << "' in <" << block << ":"
                              << tag.GetName() << ">.\n";
    }
    return bits;
}

nMetaTag* WriteBits(nMetaTag& parent, const char* name, uint32_t bits, const BitName* names, uint32_t count)
{
    nMetaTag* tag = parent.AddChild(name);
    for (uint32_t index = 0; tag && index < count; ++index)
    {
        if ((bits & names[index].bit) && !tag->AddChild(names[index].name))
        {
            parent.RemoveChild(tag);
            return nullptr;
        }
    }
    return tag;
}

nMetaTag* NewRoot(const char* name)
{
    nMetaTag* root = new nMetaTag(name);
    if (!root)
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
    return root;
}
} // namespace Scene2DTags
