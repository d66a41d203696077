#include "engine/Quenvar.h"

#include "core/picture/nPicture.h"
#include "engine/resources/nResourceLoader.h"

// Pictures keep the engine's standard 32-bit layout (BGRA8), also when the cache answers.
nPicture* Quenvar::LoadPicture(const char* path, bool bypassCache)
{
    nResourceList<nPicture>* list = bypassCache ? nullptr : &m_currentCache->GetPictureList();
    nPicture* picture = LoadResource(*this, path, list, nullptr, nCacheAdd::Append,
                                     [](const nString& name)
                                     {
                                         auto* loaded = new nPicture();
                                         if (loaded && nPicture::Load(*loaded, name))
                                             return loaded;
                                         delete loaded;
                                         return static_cast<nPicture*>(nullptr);
                                     });
    if (!picture)
        return nullptr;
    if (m_pictureLoaded)
        m_pictureLoaded(picture);
    if (picture->GetFormat() != PixelFormatBGRA8)
        picture->Convert(PixelFormatBGRA8);
    return picture;
}

bool Quenvar::UnloadBitmap(const char* path)
{
    return path && PictureCacheUnregister(m_currentCache->GetPictureList(), nString(path));
}
