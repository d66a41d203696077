#include "squirrel/squserdata.h"

#include "squirrel/sqgc.h"
#include "squirrel/sqtable.h"

#include <cstdlib>
#include <new>

SQUserData* SQUserData::Create(SQSharedState* ss, SQInteger size) {
    void* mem = calloc(1, sizeof(SQUserData) + (size_t)size);
    sqCountBytes((int64_t)(sizeof(SQUserData) + (size_t)size));
    SQUserData* ud = new (mem) SQUserData();
    ud->LinkInto(ss);
    ud->_size = size;
    return ud;
}

void SQUserData::SetDelegate(SQTable* t) {
    if (t) ++t->_uiRef;
    sqRelease(_delegate);
    _delegate = t;
}

void SQUserData::Traverse(SQCollector& gc) { gc.Edge(_delegate); }

void SQUserData::Finalize() {
    SQRELEASEHOOK hook = _hook;
    _hook = nullptr;
    if (hook) hook(_data, _size);
    SetDelegate(nullptr);
}

SQUserData::~SQUserData() { Finalize(); }

void SQUserData::Destroy() {
    ClearWeakRef();
    Unlink();
    size_t bytes = sizeof(SQUserData) + (size_t)_size;
    this->~SQUserData();
    free(this);
    sqCountBytes(-(int64_t)bytes);
}
