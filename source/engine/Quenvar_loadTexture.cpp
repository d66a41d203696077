#include "engine/Quenvar.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "engine/resources/nResourceLoader.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"
#include "render/nRenderer.h"

namespace
{
// The side file may mark the texture as a render target; a key it lacks clears its flag.
void ReadTextureSideFile(nTexture& texture)
{
    nString path = texture.GetName() + ".nmd";
    nMetaFile side;
    if (!nPlatform::Get().GetIOSystem().Exists(path) || !side.Load(path.GetText()))
        return;
    uint32_t flags = texture.GetTextureFlags() & ~uint32_t(nTexture::TextureCPURenderTarget |
                                                          nTexture::TextureGPURenderTarget);
    if (side.GetBool("CPURenderTarget;", false))
        flags |= nTexture::TextureCPURenderTarget;
    if (side.GetBool("GPURenderTarget;", false))
        flags |= nTexture::TextureGPURenderTarget;
    texture.SetTextureFlags(flags);
}
} // namespace

nTexture* Quenvar::LoadTexture(const char* path, bool cpuOnly, bool bypassCache)
{
    nResourceList<nTexture>* list = bypassCache ? nullptr : &m_currentCache->GetTextureList(cpuOnly);
    nTexture* texture =
        LoadResource(*this, path, list, m_textureNotFound, nCacheAdd::Append, [this](const nString& name) {
            auto* loaded = new nTexture(this, 0, 0);
            if (loaded && SetTextureContent(loaded, name.GetText()))
                return loaded;
            delete loaded;
            return static_cast<nTexture*>(nullptr);
        });
    if (!texture)
        return nullptr;
    if (!texture->GetRenderData())
    {
        ReadTextureSideFile(*texture);
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
        nLogHolder::Get() << "[!] " << "No texture or path to set texture content.\n";
        return false;
    }
    texture->SetName(path);
    texture->SetRenderData(m_renderer->LoadTexture(nString(path)));
    if (texture->GetRenderData())
        return true;
    return nPicture::Load(*texture, path);
}
