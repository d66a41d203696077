#include "squirrel/sqstdblob.h"

#include "squirrel/sqmem.h"
#include "squirrel/sqstdregister.h"
#include "squirrel/sqstdstream.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

int kBlobTagAnchor;
const SQUserPointer kBlobTag = &kBlobTagAnchor;
const SQChar* const kBlobClassKey = "sqstd.blob";

// A growable byte buffer with a read/write position. The buffer always exists (at least one
// byte of capacity) so that the payload pointer of an empty blob is valid; bytes between
// size and capacity are kept zero so that growing never exposes old data.
class SQBlob final : public SQStream {
public:
    SQBlob() = default;
    SQBlob(const SQBlob&) = delete;
    SQBlob& operator=(const SQBlob&) = delete;
    ~SQBlob() override { sqCountBytes(-_capacity); }

    bool Init(SQInteger size) { return Reserve(size < 1 ? 1 : size) && Resize(size); }

    unsigned char* Data() { return _buffer.get(); }

    bool Resize(SQInteger size) {
        if (size < 0 || !Reserve(size)) return false;
        if (size < _size) memset(_buffer.get() + size, 0, (size_t)(_size - size));
        _size = size;
        if (_position > _size) _position = _size;
        return true;
    }

    SQInteger Read(void* buffer, SQInteger size) override {
        SQInteger n = _size - _position;
        if (size < n) n = size;
        if (n <= 0) return 0;
        memcpy(buffer, _buffer.get() + _position, (size_t)n);
        _position += n;
        return n;
    }

    SQInteger Write(const void* buffer, SQInteger size) override {
        if (size <= 0) return 0;
        int64_t end = (int64_t)_position + size;
        if (end > sqstdMaxBlobSize) return 0;
        if (end > _size) {
            int64_t grown = (int64_t)_capacity * 2;
            if (!Reserve((SQInteger)(grown > end && grown <= sqstdMaxBlobSize ? grown : end))) return 0;
            _size = (SQInteger)end;
        }
        memcpy(_buffer.get() + _position, buffer, (size_t)size);
        _position = (SQInteger)end;
        return size;
    }

    bool Flush() override { return true; }
    SQInteger Tell() override { return _position; }
    SQInteger Len() override { return _size; }
    bool EOS() override { return _position >= _size; }
    bool IsValid() const override { return true; }

    // A blob cannot be positioned outside its data.
    bool Seek(SQInteger offset, SQInteger origin) override {
        int64_t base = origin == 'b' ? 0 : origin == 'c' ? _position : _size;
        int64_t target = base + offset;
        if (target < 0 || target > _size) return false;
        _position = (SQInteger)target;
        return true;
    }

private:
    bool Reserve(SQInteger capacity) {
        if (capacity <= _capacity) return true;
        if (capacity > sqstdMaxBlobSize || !sqMayAllocate(capacity - _capacity)) return false;
        std::unique_ptr<unsigned char[]> bigger(new (std::nothrow) unsigned char[(size_t)capacity]);
        if (!bigger) return false;
        if (_size > 0) memcpy(bigger.get(), _buffer.get(), (size_t)_size);
        memset(bigger.get() + _size, 0, (size_t)(capacity - _size));
        _buffer = std::move(bigger);
        sqCountBytes(capacity - _capacity);
        _capacity = capacity;
        return true;
    }

    std::unique_ptr<unsigned char[]> _buffer;
    SQInteger _capacity = 0;
    SQInteger _size = 0;
    SQInteger _position = 0;
};

SQBlob* GetBlob(HSQUIRRELVM v, SQInteger idx) {
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, kBlobTag)) || !p) return nullptr;
    return static_cast<SQBlob*>(static_cast<SQStream*>(p));
}

SQBlob* Self(HSQUIRRELVM v) {
    SQBlob* blob = GetBlob(v, 1);
    if (!blob) sq_throwerror(v, "invalid blob object");
    return blob;
}

// The script error for a size no blob may have, or null.
const SQChar* SizeError(SQInteger size) {
    if (size < 0) return "negative size";
    if (size > sqstdMaxBlobSize) return "the blob is too large";
    return nullptr;
}

SQInteger ReleaseBlob(SQUserPointer p, SQInteger) {
    delete static_cast<SQStream*>(p);
    return 1;
}

