#include "engine/Quenvar.h"

void Quenvar::PushLoadContext()
{
    m_loadContext.Push();
}

void Quenvar::PushLoadContext(nMaterial* material)
{
    m_loadContext.PushMaterial(material);
}

void Quenvar::PushLoadContext(nGeometry* geometry)
{
    m_loadContext.PushGeometry(geometry);
}

void Quenvar::PushLoadContext(nMObject* object)
{
    m_loadContext.PushObject(object);
}

void Quenvar::PopLoadContext()
{
    m_loadContext.Pop();
}
