#pragma once

#include "core/base/nSharedObject.h"

// Holds one reference; conversion to nSharedObject adjusts to that base wherever it lies in T.
template <typename T> class nSharedPtr
{
public:
    nSharedPtr() = default;
    nSharedPtr(T* object) : m_object(object) { Acquire(m_object); }
    nSharedPtr(const nSharedPtr& other) : m_object(other.m_object) { Acquire(m_object); }
    template <typename U> nSharedPtr(const nSharedPtr<U>& other) : m_object(other.Get())
    {
        Acquire(m_object);
    }
    nSharedPtr(nSharedPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    ~nSharedPtr() { Drop(m_object); }

    // The new reference is taken before the old one is dropped, so re-assigning an object that
    // only this pointer keeps alive is safe.
    nSharedPtr& operator=(T* object)
    {
        if (object == m_object)
            return *this;
        Acquire(object);
        T* old = m_object;
        m_object = object;
        Drop(old);
        return *this;
    }
    nSharedPtr& operator=(const nSharedPtr& other) { return *this = other.m_object; }
    nSharedPtr& operator=(nSharedPtr&& other) noexcept
    {
        if (&other != this)
        {
            T* old = m_object;
            m_object = other.m_object;
            other.m_object = nullptr;
            Drop(old);
        }
        return *this;
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const nSharedPtr& other) const { return m_object == other.m_object; }
    bool operator!=(const nSharedPtr& other) const { return m_object != other.m_object; }

private:
    static void Acquire(T* object)
    {
        if (object)
            static_cast<nSharedObject*>(object)->AddRef();
    }
    static void Drop(T* object)
    {
        if (object)
            static_cast<nSharedObject*>(object)->Release();
    }

    T* m_object = nullptr;
};
