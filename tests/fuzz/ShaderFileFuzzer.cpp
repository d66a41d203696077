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

namespace
{
// The input holds a shader file "lib/a.nsa" and up to three code files it may name ("lib/b",
// "c", "lib/d"), separated by this sequence.
constexpr char FileSeparator[] = "\0%%\0";
constexpr size_t FileSeparatorLength = sizeof(FileSeparator) - 1;
} // namespace

// Any bytes as a shader file with its code files: read, assembled and written. The assembled
// sources start with the version line, and a written shader reads back with its inputs.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzMemoryFiles* files = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        auto* memory = new FuzzMemoryFiles();
        nPlatform::Get().GetIOSystem().Mount(memory);
        return memory;
    }();
    files->ClearFiles();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* const names[] = {"lib/a.nsa", "lib/b", "c", "lib/d"};
    size_t begin = 0;
    for (const char* name : names)
    {
        const size_t end = input.find(std::string(FileSeparator, FileSeparatorLength), begin);
        files->Put(name, input.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos)
            break;
        begin = end + FileSeparatorLength;
    }

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
