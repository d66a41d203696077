#pragma once

#include "squirrel/sqobject.h"

struct SQTable;

// The host's block follows the header, aligned for any scalar type.
struct SQUserData : SQRefCounted {
    SQTable* _delegate = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    SQUserPointer _typetag = nullptr;
    SQInteger _size = 0;
    alignas(16) unsigned char _data[1];

    static SQUserData* Create(SQSharedState* ss, SQInteger size);
    void SetDelegate(SQTable* t);
    void Finalize() override;
    void Traverse(SQCollector& gc) override;
    void Destroy() override;
    ~SQUserData() override;
};
