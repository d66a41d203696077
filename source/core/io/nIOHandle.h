#pragma once

#include "core/base/nSharedPtr.h"
#include "core/io/nIOBase.h"
#include "platform/nstring/nString.h"

#include <cstddef>
#include <cstdint>

// One open file. The handle keeps its back end alive and is closed by the back end at most once:
// by Close or when it is destroyed. A derived handle calls Close from its own destructor, while
// its state still exists for the back end to read.
class nIOHandle
{
public:
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory);

    explicit nIOHandle(nIOBase* base) : m_base(base) {}
    nIOHandle(const nIOHandle&) = delete;
    nIOHandle& operator=(const nIOHandle&) = delete;
    virtual ~nIOHandle();

    nIOBase* GetBase() const { return m_base.Get(); }
    // The path as the user gave it, without the mount prefixes the program put before it: what
    // log lines about the file name.
    const nString& GetShownPath() const { return m_shownPath; }
    void SetShownPath(const nString& path) { m_shownPath = path; }

    int64_t Seek(int64_t offset, int origin) { return m_base->Seek(this, offset, origin); }
    int64_t Tell() { return m_base->Tell(this); }
    size_t Read(void* buffer, size_t size) { return m_base->Read(this, buffer, size); }
    size_t Write(const void* buffer, size_t size) { return m_base->Write(this, buffer, size); }
    void Rewind() { Seek(0, IOSeekSet); }
    int64_t GetSize();
    bool WriteText(const char* text);
    bool WriteU32(const uint32_t* value);
    void Close();
    // Every save ends here: true when each byte written reached the file and the file replaced
    // the target, else false with one "[!]" line naming the file, the target left as it was.
    // A handle opened for writing and closed or destroyed without Commit changes nothing.
    bool Commit();

private:
    nSharedPtr<nIOBase> m_base;
    nString m_shownPath;
    bool m_closed = false;
};
