#include "ui/nScene2D.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "platform/nStopSignal.h"
#include "ui/nItem2D.h"
#include "ui/nScene2DTags.h"
#include "ui/nSprite2D.h"
#include "ui/nWindow.h"

#include <new>
#include <unordered_map>

using namespace Scene2DTags;

namespace
{
constexpr const char* Block = "Scene2d";

// One "Link": the child's and the parent's serials.
bool ReadLink(const nMetaTag& link, int32_t& item, int32_t& parent)
{
    const nMetaTag* itemTag = link.GetTypedTag("Item", TagTypeInteger);
    const nMetaTag* parentTag = link.GetTypedTag("Link", TagTypeInteger);
    return itemTag && parentTag && itemTag->GetValue().GetInt(item) && parentTag->GetValue().GetInt(parent);
}
} // namespace

// A stop asked for while a long file loads (a signal, the end of the allowed run time) ends the
// load where it is: what was read stays, the rest is not read.
bool nScene2D::StopLoading()
{
    nLogHolder::Get() << "[*] Loading of 2D scene '" << m_name << "' stopped.\n";
    return false;
}

// "Links" is read once every item is there, wherever it stands in the file, so parents come back
// from a file; an unknown serial or a link that would close a cycle is skipped with a line.
bool nScene2D::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckRoot(tag, Block, "Could not parse 2d scene. Root tag id is incorrect ("))
        return false;
    if (m_name.IsEmpty())
        m_name = file.GetFileName();
    const nMetaTag* links = nullptr;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "ScriptUnit")
            m_unit.Parse(child);
        else if (name == "Sprites")
        {
            nLinkedListIterator items;
            while (nMetaTag* itemTag = child->GetNextChild(items))
            {
                if (IsStopRequested())
                    return StopLoading();
                nItem2D* item = nullptr;
                if (itemTag->GetName() == "Sprite2d")
                {
                    item = new (std::nothrow) nSprite2D(this, nullptr, nullptr, "");
                    if (!item)
                        nLogHolder::Get() << "[!] Failed to allocate new sprite.\n";
                }
                else if (itemTag->GetName() == "Window")
                {
                    item = new (std::nothrow) nWindow(this, nullptr, "", "Text");
                    if (!item)
                        nLogHolder::Get() << "[!] Failed to allocate new window.\n";
                }
                if (item && AddItem(item))
                {
                    item->ParseTag(*itemTag);
                    if (item->GetType() == Item2DWindow)
                        static_cast<nWindow*>(item)->ReportCacheRefusal();
                }
            }
        }
        else if (name == "Links")
            links = child;
        else
            LogUnknown(*child, Block);
    }
    // The first item in list order with each serial, as FindItemBySerial answers, without a
    // search per link.
    std::unordered_map<int32_t, nItem2D*> itemsBySerial;
    if (links)
        for (auto* node = m_items.GetHead(); node; node = node->next)
            itemsBySerial.emplace(node->value->GetSerial(), node->value);
    const auto find = [&itemsBySerial](int32_t serial) -> nItem2D*
    {
        const auto found = itemsBySerial.find(serial);
        return found == itemsBySerial.end() ? nullptr : found->second;
    };
    nLinkedListIterator linkIterator;
    while (const nMetaTag* link = links ? links->GetNextChild(linkIterator) : nullptr)
    {
        if (IsStopRequested())
            return StopLoading();
        int32_t itemSerial = 0;
        int32_t parentSerial = 0;
        if (link->GetName() != "Link" || !ReadLink(*link, itemSerial, parentSerial))
        {
            nLogHolder::Get() << "[*] Incomplete <Link> in <Scene2d:Links> ignored.\n";
            continue;
        }
        nItem2D* item = find(itemSerial);
        nItem2D* parent = find(parentSerial);
        if (!item || !parent)
        {
            nLogHolder::Get() << "[*] Link of 2D item " << itemSerial << " to " << parentSerial
                              << " names an item that is not there; ignored.\n";
            continue;
        }
        item->SetParent(parent);
    }
    return true;
}

// The cursor is made by the scripts that run the scene, not stored with its content.
nMetaTag* nScene2D::SerializeTag(nMetaFile&)
{
    nLog& log = nLogHolder::Get();
    nMetaTag* root = NewRoot(Block);
    if (!root)
        return nullptr;
    nMetaTag* sprites = root->AddChild("Sprites");
    if (!sprites)
    {
        log << "[!] Failed to allocate <Sprites> root tag.\n";
        delete root;
        return nullptr;
    }
    for (auto* node = m_items.GetHead(); node; node = node->next)
    {
        if (node->value == m_cursor)
            continue;
        nMetaTag* itemTag = node->value->SerializeTag();
        if (!itemTag || !sprites->AddChildTag(itemTag))
        {
            delete itemTag;
            delete root;
            return nullptr;
        }
    }
    nMetaTag* links = root->AddChild("Links");
    if (!links)
    {
        log << "[!] Failed to allocate <Links> root tag.\n";
        delete root;
        return nullptr;
    }
    for (auto* node = m_items.GetHead(); node; node = node->next)
    {
        nItem2D* item = node->value;
        if (!item->GetParent() || item == m_cursor)
            continue;
        nMetaTag* link = links->AddChild("Link");
        if (!link || !link->AddChildInt("Item", item->GetSerial()) ||
            !link->AddChildInt("Link", item->GetParent()->GetSerial()))
        {
            log << "[!] Failed to allocate <Links> root tag.\n";
            delete root;
            return nullptr;
        }
    }
    if (nMetaTag* unit = m_unit.Serialize(); unit && !root->AddChildTag(unit))
        delete unit;
    return root;
}
