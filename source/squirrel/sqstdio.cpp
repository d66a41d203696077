#include "squirrel/sqstdio.h"

#include "squirrel/sqstdregister.h"
#include "squirrel/sqstdstream.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

int kFileTagAnchor;
const SQUserPointer kFileTag = &kFileTagAnchor;
const SQChar* const kFileClassKey = "sqstd.file";

class SQFileStream final : public SQStream {
public:
    SQFileStream(FILE* handle, bool owns) : _handle(handle), _owns(owns) {}
    ~SQFileStream() override { Close(); }

    FILE* Handle() const { return _handle; }

    // A stream the object does not own (the console) is only detached.
    void Close() {
        if (_handle && _owns) fclose(_handle);
        _handle = nullptr;
    }

    SQInteger Read(void* buffer, SQInteger size) override {
        return size > 0 ? (SQInteger)fread(buffer, 1, (size_t)size, _handle) : 0;
    }
    SQInteger Write(const void* buffer, SQInteger size) override {
        return size > 0 ? (SQInteger)fwrite(buffer, 1, (size_t)size, _handle) : 0;
    }
    bool Flush() override { return fflush(_handle) == 0; }
    SQInteger Tell() override { return (SQInteger)ftell(_handle); }

    SQInteger Len() override {
        long position = ftell(_handle);
        if (position < 0 || fseek(_handle, 0, SEEK_END) != 0) return -1;
        long length = ftell(_handle);
        fseek(_handle, position, SEEK_SET);
        return (SQInteger)length;
    }

    bool Seek(SQInteger offset, SQInteger origin) override {
        int whence = origin == 'b' ? SEEK_SET : origin == 'c' ? SEEK_CUR : SEEK_END;
        return fseek(_handle, offset, whence) == 0;
    }

    // A seekable file is at its end when the position reaches the length, which holds before
    // a read fails; a pipe or console only knows after a read hit the end.
    bool EOS() override {
        SQInteger position = Tell();
        SQInteger length = position >= 0 ? Len() : -1;
        if (length >= 0) return position >= length;
        return feof(_handle) != 0;
    }

    bool IsValid() const override { return _handle != nullptr; }

private:
    FILE* _handle;
    bool _owns;
};

SQFileStream* GetFile(HSQUIRRELVM v, SQInteger idx) {
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, kFileTag)) || !p) return nullptr;
    return static_cast<SQFileStream*>(static_cast<SQStream*>(p));
}

SQInteger ReleaseFile(SQUserPointer p, SQInteger) {
    delete static_cast<SQStream*>(p);
    return 1;
}

SQRESULT Attach(HSQUIRRELVM v, SQInteger idx, FILE* handle, bool owns) {
    sq_setinstanceup(v, idx, static_cast<SQStream*>(new SQFileStream(handle, owns)));
    sq_setreleasehook(v, idx, ReleaseFile);
    return SQ_OK;
}

// fopen's modes: r, w or a, then at most one '+' and the binary or text letters.
bool IsValidMode(const SQChar* mode) {
    if (*mode != 'r' && *mode != 'w' && *mode != 'a') return false;
    int plus = 0;
    for (const SQChar* p = mode + 1; *p; ++p) {
        if (*p == '+') {
            ++plus;
        } else if (*p != 'b' && *p != 't') {
            return false;
        }
    }
    return plus <= 1 && strlen(mode) <= 4;
}

SQInteger FileConstructor(HSQUIRRELVM v) {
    if (GetFile(v, 1)) return sq_throwerror(v, "the file is already constructed");
    const SQChar* path = "";
    const SQChar* mode = "";
    sq_getstring(v, 2, &path);
    sq_getstring(v, 3, &mode);
    if (!IsValidMode(mode)) return sq_throwerror(v, "cannot open file");
    FILE* handle = fopen(path, mode);
    if (!handle) return sq_throwerror(v, "cannot open file");
    return Attach(v, 1, handle, true);
}

SQInteger FileClose(HSQUIRRELVM v) {
    SQFileStream* file = GetFile(v, 1);
    if (!file) return sq_throwerror(v, "invalid file object");
    file->Close();
    return 0;
}

SQInteger FileTypeOf(HSQUIRRELVM v) {
    sq_pushstring(v, "file", -1);
    return 1;
}

const SQRegFunction kFileMethods[] = {
    {"constructor", FileConstructor, 3, "xss"},
    {"close", FileClose, 1, "x"},
    {"_typeof", FileTypeOf, 1, "x"},
    {nullptr, nullptr, 0, nullptr}};

SQInteger LoadFile(HSQUIRRELVM v) {
    const SQChar* path = "";
    SQBool raise = SQFalse;
    sq_getstring(v, 2, &path);
    if (sq_gettop(v) > 2) sq_tobool(v, 3, &raise);
    if (SQ_FAILED(sqstd_loadfile(v, path, raise))) return SQ_ERROR;
    return 1;
}

