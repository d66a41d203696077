#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextWriter.h"
#include "geometry/nMaterial.h"
#include "geometry/nTexture.h"
#include "support/StubEngineServices.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace
{
// Textures named by any path: 2 x 1 pictures, with a transparent pixel when the name starts with
// "a", so that the embedded-opacity stage is reached too.
class FuzzEngine : public StubEngineServices
{
public:
    nTexture* LoadTexture(const char* path, bool, bool) override
    {
        nSharedPtr<nTexture>& texture = m_textures[path];
        if (!texture)
        {
            texture = new nTexture(this, 0, 0);
            texture->Allocate(2, 1, PixelFormatBGRA8);
            texture->Fill(1.0f, 1.0f, 1.0f, 1.0f);
            if (path[0] == 'a')
                texture->GetPixels()[3] = 0;
            texture->SetName(path);
        }
        return texture.Get();
    }
    void Clear() { m_textures.clear(); }

private:
    std::map<std::string, nSharedPtr<nTexture>> m_textures;
};

// Notes whether a write was refused, since a refused shader map is rebuilt on the next read.
class FuzzLog : public nLog
{
public:
    void Output(const char* line, uint8_t) override { refused |= std::string(line).find("[!]") == 0; }

    bool refused = false;
};

// The material read from the document's first root, written as NML text; empty when the read fails.
std::string ReadAndWrite(FuzzEngine& engine, nMetaFile& document)
{
    nLinkedListIterator iterator;
    nMetaTag* root = document.GetNextRoot(iterator);
    nSharedPtr<nMaterial> material(new nMaterial(&engine));
    if (!root || !material->ParseTag(document, *root))
        return std::string();
    nMetaFile output;
    nMetaTag* written = material->SerializeTag(output);
    if (!written)
        return std::string();
    output.AddRoot(written);
    nMetaTextWriter writer(output.GetBinaryEncoding());
    if (!writer.WriteDocument(output))
        return std::string();
    return writer.GetText();
}
} // namespace

// Any bytes as a material file: what the reader makes of them is written, read back and written
// again, and both writes must agree.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzLog* log = []
    {
        auto* installed = new FuzzLog();
        nLogHolder::Set(installed);
        return installed;
    }();
    static FuzzEngine engine;
    engine.Clear();
    log->refused = false;

    nMetaFile input;
    if (!input.Parse(reinterpret_cast<const char*>(data), size))
        return 0;
    const std::string first = ReadAndWrite(engine, input);
    if (first.empty() || log->refused)
        return 0;
    nMetaFile written;
    if (!written.Parse(first.data(), first.size()))
    {
        std::fprintf(stderr, "written material does not read back:\n%s\n", first.c_str());
        std::abort();
    }
    const std::string second = ReadAndWrite(engine, written);
    if (second != first)
    {
        std::fprintf(stderr, "first write:\n%s\nsecond write:\n%s\n", first.c_str(), second.c_str());
        std::abort();
    }
    return 0;
}
