#include "squirrel/sqstdstream.h"

#include "squirrel/sqstdblob.h"
#include "squirrel/sqstdregister.h"

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

static int kStreamTagAnchor;
const SQUserPointer sqstdStreamTag = &kStreamTagAnchor;

SQStream* sqstdGetStream(HSQUIRRELVM v, SQInteger idx) {
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, sqstdStreamTag)) || !p) {
        sq_throwerror(v, "invalid stream object");
        return nullptr;
    }
    SQStream* stream = static_cast<SQStream*>(p);
    if (!stream->IsValid()) {
        sq_throwerror(v, "the stream is closed");
        return nullptr;
    }
    return stream;
}

namespace {

// A number cut short by the end of the stream is not consumed: the position goes back.
SQInteger ReadExactly(HSQUIRRELVM v, SQStream* s, void* buffer, SQInteger size) {
    SQInteger got = s->Read(buffer, size);
    if (got == size) return SQ_OK;
    if (got > 0) s->Seek(-got, 'c');
    return sq_throwerror(v, "io error");
}

template <typename T>
SQInteger ReadInteger(HSQUIRRELVM v, SQStream* s) {
    T value;
    if (SQ_FAILED(ReadExactly(v, s, &value, sizeof(value)))) return SQ_ERROR;
    sq_pushinteger(v, (SQInteger)value);
    return 1;
}

// A double beyond the range of the script float becomes an infinity rather than an undefined
// conversion.
SQFloat ToScriptFloat(double value) {
    if (value > FLT_MAX) return std::numeric_limits<SQFloat>::infinity();
    if (value < -FLT_MAX) return -std::numeric_limits<SQFloat>::infinity();
    return (SQFloat)value;
}

template <typename T>
SQInteger ReadFloat(HSQUIRRELVM v, SQStream* s) {
    T value;
    if (SQ_FAILED(ReadExactly(v, s, &value, sizeof(value)))) return SQ_ERROR;
    sq_pushfloat(v, ToScriptFloat(value));
    return 1;
}

// 'l' is the size of the script integer: 32 bits in this build.
SQInteger StreamReadN(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    SQInteger format = 0;
    sq_getinteger(v, 2, &format);
    switch (format) {
    case 'l':
    case 'i': return ReadInteger<int32_t>(v, s);
    case 's': return ReadInteger<int16_t>(v, s);
    case 'w': return ReadInteger<uint16_t>(v, s);
    case 'c': return ReadInteger<int8_t>(v, s);
    case 'b': return ReadInteger<uint8_t>(v, s);
    case 'f': return ReadFloat<float>(v, s);
    case 'd': return ReadFloat<double>(v, s);
    default: return sq_throwerror(v, "invalid format");
    }
}

template <typename T>
SQInteger WriteValue(HSQUIRRELVM v, SQStream* s, T value) {
    if (s->Write(&value, sizeof(value)) != (SQInteger)sizeof(value)) return sq_throwerror(v, "io error: write failed");
    return 0;
}

SQInteger StreamWriteN(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    SQInteger format = 0;
    sq_getinteger(v, 3, &format);
    SQInteger i = 0;
    SQFloat f = 0;
    sq_getinteger(v, 2, &i);
    sq_getfloat(v, 2, &f);
    switch (format) {
    case 'l':
    case 'i': return WriteValue<int32_t>(v, s, i);
    case 's': return WriteValue<int16_t>(v, s, (int16_t)i);
    case 'w': return WriteValue<uint16_t>(v, s, (uint16_t)i);
    case 'c': return WriteValue<int8_t>(v, s, (int8_t)i);
    case 'b': return WriteValue<uint8_t>(v, s, (uint8_t)i);
    case 'f': return WriteValue<float>(v, s, f);
    case 'd': return WriteValue<double>(v, s, (double)f);
    default: return sq_throwerror(v, "invalid format");
    }
}

// A short read gives a shorter blob; reading nothing at all (past the end) is an error. The
// data is gathered in chunks so that a huge size costs nothing unless the data is there.
SQInteger StreamReadBlob(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "negative size");
    if (size > sqstdMaxBlobSize) return sq_throwerror(v, "the blob is too large");
    constexpr SQInteger kChunk = 65536;
    std::vector<unsigned char> data;
    while ((SQInteger)data.size() < size) {
        SQInteger want = size - (SQInteger)data.size();
        if (want > kChunk) want = kChunk;
        size_t old = data.size();
        data.resize(old + (size_t)want);
        SQInteger got = s->Read(data.data() + old, want);
        data.resize(old + (size_t)(got > 0 ? got : 0));
        if (got < want) break;
    }
    if (size > 0 && data.empty()) return sq_throwerror(v, "io error");
    SQUserPointer blob = sqstd_createblob(v, (SQInteger)data.size());
    if (!blob) return SQ_ERROR;
    if (!data.empty()) memcpy(blob, data.data(), data.size());
    return 1;
}

SQInteger StreamWriteBlob(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    SQUserPointer data = nullptr;
    if (SQ_FAILED(sqstd_getblob(v, 2, &data))) return sq_throwerror(v, "blob expected");
    SQInteger size = sqstd_getblobsize(v, 2);
    if (s->Write(data, size) != size) return sq_throwerror(v, "io error: write failed");
    return 0;
}

SQInteger StreamSeek(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    SQInteger offset = 0;
    SQInteger origin = 'b';
    sq_getinteger(v, 2, &offset);
    if (sq_gettop(v) > 2) sq_getinteger(v, 3, &origin);
    if (origin != 'b' && origin != 'c' && origin != 'e') return sq_throwerror(v, "invalid origin");
    // Scripts test the answer: 0 on success, -1 for a position outside the stream.
    sq_pushinteger(v, s->Seek(offset, origin) ? 0 : -1);
    return 1;
}

SQInteger StreamTell(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    sq_pushinteger(v, s->Tell());
    return 1;
}

SQInteger StreamLen(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    sq_pushinteger(v, s->Len());
    return 1;
}

SQInteger StreamEOS(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    if (!s->EOS()) return 0;
    sq_pushinteger(v, 1);
    return 1;
}

SQInteger StreamFlush(HSQUIRRELVM v) {
    SQStream* s = sqstdGetStream(v, 1);
    if (!s) return SQ_ERROR;
    if (!s->Flush()) return 0;
    sq_pushinteger(v, 1);
    return 1;
}

const SQRegFunction kStreamMethods[] = {
    {"readn", StreamReadN, 2, "xn"},
    {"writen", StreamWriteN, 3, "xnn"},
    {"readblob", StreamReadBlob, 2, "xn"},
    {"writeblob", StreamWriteBlob, 2, "xx"},
    {"seek", StreamSeek, -2, "xnn"},
    {"tell", StreamTell, 1, "x"},
    {"len", StreamLen, 1, "x"},
    {"eos", StreamEOS, 1, "x"},
    {"flush", StreamFlush, 1, "x"},
    {nullptr, nullptr, 0, nullptr}};

}  // namespace

SQRESULT sqstdPushStreamClass(HSQUIRRELVM v) {
    static const SQChar* const kRegistryKey = "sqstd.stream";
    if (SQ_SUCCEEDED(sqstdPushFromRegistry(v, kRegistryKey))) return SQ_OK;
    sq_reseterror(v);
    if (SQ_FAILED(sqstdNewClass(v, SQFalse, sqstdStreamTag, kStreamMethods))) return SQ_ERROR;
    if (SQ_FAILED(sqstdStoreInRegistry(v, kRegistryKey))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    return SQ_OK;
}
