#pragma once

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOSystem.h"
#include "platform/nPlatform.h"

#include <string>

// The repository's core data (or another folder) mounted as "@core/" for one test.
class CoreDataMount
{
public:
    explicit CoreDataMount(const std::string& folder = KESTRUN_DATA_DIR "/core")
        : m_base(new nIOCFile(folder.c_str()))
    {
        nPlatform::Get().GetIOSystem().Mount(m_base.Get(), "@core/");
    }
    ~CoreDataMount() { nPlatform::Get().GetIOSystem().Unmount(m_base.Get()); }
    CoreDataMount(const CoreDataMount&) = delete;
    CoreDataMount& operator=(const CoreDataMount&) = delete;

private:
    nSharedPtr<nIOBase> m_base;
};
