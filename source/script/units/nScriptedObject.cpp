#include "script/units/nScriptedObject.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "script/units/nScriptUnit.h"

namespace
{
void DeleteUnits(nList<nScriptUnit*>& units)
{
    for (auto* node = units.GetHead(); node; node = node->next)
        delete node->value;
    units.Clear();
}

void MoveUnits(nList<nScriptUnit*>& from, nList<nScriptUnit*>& to)
{
    for (auto* node = from.GetHead(); node; node = node->next)
    {
        node->value->SetHolder(nullptr);
        if (!to.PushBack(node->value))
            delete node->value;
    }
    from.Clear();
}
} // namespace

// A walk in progress keeps its units alive past their owner: the outermost walk deletes them
// once the script calls it is inside have all returned.
nScriptedObject::~nScriptedObject()
{
    if (!m_dispatch)
    {
        DeleteUnits(m_units);
        DeleteUnits(m_retiredUnits);
        return;
    }
    nScriptDispatch* outermost = m_dispatch;
    for (nScriptDispatch* dispatch = m_dispatch; dispatch; dispatch = dispatch->m_outer)
    {
        dispatch->m_object = nullptr;
        outermost = dispatch;
    }
    MoveUnits(m_units, outermost->m_orphans);
    MoveUnits(m_retiredUnits, outermost->m_orphans);
}

void nScriptedObject::DeleteScriptUnits()
{
    ++m_unitsGeneration;
    if (m_dispatch)
        MoveUnits(m_units, m_retiredUnits);
    else
        DeleteUnits(m_units);
    if (m_cachedMethods)
    {
        m_cachedMethods = 0;
        OnCachedMethodsChanged();
    }
}

void nScriptedObject::RefreshCachedMethods()
{
    uint32_t methods = 0;
    for (auto* node = m_units.GetHead(); node; node = node->next)
        methods |= node->value->GetCachedMethods();
    if (methods == m_cachedMethods)
        return;
    m_cachedMethods = methods;
    OnCachedMethodsChanged();
}

nScriptUnit* nScriptedObject::AppendScriptUnit(nScriptUnit* unit, const char* ownerName)
{
    if (!unit || !m_units.PushBack(unit))
    {
        delete unit;
        nLogHolder::Get() << "[!] Failed to allocate script unit for item '" << (ownerName ? ownerName : "")
                          << "'.\n";
        return nullptr;
    }
    ++m_unitsGeneration;
    unit->SetHolder(this);
    return unit;
}

bool nScriptedObject::Parse(const nMetaTag* tag)
{
    if (!tag)
        return false;
    if (tag->GetName() != "ScriptedObject")
    {
        nLogHolder::Get() << "[!] Could not parse scripted object. Root tag id is incorrect ("
                          << tag->GetName() << ").\n";
        return false;
    }
    DeleteScriptUnits();
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag->GetNextChild(iterator))
    {
        if (child->GetName() != "ScriptUnit")
        {
            nLogHolder::Get() << "[*] Unknown tag '" << child->GetName() << "' in <ScriptedObject>.\n";
            continue;
        }
        if (nScriptUnit* unit = CreateScriptUnit())
            unit->Parse(child);
    }
    return true;
}

nMetaTag* nScriptedObject::Serialize() const
{
    if (m_units.IsEmpty())
        return nullptr;
    nMetaTag* root = new nMetaTag("ScriptedObject");
    if (!root)
    {
        nLogHolder::Get() << "[!] Could not create managed root tag to serialize.\n";
        return nullptr;
    }
    for (auto* node = m_units.GetHead(); node; node = node->next)
        if (nMetaTag* unit = node->value->Serialize(); unit && !root->AddChildTag(unit))
            delete unit;
    return root;
}

nScriptDispatch::nScriptDispatch(nScriptedObject* object)
    : m_object(object), m_outer(object->m_dispatch), m_next(object->m_units.GetHead()),
      m_generation(object->m_unitsGeneration)
{
    object->m_dispatch = this;
}

nScriptDispatch::~nScriptDispatch()
{
    if (m_object)
    {
        m_object->m_dispatch = m_outer;
        if (!m_outer)
            DeleteUnits(m_object->m_retiredUnits);
    }
    DeleteUnits(m_orphans);
}

bool nScriptDispatch::IsCurrent() const
{
    return m_object && m_object->m_unitsGeneration == m_generation;
}

nScriptUnit* nScriptDispatch::Next()
{
    if (!IsCurrent() || !m_next)
        return nullptr;
    nScriptUnit* unit = m_next->value;
    m_next = m_next->next;
    return unit;
}
