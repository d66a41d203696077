#include "ui/nItem2D.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "ui/nScene2D.h"
#include "ui/nScene2DTags.h"

using namespace Scene2DTags;

namespace
{
constexpr const char* Block = "Item2d";
} // namespace

bool nItem2D::ParseTag(nMetaTag& tag)
{
    if (!CheckRoot(tag, Block, "Could not parse sprite. Root tag id is incorrect ("))
        return false;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        float x = 0.0f;
        float y = 0.0f;
        if (name == "Uid")
        {
            int32_t serial = 0;
            if (ReadInteger(*child, Block, serial))
            {
                m_serial = serial;
                if (m_scene)
                    m_scene->ReserveSerial(serial);
            }
        }
        else if (name == "Name")
            ReadString(*child, Block, m_name);
        else if (name == "Position")
        {
            if (ReadPair(*child, Block, x, y))
                SetPosition(x, y);
        }
        else if (name == "Size")
        {
            if (ReadPair(*child, Block, x, y))
                SetSize(x, y);
        }
        else if (name == "Pivot")
        {
            if (ReadPair(*child, Block, x, y))
                SetPivot(x, y);
        }
        else if (name == "Scale")
        {
            if (ReadPair(*child, Block, x, y))
                SetScale(x, y);
        }
        else if (name == "Angle")
        {
            if (ReadReal(*child, Block, x))
                SetAngle(x);
        }
        else if (name == "ZOrder")
            ReadReal(*child, Block, m_zOrder);
        else
            LogUnknown(*child, Block);
    }
    return true;
}

// Values at their defaults are left out, except the four every item writes.
nMetaTag* nItem2D::SerializeTag()
{
    nMetaTag* root = NewRoot(Block);
    if (!root)
        return nullptr;
    bool written = root->AddChildString("Name", m_name.GetText() ? m_name.GetText() : "") &&
                   root->AddChildInt("Uid", m_serial) &&
                   WritePair(*root, "Position", m_position[0], m_position[1]) &&
                   WritePair(*root, "Size", m_size[0], m_size[1]);
    if (written && (m_pivot[0] != 0.0f || m_pivot[1] != 0.0f))
        written = WritePair(*root, "Pivot", m_pivot[0], m_pivot[1]) != nullptr;
    if (written && (m_scale[0] != 1.0f || m_scale[1] != 1.0f))
        written = WritePair(*root, "Scale", m_scale[0], m_scale[1]) != nullptr;
    if (written && m_zOrder != DefaultZOrder)
        written = root->AddChildFloat("ZOrder", m_zOrder) != nullptr;
    if (written && m_angle != 0.0f)
        written = root->AddChildFloat("Angle", m_angle) != nullptr;
    if (!written)
    {
        delete root;
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
        return nullptr;
    }
    return root;
}