SQInteger DoFile(HSQUIRRELVM v) {
    const SQChar* path = "";
    SQBool raise = SQFalse;
    sq_getstring(v, 2, &path);
    if (sq_gettop(v) > 2) sq_tobool(v, 3, &raise);
    sq_push(v, 1);
    if (SQ_FAILED(sqstd_dofile(v, path, SQTrue, raise))) return SQ_ERROR;
    return 1;
}

SQInteger WriteClosureToFile(HSQUIRRELVM v) {
    const SQChar* path = "";
    sq_getstring(v, 2, &path);
    sq_push(v, 3);
    return sqstd_writeclosuretofile(v, path);
}

const SQRegFunction kIoFunctions[] = {
    {"loadfile", LoadFile, -2, ".sb"},
    {"dofile", DoFile, -2, ".sb"},
    {"writeclosuretofile", WriteClosureToFile, 3, ".sc"},
    {nullptr, nullptr, 0, nullptr}};

// A device or a huge file given as a script would otherwise be read without end.
constexpr size_t kMaxScriptFile = 1 << 26;

// Null when the whole file was read, else the start of the error message (the path follows).
const SQChar* ReadWholeFile(const SQChar* path, std::string& text) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path, "rb"), fclose);
    if (!file) return "cannot open the file ";
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof(chunk), file.get())) > 0) {
        if (text.size() + n > kMaxScriptFile) return "the script file is too large: ";
        text.append(chunk, n);
    }
    return ferror(file.get()) ? "cannot open the file " : nullptr;
}

// Compiled files begin with this two-byte tag.
bool IsBytecode(const std::string& text) {
    return text.size() >= 2 && (unsigned char)text[0] == 0xFA && (unsigned char)text[1] == 0xFA;
}

SQRESULT RegisterStdStream(HSQUIRRELVM v, SQInteger table, FILE* handle, const SQChar* name) {
    if (SQ_FAILED(sqstd_createfile(v, handle, SQFalse))) return SQ_ERROR;
    return sqstdSetSlot(v, table, name);
}

}  // namespace

SQRESULT sqstd_createfile(HSQUIRRELVM v, SQFILE file, SQBool owns) {
    if (!file) return sq_throwerror(v, "invalid file handle");
    if (SQ_FAILED(sqstdPushFromRegistry(v, kFileClassKey))) return SQ_ERROR;
    if (SQ_FAILED(sq_createinstance(v, -1))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    sq_remove(v, -2);
    return Attach(v, sq_gettop(v), static_cast<FILE*>(file), owns != 0);
}

SQRESULT sqstd_getfile(HSQUIRRELVM v, SQInteger idx, SQFILE* file) {
    SQFileStream* stream = GetFile(v, idx);
    if (!stream) return sq_throwerror(v, "invalid file object");
    *file = stream->Handle();
    return SQ_OK;
}

SQRESULT sqstd_loadfile(HSQUIRRELVM v, const SQChar* filename, SQBool printerror) {
    std::string text;
    if (const SQChar* error = ReadWholeFile(filename, text)) return sq_throwerror(v, (std::string(error) + filename).c_str());
    if (IsBytecode(text)) return sq_throwerror(v, "bytecode is not supported");
    return sq_compilebuffer(v, text.data(), (SQInteger)text.size(), filename, printerror);
}

SQRESULT sqstd_dofile(HSQUIRRELVM v, const SQChar* filename, SQBool retval, SQBool printerror) {
    if (SQ_FAILED(sqstd_loadfile(v, filename, printerror))) return SQ_ERROR;
    sq_push(v, -2);
    if (SQ_FAILED(sq_call(v, 1, retval, SQTrue))) {
        sq_poptop(v);
        return SQ_ERROR;
    }
    if (retval) sq_remove(v, -2);
    else sq_poptop(v);
    return SQ_OK;
}

SQRESULT sqstd_writeclosuretofile(HSQUIRRELVM v, const SQChar*) {
    return sq_throwerror(v, "bytecode is not supported");
}

SQRESULT sqstd_register_iolib(HSQUIRRELVM v) {
    SQInteger table = sqstdAbsoluteIndex(v, -1);
    if (SQ_FAILED(sqstdPushStreamClass(v))) return SQ_ERROR;
    if (SQ_FAILED(sqstdNewClass(v, SQTrue, kFileTag, kFileMethods))) return SQ_ERROR;
    if (SQ_FAILED(sqstdStoreInRegistry(v, kFileClassKey)) || SQ_FAILED(sqstdSetSlot(v, table, "file"))) {
        sq_settop(v, table);
        return SQ_ERROR;
    }
    if (SQ_FAILED(sqstdRegisterFunctions(v, table, kIoFunctions))) return SQ_ERROR;
    if (SQ_FAILED(RegisterStdStream(v, table, stdin, "stdin")) ||
        SQ_FAILED(RegisterStdStream(v, table, stdout, "stdout")) ||
        SQ_FAILED(RegisterStdStream(v, table, stderr, "stderr"))) {
        sq_settop(v, table);
        return SQ_ERROR;
    }
    return SQ_OK;
}
