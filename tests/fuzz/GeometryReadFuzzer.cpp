#include "FuzzGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextWriter.h"
#include "geometry/nGeometry.h"
#include "support/StubEngineServices.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace
{
std::string Write(nGeometry& geometry)
{
    nMetaFile output;
    nMetaTag* written = geometry.SerializeTag(output);
    if (!written)
        return std::string();
    output.AddRoot(written);
    nMetaTextWriter writer(output.GetBinaryEncoding());
    return writer.WriteDocument(output) ? writer.GetText() : std::string();
}

// Every proxy names the file being fuzzed itself; materials named by reference are plain ones.
// A geometry still being read cannot be loaded again, as in the engine's loader.
class FuzzEngine : public StubEngineServices
{
public:
    void SendCoreMessage(nCoreMessage, const nCoreEventData*) override {}
    nMaterial* LoadMaterial(const char* path, bool) override
    {
        nSharedPtr<nMaterial>& material = m_materials[path];
        if (!material)
        {
            material = new nMaterial(this);
            material->name = path;
        }
        return material.Get();
    }
    nGeometry* LoadGeometry(const char* path, bool, bool) override
    {
        if (m_loading.count(path) || m_loading.size() >= 4)
            return nullptr;
        if (nSharedPtr<nGeometry>& cached = m_geometries[path])
            return cached.Get();
        m_loading.insert(path);
        nGeometry* geometry = ReadFuzzGeometry(*this, *input, path);
        m_loading.erase(path);
        m_geometries[path] = geometry;
        return geometry;
    }
    void Clear()
    {
        m_geometries.clear();
        m_materials.clear();
    }

    nMetaFile* input = nullptr;

private:
    std::map<std::string, nSharedPtr<nGeometry>> m_geometries;
    std::map<std::string, nSharedPtr<nMaterial>> m_materials;
    std::set<std::string> m_loading;
};

void Require(bool condition, const char* what, const std::string& text)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s\n%s\n", what, text.c_str());
    std::abort();
}

std::string Shape(const nGeometry* geometry)
{
    if (!geometry)
        return "unread";
    char text[160];
    std::snprintf(text, sizeof text, "%u vertice, %u polygon(s), %u binding(s), %u material(s), %u UV set(s)",
                  geometry->vertices.GetCount(), geometry->polygons.GetCount(), geometry->GetBindingTotal(),
                  geometry->materials.GetCount(), geometry->GetUVSetCount());
    return text;
}
} // namespace

// Any bytes as a geometry file: read, set up, written, written again (the same text), read back
// with the same topology.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    static FuzzEngine engine;
    nMetaFile input;
    if (!input.Parse(reinterpret_cast<const char*>(data), size))
        return 0;
    engine.input = &input;
    {
        nSharedPtr<nGeometry> geometry(ReadFuzzGeometry(engine, input, "fuzz"));
        if (geometry)
        {
            geometry->Setup();
            const std::string first = Write(*geometry);
            Require(first == Write(*geometry), "two writes differ", first);
            // A name the text form cannot carry (a quote or a final backslash: NML escapes nothing)
            // makes the writer refuse the document with a line instead of writing it damaged.
            if (!first.empty())
            {
                nMetaFile written;
                Require(written.Parse(first.data(), first.size()), "write does not parse", first);
                nSharedPtr<nGeometry> back(ReadFuzzGeometry(engine, written, "fuzz"));
                Require(Shape(back.Get()) == Shape(geometry.Get()),
                        ("read-back differs: " + Shape(back.Get()) + " after " + Shape(geometry.Get())).c_str(),
                        first);
            }
        }
    }
    engine.Clear();
    engine.input = nullptr;
    return 0;
}
