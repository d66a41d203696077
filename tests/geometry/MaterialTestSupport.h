#pragma once

#include "geometry/nMaterial.h"

#include "core/NmlFileFixture.h"
#include "core/NmlLogCapture.h"
#include "core/picture/nPicture.h"
#include "support/NmlText.h"
#include "support/TextureLoadingEngine.h"

#include <gtest/gtest.h>

#include <string>

// Materials read from NML text, their textures from TGA files in a mounted scratch directory.
class MaterialFixture : public testing::Test
{
protected:
    // A width x 1 opaque picture saved as the named TGA file; with a transparent pixel, its
    // first pixel has alpha 0.
    void WriteTexture(const char* name, bool transparentPixel = false, uint32_t width = 2)
    {
        nPicture picture(width, 1, PixelFormatBGRA8);
        picture.Fill(0.5f, 0.5f, 0.5f, 1.0f);
        if (transparentPixel)
            picture.GetPixels()[3] = 0; // alpha is the fourth byte of a BGRA8 pixel
        ASSERT_TRUE(nPicture::SaveTGA(picture, name));
    }

    bool Read(nMaterial& material, const std::string& body)
    {
        NmlDocument document("<Material=" + body + ">");
        EXPECT_TRUE(document.parsed) << body;
        return material.ParseTag(document.file, document.Root());
    }

    std::string Write(nMaterial& material)
    {
        nMetaFile file;
        return NmlTextOf(material.SerializeTag(file));
    }

    NmlFileFixture files;
    NmlLogCapture log;
    TextureLoadingEngine engine;
};

inline std::string Stage(int index, const std::string& channel, const char* texture,
                         const std::string& extra = "")
{
    std::string text = "<TextureStage=<Index=" + std::to_string(index) + "><Active>";
    if (!channel.empty())
        text += "<Channel=\"" + channel + "\">";
    if (texture)
        text += "<Texture=\"" + std::string(texture) + "\">";
    return text + extra + ">";
}
