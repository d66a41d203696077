#pragma once

#include "core/base/nAutoArray.h"
#include "core/base/nList.h"
#include "platform/nstring/nString.h"

#include <cstdint>

class nIOHandle;
class nPicture;

// A named reader, and optionally writer, of one family of picture formats. Load leaves the
// picture as it was when it refuses the file.
class nPictureIOCodec
{
public:
    nPictureIOCodec(const char* name, const char* description, int32_t kind)
        : m_name(name), m_description(description), m_kind(kind)
    {
    }
    nPictureIOCodec(const nPictureIOCodec&) = delete;
    nPictureIOCodec& operator=(const nPictureIOCodec&) = delete;

    virtual bool CanLoad() const { return true; }
    virtual bool CanSave() const { return true; }
    virtual bool Load(nIOHandle* handle, nPicture& picture) = 0;
    virtual bool Save(nIOHandle* handle, const nPicture& picture);
    virtual ~nPictureIOCodec() = default;

    const nString& GetName() const { return m_name; }
    const nString& GetDescription() const { return m_description; }
    int32_t GetKind() const { return m_kind; }

protected:
    // The whole file from its start, or false after a log line that names the codec.
    static bool ReadWholeFile(nIOHandle* handle, const char* codec, nAutoArray<uint8_t>& file);

private:
    nString m_name;
    nString m_description;
    int32_t m_kind;
};

// The process-wide codec list, in registration order; it owns the codecs it accepted. A refused
// codec (its name is taken) stays with the caller.
bool PictureRegisterIOCodec(nPictureIOCodec* codec, bool log);
nPictureIOCodec* PictureFindIOCodec(const char* name);
void PictureRegisterIOCodecs();
const nList<nPictureIOCodec*>& PictureGetIOCodecs();
