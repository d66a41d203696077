#include "engine/Quenvar.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "engine/resources/nResourceLoader.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"

namespace
{
// The ".nmd" document beside a texture file says whether it is drawn into; a key it lacks clears
// its flag. A missing or unreadable document changes nothing.
void ReadTextureSideFile(nTexture& texture, const nString& name)
{
    const nString sidePath = name + ".nmd";
    if (!nPlatform::Get().GetIOSystem().Exists(sidePath))
        return;
    nMetaFile document;
    if (!document.Load(sidePath.GetText()))
        return;
    uint32_t flags = texture.GetTextureFlags() &
                     ~uint32_t(nTexture::TextureCPURenderTarget | nTexture::TextureGPURenderTarget);
    if (document.GetBool("CPURenderTarget", false))
        flags |= nTexture::TextureCPURenderTarget;
    if (document.GetBool("GPURenderTarget", false))
        flags |= nTexture::TextureGPURenderTarget;
    texture.SetTextureFlags(flags);
}
}

nTexture* Quenvar::LoadTexture(const char* path, bool cpuOnly, bool bypassCache)
{
    nResourceList<nTexture>* list = bypassCache ? nullptr : &m_currentCache->GetTextureList(cpuOnly);
    nTexture* texture = LoadResource(*this, path, list, m_textureNotFound, nCacheAdd::Append, [this](const nString& name) {
        auto* created = new nTexture(this, 0, 0);
        if (created && SetTextureContent(created, name.GetText()))
            return created;
        delete created;
        return static_cast<nTexture*>(nullptr);
    });
    if (!texture)
        return nullptr;
    if (!texture->GetRenderData())
    {
        ReadTextureSideFile(*texture, texture->GetName());
        if (m_setupOnLoad && !cpuOnly)
            texture->SetRenderData(m_renderer->SetupTexture(texture));
    }
    if (m_textureLoaded)
        m_textureLoaded(texture);
    return texture;
}

bool Quenvar::SetTextureContent(nTexture* texture, const char* path)
{
    if (!texture || !path)
    {
        nLogHolder::Get() << "[!] No texture or path to set texture content.\n";
        return false;
    }
    const nString name(path);
    texture->SetName(name);
    texture->SetRenderData(m_renderer->LoadTexture(name));
    if (texture->GetRenderData())
        return true;
    return nPicture::Load(*texture, name);
}
