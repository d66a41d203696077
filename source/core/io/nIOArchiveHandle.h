#pragma once

#include "core/base/nAutoArray.h"
#include "core/io/nIOHandle.h"
#include "core/base/nMemory.h"

#include <cstdint>

// An archive entry loaded whole into memory when it was opened.
class nIOArchiveHandle : public nIOHandle
{
public:
    explicit nIOArchiveHandle(nIOBase* base) : nIOHandle(base), data(MemCategoryFilesystem) {}
    ~nIOArchiveHandle() override { Close(); }

    uint32_t position = 0;
    uint32_t size = 0;
    nAutoArray<uint8_t> data;
};
