#pragma once

#include <cstdint>

// Outlives its object while weak pointers still point at it; whoever drops the last use frees it.
// While the object's destructor runs the block is dying: weak pointers read null, but the block
// stays the object's, so a weak pointer let go inside that destructor cannot free it under it.
struct nWeakBlock
{
    static constexpr uint32_t Dead = 0;
    static constexpr uint32_t Alive = 1;
    static constexpr uint32_t Dying = 2;

    uint32_t alive;
    uint32_t weakCount;
};

// Base of every reference-counted engine object. The count starts at 0: the first holder adds the
// first reference, and the release that brings it back to 0 deletes the object. Counts are plain
// integers: an object is referenced and released on one thread at a time.
class nSharedObject
{
public:
    nSharedObject() = default;
    nSharedObject(const nSharedObject&) : nSharedObject() {}
    nSharedObject& operator=(const nSharedObject&) { return *this; }

    virtual void AddRef();
    virtual void Release();
    virtual ~nSharedObject();

    uint32_t GetRefCount() const { return m_refCount; }
    nWeakBlock* GetWeakBlock();

private:
    uint32_t m_refCount = 0;
    nWeakBlock* m_weakBlock = nullptr;
};
