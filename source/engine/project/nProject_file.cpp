#include "engine/project/nProject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"

namespace
{
nString TextOf(const nMetaTag* tag)
{
    nString text;
    tag->GetValue().GetString(text);
    return text;
}

const char* OrEmpty(const nString& text)
{
    return text.GetText() ? text.GetText() : "";
}
} // namespace

bool nProject::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (tag.GetName() != "Environment")
    {
        nLogHolder::Get() << "[!] Could not parse environment. Root tag id is incorrect (" << tag.GetName()
                          << ").\n";
        return false;
    }
    m_name.Clear();
    m_searchPaths.Clear();
    m_unit.SetScript(nString());
    m_unit.SetClassName(nString());
    m_includes.Clear();
    nLogHolder::Get() << "Parsing NML environment...\n";
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Name")
            m_name = TextOf(child);
        else if (name == "Authors")
            m_authors = TextOf(child);
        else if (name == "Description")
            m_description = TextOf(child);
        else if (name == "Copyright")
            m_notice = TextOf(child);
        else if (name == "ScriptUnit")
            m_unit.Parse(child);
        else if (name == "Include")
        {
            nLinkedListIterator uris;
            while (const nMetaTag* uri = child->GetNextChild(uris))
                if (uri->GetName() == "URI")
                    m_includes.PushBack(TextOf(uri));
        }
        else if (name == "SearchPaths")
        {
            nLinkedListIterator paths;
            while (const nMetaTag* path = child->GetNextChild(paths))
                if (path->GetType() == TagTypeString)
                    m_searchPaths.PushBack(TextOf(path));
        }
    }
    m_path = file.GetFileName();
    return true;
}

nMetaTag* nProject::SerializeTag(nMetaFile&)
{
    nMetaTag* root = new nMetaTag("Environment");
    if (!root)
    {
        nLogHolder::Get() << "[!] Could not create environment root tag to serialize.\n";
        return nullptr;
    }
    root->AddChildString("Name", OrEmpty(m_name));
    root->AddChildString("Authors", OrEmpty(m_authors));
    root->AddChildString("Description", OrEmpty(m_description));
    root->AddChildString("Copyright", OrEmpty(m_notice));
    if (nMetaTag* unit = m_unit.Serialize())
        root->AddChildTag(unit);
    nMetaTag* includes = root->AddChild("Include");
    for (auto* node = m_includes.GetHead(); includes && node; node = node->next)
        includes->AddChildString("URI", OrEmpty(node->value));
    nMetaTag* searchPaths = root->AddChild("SearchPaths");
    for (auto* node = m_searchPaths.GetHead(); searchPaths && node; node = node->next)
        searchPaths->AddChildString("Path", OrEmpty(node->value));
    return root;
}
