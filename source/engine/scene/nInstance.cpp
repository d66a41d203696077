#include "engine/scene/nInstance.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nManagedBlock.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nScene.h"

nInstance::nInstance(nScene* scene) : nMItem(scene, ItemTypeInstance), m_node(scene->GetEngine())
{
    AttachItem(m_node);
}

nInstance::~nInstance()
{
    Retire();
}

namespace
{
// Paths from content may differ in letter case and separators and still name one file.
nString TemplateKey(const nString& path)
{
    nString key = path.ToLower();
    key.Replace("\\", "/");
    return key;
}
} // namespace

void nInstance::SetTemplate(const char* path)
{
    m_template = path;
    m_group = nullptr;
    m_cycleRefused = false;
}

// The file being read belongs to the chain too, also a scene or project layer read at the top: an
// instance of it there is refused before a nested copy of the file is built.
void nInstance::SetEnclosure(const nInstance* outer, const nString& sourceFile)
{
    m_sourceFile = sourceFile;
    m_enclosingTemplates.Clear();
    if (outer)
    {
        for (auto* node = outer->m_enclosingTemplates.GetHead(); node; node = node->next)
            m_enclosingTemplates.PushBack(node->value);
        m_enclosingTemplates.PushBack(TemplateKey(outer->m_template));
    }
    m_enclosingTemplates.PushBack(TemplateKey(sourceFile));
}

bool nInstance::RefuseTemplateCycle()
{
    if (m_cycleRefused)
        return true;
    const nString key = TemplateKey(m_template);
    if (!m_enclosingTemplates.Find(key))
        return false;
    m_cycleRefused = true;
    nLogHolder::Get() << "[!] Instance '" << GetName() << "' in '" << m_sourceFile
                      << "' is refused: its template '" << m_template << "' instances itself.\n";
    return true;
}

void nInstance::Setup()
{
    SetupInstance(m_depth);
    nMItem::Setup();
}

void nInstance::SetupInstance(int32_t depth)
{
    Quenvar* engine = GetScene()->GetEngine();
    if (!IsEnabled() || (engine && engine->GetMode() == 1) || m_group || m_template.IsEmpty())
        return;
    if (RefuseTemplateCycle())
        return;
    if (depth >= nScene::MaxInstanceDepth)
    {
        nLogHolder::Get() << "[!] Instance '" << GetName() << "' of '" << m_template
                          << "' is nested too deep: a template instances itself.\n";
        return;
    }
    nMetaFile file;
    if (!file.Load(m_template.GetText()))
        return;
    if (const nMetaTag* scripts = file.GetTypedTag("Scene:ScriptedObject", TagTypeNone))
        Parse(scripts);
    nGroup* group = nullptr;
    nInstance* outer = GetScene()->SwapInstancing(this);
    GetScene()->LoadFromFile(m_template.GetText(), &group, ImportFlagInstanceTemplate, depth + 1);
    GetScene()->SwapInstancing(outer);
    m_group = group;
    if (!m_group)
        return;
    m_group->SetName(m_template.GetText());
    if (m_doNotParent)
        m_group->OffsetMatrix(m_node.GetWorldMatrix());
    else
        m_group->SetRootItem(this);
}

bool nInstance::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, "Instance", "Could not parse instance. Root tag id is incorrect ("))
        return false;
    m_doNotParent = false;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "MItem")
            ParseManagedTag(file, *child);
        else if (name == "Item")
            m_node.ParseTag(file, *child);
        else if (name == "Template")
            ReadStringTag(*child, "Instance", m_template);
        else if (name == "DoNotParent")
            m_doNotParent = child->GetBool();
        else
            LogUnknownTag(*child, "Instance");
    }
    return true;
}

nMetaTag* nInstance::SerializeTag(nMetaFile& file)
{
    nMetaTag* tag = SerializeManagedBlock(file, *this, "Instance", "Could not create managed root tag to serialize.\n",
                                          m_node.SerializeTag(file));
    if (!tag)
        return nullptr;
    tag->AddChildString("Template", m_template.GetText() ? m_template.GetText() : "");
    if (m_doNotParent)
        tag->AddChildBool("DoNotParent", true);
    return tag;
}
