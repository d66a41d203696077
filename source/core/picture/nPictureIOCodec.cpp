#include "core/picture/nPictureIOCodec.h"

#include "core/io/nIOHandle.h"
#include "core/base/nLog.h"
#include "core/picture/nPicture.h"
#include "core/picture/nPictureIOJpeglibCodec.h"
#include "core/picture/nPictureIOSTBCodec.h"

namespace
{

// Built on first use and destroyed at process end, which deletes the codecs.
nAutoList<nPictureIOCodec*>& Registry()
{
    static nAutoList<nPictureIOCodec*> codecs;
    return codecs;
}

} // namespace

bool nPictureIOCodec::Save(nIOHandle*, const nPicture&)
{
    return false;
}

bool nPictureIOCodec::ReadWholeFile(nIOHandle* handle, const char* codec, nAutoArray<uint8_t>& file)
{
    const int64_t size = handle->GetSize();
    if (size <= 0 || size > int64_t(nPicture::MaxBlockBytes) || !file.Resize(uint32_t(size)))
    {
        nLogHolder::Get() << "[!] " << codec << ": Failed to allocate " << uint32_t(size > 0 ? size : 0)
                          << " bytes.\n";
        return false;
    }
    handle->Rewind();
    if (handle->Read(file.GetData(), size_t(size)) != size_t(size))
    {
        nLogHolder::Get() << "[!] " << codec << ": Failed to read " << uint32_t(size) << " bytes.\n";
        return false;
    }
    return true;
}

bool PictureRegisterIOCodec(nPictureIOCodec* codec, bool log)
{
    if (!codec || PictureFindIOCodec(codec->GetName().GetText()))
        return false;
    if (!Registry().PushBack(codec))
        return false;
    if (log)
        nLogHolder::Get() << "Codec '" << codec->GetName() << "' registered successfully.\n";
    return true;
}

nPictureIOCodec* PictureFindIOCodec(const char* name)
{
    nListIterator<nPictureIOCodec*> iterator;
    while (nPictureIOCodec* codec = Registry().Next(iterator))
        if (codec->GetName() == name)
            return codec;
    return nullptr;
}

namespace
{

template <typename Codec> void RegisterIfMissing(const char* name)
{
    if (PictureFindIOCodec(name))
        return;
    Codec* codec = new Codec();
    if (!PictureRegisterIOCodec(codec, true))
        delete codec;
}

} // namespace

void PictureRegisterIOCodecs()
{
    nLogHolder::Get() << "Beginning picture I/O codec registration sequence...\n";
    RegisterIfMissing<nPictureIOJpeglibCodec>(nPictureIOJpeglibCodec::Name);
    RegisterIfMissing<nPictureIOSTBCodec>(nPictureIOSTBCodec::Name);
}

const nList<nPictureIOCodec*>& PictureGetIOCodecs()
{
    return Registry();
}
