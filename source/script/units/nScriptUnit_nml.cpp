#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "script/units/nScriptUnit.h"

#include <cstring>

namespace
{
nString StringOf(const nMetaTag* tag)
{
    nString text;
    tag->GetValue().GetString(text);
    return text;
}

// A named variant of the value's own type; false for None and Binary.
bool MakeParameter(const nString& name, const nMetaTagValue& value, nVariant& parameter)
{
    parameter = nVariant(name.GetText(), 0);
    switch (value.GetType())
    {
    case TagTypeReal:
    {
        float number = 0.0f;
        value.GetFloat(number);
        parameter.SetFloat(number);
        return true;
    }
    case TagTypeBool:
    {
        bool flag = false;
        if (!value.GetBool(flag))
            flag = false;
        parameter.SetBool(flag);
        return true;
    }
    case TagTypeInteger:
    {
        int32_t number = 0;
        value.GetInt(number);
        parameter.SetInt(number);
        return true;
    }
    case TagTypeString:
    {
        nString text;
        value.GetString(text);
        parameter.SetString(text.GetText() ? text.GetText() : "");
        return true;
    }
    default:
        return false;
    }
}

bool AddTypedValue(nMetaTag* entry, const nVariant& parameter)
{
    switch (parameter.GetType())
    {
    case TagTypeReal:
    {
        float number = 0.0f;
        parameter.GetFloat(number);
        return entry->AddChildFloat("Value", number) != nullptr;
    }
    case TagTypeBool:
    {
        bool flag = false;
        parameter.GetBool(flag);
        return entry->AddChildBool("Value", flag) != nullptr;
    }
    case TagTypeInteger:
    {
        int32_t number = 0;
        parameter.GetInt(number);
        return entry->AddChildInt("Value", number) != nullptr;
    }
    case TagTypeString:
    {
        nString text;
        parameter.GetString(text);
        return entry->AddChildString("Value", text.GetText() ? text.GetText() : "") != nullptr;
    }
    default:
        return false;
    }
}
} // namespace

bool nScriptUnit::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    if (tag->GetName() != "ScriptUnit")
    {
        nLogHolder::Get() << "[!] Could not parse script unit. Root tag id is incorrect (" << tag->GetName()
                          << ").\n";
        return false;
    }
    m_script = nString();
    m_className = nString();
    m_missingClassReported = false;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Script")
            m_script = StringOf(child);
        else if (name == "Class")
            m_className = StringOf(child);
        else if (name == "ParmList")
            ParseParameters(child);
        else
            nLogHolder::Get() << "[*] Unknown tag '" << name << "' in <ScriptUnit>.\n";
    }
    return true;
}

bool nScriptUnit::ParseParameters(const nMetaTag* list)
{
    nLinkedListIterator iterator;
    while (const nMetaTag* entry = list->GetNextChild(iterator))
    {
        const nMetaTag* id = entry->GetTag("Id");
        const nMetaTag* value = entry->GetTag("Value");
        if (!id || !value)
        {
            nLogHolder::Get() << "[*] Incomplete script parameter declaration ignored.\n";
            continue;
        }
        const nString name = StringOf(id);
        nVariant parameter;
        if (!MakeParameter(name, value->GetValue(), parameter))
        {
            nLogHolder::Get() << "[*] parameter '" << name << "' type is invalid.\n";
            continue;
        }
        AddParameter(parameter);
    }
    return true;
}

nMetaTag* nScriptUnit::Serialize() const
{
    nMetaTag* root = new nMetaTag("ScriptUnit");
    if (!root)
    {
        nLogHolder::Get() << "[!] Could not serialize script unit. Failed to create root tag.\n";
        return nullptr;
    }
    if (!m_script.IsEmpty())
        root->AddChildString("Script", m_script.GetText());
    if (!m_className.IsEmpty())
        root->AddChildString("Class", m_className.GetText());
    if (!m_parameters.IsEmpty())
    {
        nMetaTag* list = root->AddChild("ParmList");
        if (!list)
            nLogHolder::Get() << "[*] Failed to serialize instance parameter list.\n";
        for (auto* node = m_parameters.GetHead(); list && node; node = node->next)
        {
            const nVariant& parameter = *node->value;
            nMetaTag* entry = list->AddChild("Parm");
            if (!entry || !entry->AddChildString("Id", parameter.GetName().GetText()) ||
                !AddTypedValue(entry, parameter))
            {
                if (entry)
                    list->RemoveChild(entry);
                nLogHolder::Get() << "[*] Failed to serialize instance parameter '" << parameter.GetName() << "'.\n";
            }
        }
    }
    if (root->GetChildCount() == 0)
    {
        delete root;
        return nullptr;
    }
    return root;
}
