#include "engine/items/nLoadContext.h"

#include "core/base/nLog.h"

const nLoadContext& nLoadContextStack::GetCurrent() const
{
    return m_depth >= 0 && m_depth < Capacity ? m_entries[m_depth] : m_spare;
}

void nLoadContextStack::Advance()
{
    ++m_depth;
    if (m_depth >= Capacity)
        nLogHolder::Get() << "[!] Load context stack overflow.\n";
}

nLoadContext& nLoadContextStack::PushEntry()
{
    Advance();
    nLoadContext& entry = m_depth >= 0 && m_depth < Capacity ? m_entries[m_depth] : m_spare;
    entry = nLoadContext();
    return entry;
}

void nLoadContextStack::Push()
{
    Advance();
}

void nLoadContextStack::PushMaterial(nMaterial* material)
{
    PushEntry().material = material;
}

void nLoadContextStack::PushGeometry(nGeometry* geometry)
{
    PushEntry().geometry = geometry;
}

void nLoadContextStack::PushObject(nMObject* object)
{
    PushEntry().object = object;
}

void nLoadContextStack::Pop()
{
    --m_depth;
    if (m_depth < 0)
        nLogHolder::Get() << "[!] Load context stack underflow.\n";
}