// Gives the instance at idx a fresh blob of size bytes, or raises a script error.
SQInteger Attach(HSQUIRRELVM v, SQInteger size) {
    if (GetBlob(v, 1)) return sq_throwerror(v, "the blob is already constructed");
    if (const SQChar* error = SizeError(size)) return sq_throwerror(v, error);
    auto blob = std::make_unique<SQBlob>();
    if (!blob->Init(size)) return sq_throwerror(v, "out of memory: the blob is too large");
    sq_setinstanceup(v, 1, static_cast<SQStream*>(blob.release()));
    sq_setreleasehook(v, 1, ReleaseBlob);
    return 0;
}

SQInteger BlobConstructor(HSQUIRRELVM v) {
    SQInteger size = 0;
    if (sq_gettop(v) > 1) sq_getinteger(v, 2, &size);
    return Attach(v, size);
}

SQInteger BlobResize(HSQUIRRELVM v) {
    SQBlob* blob = Self(v);
    if (!blob) return SQ_ERROR;
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (const SQChar* error = SizeError(size)) return sq_throwerror(v, error);
    if (!blob->Resize(size)) return sq_throwerror(v, "out of memory: the blob is too large");
    return 0;
}

template <typename T>
T SwapBytes(T value) {
    unsigned char bytes[sizeof(T)];
    memcpy(bytes, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    memcpy(&value, bytes, sizeof(T));
    return value;
}

// Swaps each whole unit; a trailing partial unit is left as it is.
template <typename T>
SQInteger BlobSwap(HSQUIRRELVM v) {
    SQBlob* blob = Self(v);
    if (!blob) return SQ_ERROR;
    SQInteger units = blob->Len() / (SQInteger)sizeof(T);
    unsigned char* p = blob->Data();
    for (SQInteger i = 0; i < units; ++i, p += sizeof(T)) {
        T unit;
        memcpy(&unit, p, sizeof(T));
        unit = SwapBytes(unit);
        memcpy(p, &unit, sizeof(T));
    }
    return 0;
}

// The byte the key at 2 names, or null with the error raised. Keys that are no integers are
// not found (a null is thrown), so the class's own members and the usual "index does not
// exist" error still apply.
unsigned char* IndexedByte(HSQUIRRELVM v) {
    SQBlob* blob = Self(v);
    if (!blob) return nullptr;
    if (sq_gettype(v, 2) != OT_INTEGER) {
        sq_pushnull(v);
        sq_throwobject(v);
        return nullptr;
    }
    SQInteger index = 0;
    sq_getinteger(v, 2, &index);
    if (index < 0 || index >= blob->Len()) {
        sq_throwerror(v, "index out of range");
        return nullptr;
    }
    return blob->Data() + index;
}

SQInteger BlobGet(HSQUIRRELVM v) {
    unsigned char* byte = IndexedByte(v);
    if (!byte) return SQ_ERROR;
    sq_pushinteger(v, *byte);
    return 1;
}

SQInteger BlobSet(HSQUIRRELVM v) {
    unsigned char* byte = IndexedByte(v);
    if (!byte) return SQ_ERROR;
    SQInteger value = 0;
    if (SQ_FAILED(sq_getinteger(v, 3, &value))) return sq_throwerror(v, "the value must be a number");
    *byte = (unsigned char)value;
    sq_push(v, 3);
    return 1;
}

SQInteger BlobTypeOf(HSQUIRRELVM v) {
    sq_pushstring(v, "blob", -1);
    return 1;
}

SQInteger BlobNextIndex(HSQUIRRELVM v) {
    SQBlob* blob = Self(v);
    if (!blob) return SQ_ERROR;
    SQInteger next = 0;
    if (sq_gettype(v, 2) != OT_NULL) {
        sq_getinteger(v, 2, &next);
        ++next;
    }
    if (next >= blob->Len()) return 0;
    sq_pushinteger(v, next);
    return 1;
}

SQInteger BlobCloned(HSQUIRRELVM v) {
    SQBlob* original = GetBlob(v, 2);
    if (!original) return sq_throwerror(v, "invalid blob object");
    if (SQ_FAILED(Attach(v, original->Len()))) return SQ_ERROR;
    SQBlob* copy = GetBlob(v, 1);
    memcpy(copy->Data(), original->Data(), (size_t)original->Len());
    return 0;
}

const SQRegFunction kBlobMethods[] = {
    {"constructor", BlobConstructor, -1, "xn"},
    {"resize", BlobResize, 2, "xn"},
    {"swap2", BlobSwap<uint16_t>, 1, "x"},
    {"swap4", BlobSwap<uint32_t>, 1, "x"},
    {"_get", BlobGet, 2, "x."},
    {"_set", BlobSet, 3, "x.."},
    {"_typeof", BlobTypeOf, 1, "x"},
    {"_nexti", BlobNextIndex, 2, "x."},
    {"_cloned", BlobCloned, 2, "xx"},
    {nullptr, nullptr, 0, nullptr}};

SQInteger CastFloatToInteger(HSQUIRRELVM v) {
    SQFloat f = 0;
    sq_getfloat(v, 2, &f);
    SQInteger i;
    memcpy(&i, &f, sizeof(i));
    sq_pushinteger(v, i);
    return 1;
}

SQInteger CastIntegerToFloat(HSQUIRRELVM v) {
    SQInteger i = 0;
    sq_getinteger(v, 2, &i);
    SQFloat f;
    memcpy(&f, &i, sizeof(f));
    sq_pushfloat(v, f);
    return 1;
}

// The 16-bit result is signed, as a short read back with readn('s') would be.
SQInteger Swap2(HSQUIRRELVM v) {
    SQInteger i = 0;
    sq_getinteger(v, 2, &i);
    sq_pushinteger(v, SwapBytes((uint16_t)i));
    return 1;
}

SQInteger Swap4(HSQUIRRELVM v) {
    SQInteger i = 0;
    sq_getinteger(v, 2, &i);
    sq_pushinteger(v, (SQInteger)SwapBytes((uint32_t)i));
    return 1;
}

SQInteger SwapFloat(HSQUIRRELVM v) {
    SQFloat f = 0;
    sq_getfloat(v, 2, &f);
    sq_pushfloat(v, SwapBytes(f));
    return 1;
}

const SQRegFunction kBlobFunctions[] = {
    {"castf2i", CastFloatToInteger, 2, ".n"},
    {"casti2f", CastIntegerToFloat, 2, ".n"},
    {"swap2", Swap2, 2, ".n"},
    {"swap4", Swap4, 2, ".n"},
    {"swapfloat", SwapFloat, 2, ".n"},
    {nullptr, nullptr, 0, nullptr}};

}  // namespace

SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer* ptr) {
    SQBlob* blob = GetBlob(v, idx);
    if (!blob) return sq_throwerror(v, "invalid blob object");
    *ptr = blob->Data();
    return SQ_OK;
}

SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx) {
    SQBlob* blob = GetBlob(v, idx);
    return blob ? blob->Len() : -1;
}

SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size) {
    SQInteger top = sq_gettop(v);
    if (SQ_FAILED(sqstdPushFromRegistry(v, kBlobClassKey))) return nullptr;
    sq_pushroottable(v);
    sq_pushinteger(v, size);
    if (SQ_FAILED(sq_call(v, 2, SQTrue, SQFalse))) {
        sq_settop(v, top);
        return nullptr;
    }
    sq_remove(v, -2);
    SQUserPointer data = nullptr;
    if (SQ_FAILED(sqstd_getblob(v, -1, &data))) {
        sq_settop(v, top);
        return nullptr;
    }
    return data;
}

SQRESULT sqstd_register_bloblib(HSQUIRRELVM v) {
    SQInteger table = sqstdAbsoluteIndex(v, -1);
    if (SQ_FAILED(sqstdPushStreamClass(v))) return SQ_ERROR;
    if (SQ_FAILED(sqstdNewClass(v, SQTrue, kBlobTag, kBlobMethods))) return SQ_ERROR;
    if (SQ_FAILED(sqstdStoreInRegistry(v, kBlobClassKey)) || SQ_FAILED(sqstdSetSlot(v, table, "blob"))) {
        sq_settop(v, table);
        return SQ_ERROR;
    }
    return sqstdRegisterFunctions(v, table, kBlobFunctions);
}
