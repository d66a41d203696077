#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "platform/nPlatform.h"
#include "render/gl/nEGLRenderer.h"
#include "render/gl/nShader.h"
#include "support/StubEngineServices.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The renderer's shader dictionary ("dict.txt") and a library shader file with two code files it
// may name, separated as FuzzMemoryFiles::PutSplit reads them, in the library folder of the core
// data. The dictionary is read and its texts looked up as the material passes and the library do;
// the shader is read with the dictionary's texts spliced in and assembled. No display is opened,
// so no program is built.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles& files = FuzzMemoryFiles::Mounted("@core/");
    static StubEngineServices engine;
    files.PutSplit(std::string(reinterpret_cast<const char*>(data), size),
                   {"shaders/egl2/dict.txt", "shaders/egl2/fuzz.nsa", "shaders/egl2/a", "shaders/egl2/b"});

    nEGLRenderer renderer(&engine);
    if (!renderer.LoadShaderDictionary())
        return 0;
    renderer.GetMaterialPassTexts();
    nShader shader;
    if (!renderer.ReadLibraryShader("@core/shaders/egl2/fuzz.nsa", shader))
        return 0;
    std::string vertex;
    std::string fragment;
    shader.AssembleGLSL(vertex, fragment, false);
    return 0;
}
