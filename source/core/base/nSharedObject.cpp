#include "core/base/nSharedObject.h"

#include "core/base/nLog.h"

#include <new>

void nSharedObject::AddRef()
{
    ++m_refCount;
}

void nSharedObject::Release()
{
    if (m_refCount == 0)
    {
        nLogHolder::Get() << "[!] nSharedObject::Release called on an object without references.\n";
        return;
    }
    if (--m_refCount > 0)
        return;
    if (m_weakBlock)
        m_weakBlock->alive = nWeakBlock::Dying;
    delete this;
}

nSharedObject::~nSharedObject()
{
    if (!m_weakBlock)
        return;
    if (m_weakBlock->weakCount == 0)
        delete m_weakBlock;
    else
        m_weakBlock->alive = nWeakBlock::Dead;
}

nWeakBlock* nSharedObject::GetWeakBlock()
{
    if (!m_weakBlock)
        m_weakBlock = new (std::nothrow) nWeakBlock{nWeakBlock::Alive, 0};
    return m_weakBlock;
}
