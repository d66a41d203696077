#include "geometry/nTexture.h"

#include "core/base/nMemory.h"
#include "render/nCoreEventData.h"
#include "render/nEngineServices.h"

void* nTexture::operator new(size_t size) noexcept
{
    return MemAllocTexture(size);
}

void nTexture::operator delete(void* memory) noexcept
{
    MemFreeTexture(memory);
}

nTexture::nTexture(nEngineServices* owner, uint32_t creationWord, uint32_t gpuPixelFormat)
    : m_gpuPixelFormat(gpuPixelFormat), m_creationWord(creationWord), m_owner(owner)
{
}

nTexture::~nTexture()
{
    nCoreEventData data(this);
    if (m_owner)
        m_owner->SendCoreMessage(CoreMessageResourceDestroying, &data);
    m_renderData = nullptr;
    if (m_owner)
        m_owner->SendCoreMessage(CoreMessageResourceDestroyed, &data);
    FreeBuffer(); // here, while FreeBlock still returns the pixels to the texture category
}

uint8_t* nTexture::AllocBlock(size_t bytes)
{
    return static_cast<uint8_t*>(MemNew(bytes, MemCategoryTexture));
}

void nTexture::FreeBlock(uint8_t* block)
{
    if (block)
        MemDelete(block, MemCategoryTexture);
}

void nTexture::SetGPURenderTarget(bool on)
{
    if (on)
        m_textureFlags |= TextureGPURenderTarget;
    else
        m_textureFlags &= ~uint32_t(TextureGPURenderTarget);
}
