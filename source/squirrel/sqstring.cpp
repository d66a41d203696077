#include "squirrel/sqstring.h"

#include "squirrel/sqstate.h"

#include <cstring>
#include <emmintrin.h>
#include <new>
#include <utility>

namespace {

uint64_t Load64(const SQChar* p) {
    uint64_t word;
    memcpy(&word, p, sizeof(word));
    return word;
}

// Up to 7 bytes as one word.
uint64_t LoadTail(const SQChar* p, size_t n) {
    uint64_t word = 0;
    if (n >= 4) {
        uint32_t low, high;
        memcpy(&low, p, 4);
        memcpy(&high, p + n - 4, 4);
        return low | ((uint64_t)high << 32);
    }
    for (size_t i = 0; i < n; ++i) word |= (uint64_t)(unsigned char)p[i] << (8 * i);
    return word;
}

// Each word is folded in through a full 64 x 64 bit product, so that every input bit reaches
// the low bits the buckets are chosen by.
struct Hasher {
    uint64_t h;
    void Mix(uint64_t word) {
        __uint128_t product = (__uint128_t)(h ^ word) * 0x9fb21c651e98df25ull;
        h = (uint64_t)product ^ (uint64_t)(product >> 64);
    }
};

}  // namespace

// Eight bytes at a time. Long strings are hashed from their ends and a sample of words between,
// so that building a long text piece by piece stays linear in the copies, not in the hashing.
SQHash sqHashString(const SQChar* s, size_t len) {
    Hasher hasher{0x9e3779b97f4a7c15ull ^ len};
    if (len <= 64) {
        size_t i = 0;
        for (; i + 8 <= len; i += 8) hasher.Mix(Load64(s + i));
        if (i < len) hasher.Mix(LoadTail(s + i, len - i));
    } else {
        for (size_t i = 0; i < 32; i += 8) hasher.Mix(Load64(s + i));
        for (size_t i = len - 32; i < len; i += 8) hasher.Mix(Load64(s + i));
        size_t step = (len - 8) / 17;
        for (size_t k = 1; k <= 16; ++k) hasher.Mix(Load64(s + k * step));
    }
    return (SQHash)(hasher.h ^ (hasher.h >> 32));
}

SQString* SQString::Create(SQSharedState* ss, const SQChar* s, SQInteger len) {
    if (len < 0) len = (SQInteger)strlen(s);
    return ss->_strings.Add(ss, s, len);
}

SQStringTable::SQStringTable() { _buckets.assign(256, nullptr); }

SQStringTable::~SQStringTable() { FreeAll(); }

SQString* SQStringTable::Find(const SQChar* s, SQInteger len, SQHash h) const {
    for (SQString* str = _buckets[h & (_buckets.size() - 1)]; str; str = str->_nextInBucket) {
        if (str->_hash == h && str->_len == len && memcmp(str->_val, s, (size_t)len) == 0) return str;
    }
    return nullptr;
}

void sqFreeString(SQString* str) {
    size_t bytes = sizeof(SQString) + (size_t)str->_len;
    sqCountBytes(-(int64_t)bytes);
    str->~SQString();
    sqFreeBlock(str, bytes);
}

static SQString* NewString(SQSharedState* ss, SQInteger len) {
    // Through the block cache: a long text built piece by piece then reuses the block its
    // previous version freed instead of making the allocator return and fault in memory.
    void* mem = sqAllocateBlock(sizeof(SQString) + (size_t)len);
    sqCountBytes((int64_t)(sizeof(SQString) + (size_t)len));
    SQString* str = new (mem) SQString();
    str->_sharedState = ss;
    str->_len = len;
    str->_val[len] = 0;
    return str;
}

void SQStringTable::Insert(SQString* str) {
    size_t slot = str->_hash & (_buckets.size() - 1);
    str->_nextInBucket = _buckets[slot];
    _buckets[slot] = str;
    if (++_count > _buckets.size()) Resize(_buckets.size() * 2);
}

SQString* SQStringTable::Add(SQSharedState* ss, const SQChar* s, SQInteger len) {
    SQHash h = sqHashString(s, (size_t)len);
    if (SQString* found = Find(s, len, h)) return found;
    SQString* str = NewString(ss, len);
    str->_hash = h;
    memcpy(str->_val, s, (size_t)len);
    Insert(str);
    return str;
}

