#pragma once

#include "core/io/nIOHandle.h"

#include <cstdio>

class nIOCFileHandle : public nIOHandle
{
public:
    explicit nIOCFileHandle(nIOBase* base) : nIOHandle(base) {}
    ~nIOCFileHandle() override { Close(); }

    FILE* stream = nullptr;
};
