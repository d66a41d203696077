#pragma once

#include "core/base/nSharedObject.h"

// Points at an object without holding it; Get() answers null once the object has died.
template <typename T> class nWeakPtr
{
public:
    nWeakPtr() = default;
    nWeakPtr(T* object) { Attach(object); }
    nWeakPtr(const nWeakPtr& other) : m_object(other.m_object), m_block(other.m_block)
    {
        if (m_block)
            ++m_block->weakCount;
    }
    ~nWeakPtr() { Detach(); }

    nWeakPtr& operator=(T* object)
    {
        if (object != Get() || !object)
        {
            Detach();
            Attach(object);
        }
        return *this;
    }
    nWeakPtr& operator=(const nWeakPtr& other)
    {
        if (&other != this)
        {
            if (other.m_block)
                ++other.m_block->weakCount;
            Detach();
            m_object = other.m_object;
            m_block = other.m_block;
        }
        return *this;
    }

    T* Get() const { return (m_block && m_block->alive == nWeakBlock::Alive) ? m_object : nullptr; }
    bool IsAlive() const { return Get() != nullptr; }

private:
    void Attach(T* object)
    {
        if (!object)
            return;
        nWeakBlock* block = static_cast<nSharedObject*>(object)->GetWeakBlock();
        if (!block)
            return;
        ++block->weakCount;
        m_object = object;
        m_block = block;
    }

    void Detach()
    {
        if (m_block && --m_block->weakCount == 0 && m_block->alive == nWeakBlock::Dead)
            delete m_block;
        m_object = nullptr;
        m_block = nullptr;
    }

    T* m_object = nullptr;
    nWeakBlock* m_block = nullptr;
};
