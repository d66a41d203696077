#pragma once

#include "core/nAutoArray.h"
#include "core/nIOHandle.h"
#include "core/nMemory.h"

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
