#pragma once

#include "squirrel/squirrel.h"

// A byte stream behind a script object (a blob or a file). The natives shared by both
// classes (readn, writen, readblob, writeblob, seek, tell, len, eos, flush) work on this
// interface; each class supplies its own storage.
class SQStream {
public:
    virtual ~SQStream() = default;
    // Both answer the number of bytes moved, which is short at the end of the data or on error.
    virtual SQInteger Read(void* buffer, SQInteger size) = 0;
    virtual SQInteger Write(const void* buffer, SQInteger size) = 0;
    virtual bool Flush() = 0;
    virtual SQInteger Tell() = 0;
    virtual SQInteger Len() = 0;
    // origin is 'b' (beginning), 'c' (current position) or 'e' (end); false when refused.
    virtual bool Seek(SQInteger offset, SQInteger origin) = 0;
    virtual bool EOS() = 0;
    // False once the stream can no longer be used (a closed file).
    virtual bool IsValid() const = 0;
};

// Type tag of the native base class of blob and file.
extern const SQUserPointer sqstdStreamTag;

// Pushes the stream base class, the native base of blob and file, creating it (and keeping it
// in the registry) on first use.
SQRESULT sqstdPushStreamClass(HSQUIRRELVM v);

// The stream behind the instance at idx; raises a script error and answers null when the
// object is no stream or its stream is unusable.
SQStream* sqstdGetStream(HSQUIRRELVM v, SQInteger idx);
