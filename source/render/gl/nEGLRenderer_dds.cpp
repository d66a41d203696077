#include "render/gl/nEGLRenderer.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "platform/nPlatform.h"
#include "render/gl/nDDSFile.h"
#include "render/gl/nEGLEntryPoints.h"
#include "render/gl/nEGLTexture.h"

namespace
{
// Larger files are refused before they are read.
constexpr uint64_t LargestFile = uint64_t{256} << 20;

void UploadLevel(const nDDSFile& file, uint32_t level, const uint8_t* data)
{
    const nDDSFile::Level& at = file.levels[level];
    const auto width = static_cast<GLsizei>(at.width);
    const auto height = static_cast<GLsizei>(at.height);
    if (file.compressed)
        EGL().CompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), file.internalFormat, width,
                                   height, 0, static_cast<GLsizei>(at.size), data + at.offset);
    else
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(file.internalFormat), width,
                     height, 0, file.dataFormat, file.dataType, data + at.offset);
}
} // namespace

nEGLTexture* nEGLRenderer::LoadDDS(const nString& path)
{
    if (EGL().CompressedTexImage2D == nullptr)
        return nullptr;
    nIOSystem& files = nPlatform::Get().GetIOSystem();
    if (files.GetFileSize(path) > LargestFile)
    {
        nLogHolder::Get() << "[!] DDS '" << path << "' is too large.\n";
        return nullptr;
    }
    nAutoArray<uint8_t> bytes(MemCategoryTexture);
    if (!files.LoadFile(path, bytes))
        return nullptr;

    nDDSFile file;
    switch (file.Parse(bytes.GetData(), bytes.GetCount()))
    {
    case nDDSFile::Loaded:
        break;
    case nDDSFile::Corrupt:
        nLogHolder::Get() << "[!] DDS '" << path << "' cannot be read: " << file.reason << ".\n";
        return nullptr;
    case nDDSFile::NotDDS:
    case nDDSFile::Unsupported:
        return nullptr;
    }

    auto* texture = new nEGLTexture(this);
    if (!texture->GenerateName())
    {
        delete texture;
        return nullptr;
    }
    nLogHolder::Get() << "DDS '" << path << "' has " << file.levelCount << " level(s).\n";
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(file.levelCount - 1));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (uint32_t level = 0; level < file.levelCount; ++level)
        UploadLevel(file, level, bytes.GetData());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    texture->SetInternalFormat(file.internalFormat);
    nEGLTexture::SetAnisotropy(static_cast<float>(m_registry.GetInt("Texture:Filtering:Sample", 4)));
    return texture;
}
