#pragma once

#include "core/base/nLinkedListId.h"
#include "core/nml/nMetaTagValue.h"

#include <cstddef>
#include <cstdint>

class nMetaTag;

enum nMetaBinaryEncoding : uint32_t
{
    MetaBinaryEncodingUU = 0,
    MetaBinaryEncodingYEnc = 1,
};

// An NML document: ordered owned root tags, the encoding its Binary values are written in and the
// path it was loaded from (empty for a document built in memory).
class nMetaFile
{
public:
    nMetaFile() = default;
    nMetaFile(const nMetaFile&) = delete;
    nMetaFile& operator=(const nMetaFile&) = delete;
    virtual ~nMetaFile();

    // Deletes every root and forgets the file name.
    void Clear();

    nMetaTag* AddRoot(nMetaTag* tag);
    nMetaTag* AddRoot(const char* name);
    nMetaTag* AddRootBool(const char* name, bool value);
    nMetaTag* AddRootInt(const char* name, int32_t value);
    nMetaTag* AddRootFloat(const char* name, float value);
    nMetaTag* AddRootString(const char* name, const char* text);
    nMetaTag* AddRootBinary(const char* name, const void* data, uint32_t size);
    // Unlinks without deleting; the caller takes the tag.
    bool RemoveRoot(nMetaTag* tag);

    nMetaTag* GetTypedTag(const char* path, nMetaTagType type, bool verbose = false) const;
    // The value at the path when its kind is exactly the getter's; else the default.
    bool GetBool(const char* path, bool defaultValue, bool verbose = false) const;
    int32_t GetInt(const char* path, int32_t defaultValue, bool verbose = false) const;
    float GetFloat(const char* path, float defaultValue, bool verbose = false) const;
    nString GetString(const char* path, const char* defaultValue, bool verbose = false) const;
    nMetaTag* GetNextRoot(nLinkedListIterator& iterator) const;

    const nLinkedListId& GetRoots() const { return m_roots; }
    nLinkedListId& GetRoots() { return m_roots; }
    uint32_t GetBinaryEncoding() const { return m_binaryEncoding; }
    void SetBinaryEncoding(uint32_t encoding) { m_binaryEncoding = encoding; }
    const nString& GetFileName() const { return m_fileName; }
    void SetFileName(const char* path) { m_fileName = path; }

    // A new document (yEnc) with a deep clone of every root.
    nMetaFile* Clone() const;

    // Reads and parses the file at a virtual path; the path becomes the file name.
    bool Load(const char* path);
    // A new document loaded from the path, or null.
    static nMetaFile* Open(const char* path);
    // Replaces the roots with those of the text; the file name stays for the messages. On failure
    // the roots read before the failing one stay.
    bool Parse(const char* text, size_t length);
    // Writes the document as NML text to a virtual path; the target is not touched when a tag
    // cannot be written.
    bool Save(const char* path) const;

private:
    nLinkedListId m_roots;
    uint32_t m_binaryEncoding = MetaBinaryEncodingYEnc;
    nString m_fileName;
};
