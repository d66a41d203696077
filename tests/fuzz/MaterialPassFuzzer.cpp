#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "render/gl/TestMaterials.h"
#include "render/gl/nMaterialPassShader.h"
#include "render/gl/nShader.h"
#include "render/shader/nShaderMap.h"
#include "support/StubEngineServices.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
// One texture for any name, so that Texture blocks and stages hold one.
class AnyTextureEngine : public StubEngineServices
{
public:
    nTexture* LoadTexture(const char*, bool, bool) override { return texture.Get(); }

    nSharedPtr<nTexture> texture{new nTexture(this, 0, 0)};
};
} // namespace

// Any bytes as a material file: its shader map (read, or made from its stages) compiled into the
// eleven pass shaders and assembled. A pass that builds leaves no channel placeholder behind.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        return true;
    }();
    (void)quiet;
    static AnyTextureEngine engine;

    nMetaFile input;
    if (!input.Parse(reinterpret_cast<const char*>(data), size))
        return 0;
    nLinkedListIterator iterator;
    nMetaTag* root = input.GetNextRoot(iterator);
    nSharedPtr<nMaterial> material(new nMaterial(&engine));
    if (!root || !material->ParseTag(input, *root))
        return 0;
    if (!material->shaderMap)
        material->SetShaderMap(nShaderMap::CreateFromFixedFunction(*material));
    const nMaterialPassTexts texts = StandInPassTexts(2 + size % 3);
    std::string vertex;
    std::string fragment;
    for (uint32_t pass = 0; pass <= MaterialPassCount; ++pass)
    {
        nShader shader;
        if (!BuildMaterialPassShader(*material, pass, texts, shader))
            continue;
        shader.AssembleGLSL(vertex, fragment, false);
        if (fragment.find("%in.") != std::string::npos || vertex.find("%in.") != std::string::npos)
        {
            std::fprintf(stderr, "pass %u keeps a placeholder:\n%s\n", pass, fragment.c_str());
            std::abort();
        }
    }
    return 0;
}
