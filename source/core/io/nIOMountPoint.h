#pragma once

#include "core/io/nIOBase.h"
#include "core/base/nSharedPtr.h"
#include "platform/nstring/nString.h"

class nIOMountPoint
{
public:
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory);

    nIOMountPoint(const nString& prefix, nIOBase* base) : m_prefix(prefix), m_base(base) {}
    virtual ~nIOMountPoint() = default;

    const nString& GetPrefix() const { return m_prefix; }
    nIOBase* GetBase() const { return m_base.Get(); }
    // A whole prefix at the start of the path: "@co" is not under "@core/".
    bool Matches(const nString& path) const;

private:
    nString m_prefix;
    nSharedPtr<nIOBase> m_base;
};
