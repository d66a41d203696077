#include "FuzzMemoryFiles.h"
#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "geometry/nTexture.h"
#include "platform/nPlatform.h"
#include "render/nRasterFont.h"
#include "support/StubEngineServices.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace
{
// Every page path gives a 4 x 4 picture, so that metrics in pixels are reached.
class FuzzEngine : public StubEngineServices
{
public:
    nTexture* LoadTexture(const char* path, bool, bool) override
    {
        nSharedPtr<nTexture>& texture = m_textures[path];
        if (!texture)
        {
            texture = new nTexture(this, 0, 0);
            texture->Allocate(4, 4, PixelFormatBGRA8);
            texture->SetName(path);
        }
        return texture.Get();
    }

private:
    std::map<std::string, nSharedPtr<nTexture>> m_textures;
};
} // namespace

// Any bytes as a raster font description, loaded and then measured with a text of every
// character code.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEngine* engine = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        return new FuzzEngine();
    }();
    static FuzzMemoryFiles* files = []
    {
        auto* memory = new FuzzMemoryFiles();
        memory->AddRef();
        nPlatform::Get().GetIOSystem().Mount(memory);
        return memory;
    }();
    files->Put("fuzz/font.nml", std::string(reinterpret_cast<const char*>(data), size));
    static std::string every = []
    {
        std::string text;
        for (int code = 1; code < 256; ++code)
            text += char(code);
        return text;
    }();
    nRasterFont font(engine);
    if (font.Load("fuzz/font.nml"))
    {
        float width = 0.0f, height = 0.0f;
        font.ComputeTextSize(every.c_str(), false, width, height);
        font.ComputeTextBlockSize(every.c_str(), true, width, height);
        font.GetLineHeight(false);
        font.GetBaseline(false);
        for (uint32_t page = 0; page <= font.GetPageCount(); ++page)
            font.GetPageTexture(page);
    }
    return 0;
}
