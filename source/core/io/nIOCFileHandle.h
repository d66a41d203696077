#pragma once

#include "core/io/nIOHandle.h"
#include "platform/nHostFileReplacement.h"

#include <cstdio>

// A host file open for reading (the stream alone), or for writing: then the stream belongs to a
// replacement of the target that only Commit puts in place.
class nIOCFileHandle : public nIOHandle
{
public:
    explicit nIOCFileHandle(nIOBase* base) : nIOHandle(base) {}
    ~nIOCFileHandle() override { Close(); }

    FILE* stream = nullptr;
    nHostFileReplacement replacement;
    // The errno of the first write that fell short, 0 while every write was whole.
    int writeError = 0;
};
