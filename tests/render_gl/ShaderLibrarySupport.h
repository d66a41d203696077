#pragma once

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/io/nIOSystem.h"
#include "core/nml/nMetaTagValue.h"
#include "platform/nPlatform.h"
#include "render/nRenderer.h"

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

// An integer setting of the renderer, as the configuration file gives it.
inline void SetRegistryInt(nRenderer& renderer, const char* key, int32_t value)
{
    nMetaTagValue tagValue;
    tagValue.SetInt(value);
    renderer.GetRegistry().SetKey(key, &tagValue);
}
