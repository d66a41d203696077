#include "squirrel/sqstring.h"

#include "squirrel/sqstate.h"

#include <cstdlib>
#include <new>

// Long strings are hashed from a sample of at most 32 characters so that building a long
// text piece by piece stays linear in the copies, not in the hashing.
SQHash sqHashString(const SQChar* s, size_t len) {
    SQHash h = 2166136261u ^ (SQHash)len;
    size_t step = (len >> 5) + 1;
    for (size_t i = len; i >= step; i -= step) h = (h ^ (unsigned char)s[i - 1]) * 16777619u;
    return h;
}

SQString* SQString::Create(SQSharedState* ss, const SQChar* s, SQInteger len) {
    if (len < 0) len = (SQInteger)strlen(s);
    return ss->_strings.Add(ss, s, len);
}

SQStringTable::SQStringTable() { _buckets.assign(256, nullptr); }

SQStringTable::~SQStringTable() { FreeAll(); }

SQString* SQStringTable::Add(SQSharedState* ss, const SQChar* s, SQInteger len) {
    SQHash h = sqHashString(s, (size_t)len);
    size_t slot = h & (_buckets.size() - 1);
    for (SQString* str = _buckets[slot]; str; str = str->_nextInBucket) {
        if (str->_hash == h && str->_len == len && memcmp(str->_val, s, (size_t)len) == 0) return str;
    }
    void* mem = malloc(sizeof(SQString) + (size_t)len);
    sqCountBytes((int64_t)(sizeof(SQString) + (size_t)len));
    SQString* str = new (mem) SQString();
    str->_sharedState = ss;
    str->_len = len;
    str->_hash = h;
    memcpy(str->_val, s, (size_t)len);
    str->_val[len] = 0;
    str->_nextInBucket = _buckets[slot];
    _buckets[slot] = str;
    if (++_count > _buckets.size()) Resize(_buckets.size() * 2);
    return str;
}

void SQStringTable::Remove(SQString* s) {
    size_t slot = s->_hash & (_buckets.size() - 1);
    SQString** link = &_buckets[slot];
    while (*link && *link != s) link = &(*link)->_nextInBucket;
    if (*link) {
        *link = s->_nextInBucket;
        --_count;
    }
}

void SQStringTable::Resize(size_t size) {
    std::vector<SQString*> old;
    old.swap(_buckets);
    _buckets.assign(size, nullptr);
    for (SQString* head : old) {
        while (head) {
            SQString* next = head->_nextInBucket;
            size_t slot = head->_hash & (size - 1);
            head->_nextInBucket = _buckets[slot];
            _buckets[slot] = head;
            head = next;
        }
    }
}

// Strings still referenced by a host after sq_close are freed with the state.
void SQStringTable::FreeAll() {
    for (SQString*& head : _buckets) {
        while (head) {
            SQString* next = head->_nextInBucket;
            sqCountBytes(-(int64_t)(sizeof(SQString) + (size_t)head->_len));
            head->~SQString();
            free(head);
            head = next;
        }
    }
    _count = 0;
}
