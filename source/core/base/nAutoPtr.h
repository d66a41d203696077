#pragma once

// Sole owner of one object, deleted with the pointer.
template <typename T> class nAutoPtr
{
public:
    nAutoPtr() = default;
    explicit nAutoPtr(T* object) : m_object(object) {}
    nAutoPtr(const nAutoPtr&) = delete;
    nAutoPtr& operator=(const nAutoPtr&) = delete;
    nAutoPtr(nAutoPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    nAutoPtr& operator=(nAutoPtr&& other) noexcept
    {
        if (&other != this)
        {
            Reset();
            m_object = other.m_object;
            other.m_object = nullptr;
        }
        return *this;
    }
    ~nAutoPtr() { Reset(); }

    nAutoPtr& operator=(T* object)
    {
        if (object != m_object)
        {
            Reset();
            m_object = object;
        }
        return *this;
    }

    void Reset()
    {
        T* object = m_object;
        m_object = nullptr;
        delete object;
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
