#pragma once

class nMetaFile;
class nMetaTag;

// Base of every object stored as a whole NML file. A derived class reads itself from one tag and
// builds one tag describing itself; loading, saving, parsing and serializing are the same for all.
class nMetaObject
{
public:
    virtual ~nMetaObject() = default;

    virtual bool ParseTag(nMetaFile& file, nMetaTag& tag) = 0;
    // A new tag, not yet linked anywhere, or null.
    virtual nMetaTag* SerializeTag(nMetaFile& file) = 0;

    virtual bool Serialize(nMetaFile& file);
    virtual bool Save(const char* path);
    // Reads the first root; other roots are ignored.
    virtual bool Parse(nMetaFile& file);
    virtual bool Load(const char* path);
};
