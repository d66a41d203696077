#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "platform/nPlatform.h"
#include "render/gl/nShader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Any bytes as a shader file with its code files: read, assembled and written. The assembled
// sources start with the version line, and a written shader reads back with its inputs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted();
    // A shader file "lib/a.nsa" and up to three code files it may name.
    files->PutSplit(std::string(reinterpret_cast<const char*>(data), size),
                    {"lib/a.nsa", "lib/b", "c", "lib/d"});

    nShader shader;
    if (!shader.Load("lib/a.nsa"))
        return 0;
    std::string vertex;
    std::string fragment;
    shader.AssembleGLSL(vertex, fragment, false);
    if (vertex.rfind("#version 120\n", 0) != 0 || fragment.rfind("#version 120\n", 0) != 0)
    {
        std::fprintf(stderr, "assembled sources lack the version line\n");
        std::abort();
    }
    nMetaFile written;
    nMetaTag* root = shader.SerializeTag(written);
    if (!root)
        return 0;
    written.AddRoot(root);
    nShader readBack;
    if (!readBack.Parse(written) || readBack.GetInputs().size() > shader.GetInputs().size())
    {
        std::fprintf(stderr, "a written shader does not read back with its inputs\n");
        std::abort();
    }
    return 0;
}
