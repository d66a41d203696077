#include "core/picture/nPicture.h"

#include "core/base/nLog.h"
#include "core/io/nIOHandle.h"
#include "core/io/nIOSystem.h"
#include "core/picture/nPictureIOCodec.h"
#include "platform/nPlatform.h"

#include <memory>

bool nPicture::LoadFromHandle(nPicture& picture, nIOHandle* handle)
{
    if (!handle)
        return false;
    // Every reader would refuse an empty file, some with a misleading line of their own.
    if (handle->GetSize() == 0)
    {
        nLog& log = nLogHolder::Get() << "[!] Picture file";
        if (!picture.GetName().IsEmpty())
            log << " '" << picture.GetName() << "'";
        log << " is empty.\n";
        return false;
    }
    if (ReadTGA(picture, handle))
        return true;
    nListIterator<nPictureIOCodec*> iterator;
    while (nPictureIOCodec* codec = PictureGetIOCodecs().Next(iterator))
        if (codec->Load(handle, picture))
            return true;
    // The readers say why only for some refusals (an RLE-compressed BMP passes in silence), and
    // none names the file.
    if (!picture.GetName().IsEmpty())
        nLogHolder::Get() << "[!] Picture file '" << picture.GetName() << "' could not be read.\n";
    return false;
}

bool nPicture::Load(nPicture& picture, const nString& path)
{
    std::unique_ptr<nIOHandle> handle(nPlatform::Get().GetIOSystem().Open(path, IOModeRead));
    if (!handle)
        return false;
    picture.SetName(path);
    return LoadFromHandle(picture, handle.get());
}
