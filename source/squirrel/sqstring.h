#pragma once

#include "squirrel/sqobject.h"

#include <vector>

// A longer text is refused with a script error: lengths are 32-bit and must not wrap.
constexpr SQInteger kMaxStringSize = 1 << 28;

// Strings are immutable and interned per shared state: equal texts are one object, so that
// equality and table look-ups compare pointers, and the hash is computed once.
struct SQString : SQRefCounted {
    SQString* _nextInBucket = nullptr;
    SQInteger _len = 0;
    SQHash _hash = 0;
    SQChar _val[1];

    static SQString* Create(SQSharedState* ss, const SQChar* s, SQInteger len = -1);
    const SQChar* View() const { return _val; }
    void Destroy() override;
};

// Frees a string that is in no table.
void sqFreeString(SQString* str);

class SQStringTable {
public:
    SQStringTable();
    ~SQStringTable();
    SQString* Add(SQSharedState* ss, const SQChar* s, SQInteger len);
    // The string of a followed by b.
    SQString* AddJoined(SQSharedState* ss, const SQChar* a, SQInteger alen, const SQChar* b, SQInteger blen);
    void Remove(SQString* s);
    void FreeAll();

private:
    SQString* Find(const SQChar* s, SQInteger len, SQHash h) const;
    void Insert(SQString* str);
    void Resize(size_t size);
    std::vector<SQString*> _buckets;
    size_t _count = 0;
};

SQHash sqHashString(const SQChar* s, size_t len);
// The first occurrence of needle in text, or null.
const SQChar* sqFindText(const SQChar* text, size_t length, const SQChar* needle, size_t needleLength);