// The joined text is written once, into the new string; a text already interned keeps its
// string and the new one is dropped. Short texts are joined on the stack first, so that one
// already interned costs no allocation.
SQString* SQStringTable::AddJoined(SQSharedState* ss, const SQChar* a, SQInteger alen, const SQChar* b,
                                   SQInteger blen) {
    constexpr SQInteger kShortText = 128;
    if (alen + blen <= kShortText) {
        SQChar text[kShortText];
        memcpy(text, a, (size_t)alen);
        memcpy(text + alen, b, (size_t)blen);
        return Add(ss, text, alen + blen);
    }
    SQString* str = NewString(ss, alen + blen);
    memcpy(str->_val, a, (size_t)alen);
    memcpy(str->_val + alen, b, (size_t)blen);
    SQHash h = sqHashString(str->_val, (size_t)(alen + blen));
    if (SQString* found = Find(str->_val, alen + blen, h)) {
        sqFreeString(str);
        return found;
    }
    str->_hash = h;
    Insert(str);
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
            sqFreeString(head);
            head = next;
        }
    }
    _count = 0;
}

namespace {

// How often a byte turns up in script texts, roughly (higher is more common): the search
// tests the needle's two rarest bytes before comparing it whole.
constexpr unsigned char ByteFrequency(unsigned char c) {
    if (c == ' ') return 255;
    if (c == 'e' || c == 't' || c == 'a' || c == 'o' || c == 'i' || c == 'n') return 230;
    if (c == 's' || c == 'r' || c == 'h' || c == 'l' || c == 'd') return 210;
    if (c >= 'a' && c <= 'z') return 180;
    if (c >= '0' && c <= '9') return 150;
    if (c == '\n' || c == '\t' || c == '_' || c == '.' || c == ',' || c == '(' || c == ')' || c == '"' || c == '=')
        return 120;
    if (c >= 'A' && c <= 'Z') return 100;
    if (c >= 0x21 && c <= 0x7e) return 80;
    return c == 0 ? 40 : 20;
}

}  // namespace

// Candidates are found sixteen positions at a time from two bytes of the needle, then
// compared whole. Inputs that make candidates fail late many times over (long runs of one
// byte) would make that quadratic: past a bound on the bytes compared, the rest of the search
// goes to memmem, which is linear.
const SQChar* sqFindText(const SQChar* text, size_t length, const SQChar* needle, size_t needleLength) {
    if (needleLength == 0) return text;
    if (needleLength > length) return nullptr;
    if (needleLength == 1) return static_cast<const SQChar*>(memchr(text, needle[0], length));
    size_t first = 0, second = 1;
    if (ByteFrequency((unsigned char)needle[1]) < ByteFrequency((unsigned char)needle[0])) std::swap(first, second);
    for (size_t i = 2; i < needleLength; ++i) {
        unsigned char f = ByteFrequency((unsigned char)needle[i]);
        if (f < ByteFrequency((unsigned char)needle[first])) {
            second = first;
            first = i;
        } else if (f < ByteFrequency((unsigned char)needle[second])) {
            second = i;
        }
    }
    size_t last = length - needleLength;  // the last position a match may start at
    size_t budget = 4 * length + 4096;
    const __m128i a = _mm_set1_epi8(needle[first]);
    const __m128i b = _mm_set1_epi8(needle[second]);
    size_t p = 0;
    for (; p + 16 <= last + 1; p += 16) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p + first));
        __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + p + second));
        unsigned mask = (unsigned)_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(y, b)));
        while (mask) {
            size_t at = p + (size_t)__builtin_ctz(mask);
            if (memcmp(text + at, needle, needleLength) == 0) return text + at;
            if (budget < needleLength) {
                const void* found = memmem(text + at + 1, length - at - 1, needle, needleLength);
                return static_cast<const SQChar*>(found);
            }
            budget -= needleLength;
            mask &= mask - 1;
        }
    }
    for (; p <= last; ++p) {
        if (text[p + first] == needle[first] && text[p + second] == needle[second] &&
            memcmp(text + p, needle, needleLength) == 0) {
            return text + p;
        }
    }
    return nullptr;
}
