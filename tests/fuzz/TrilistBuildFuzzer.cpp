#include "FuzzGeometry.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nGeometry.h"
#include "render/gl/nGPUVertexLayout.h"
#include "render/gl/nTrilist.h"
#include "support/StubEngineServices.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
class FuzzEngine : public StubEngineServices
{
public:
    void SendCoreMessage(nCoreMessage, const nCoreEventData*) override {}
    nMaterial* LoadMaterial(const char*, bool) override { return nullptr; }
    nGeometry* LoadGeometry(const char*, bool, bool) override { return nullptr; }
};

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The triangles the lists must hold between them: every polygon of three corners or more whose
// corners name existing vertices, once the geometry has a material slot.
uint64_t ExpectedTriangles(const nGeometry& geometry)
{
    if (geometry.materials.GetCount() == 0)
        return 0;
    uint64_t triangles = 0;
    for (uint32_t p = 0; p < geometry.polygons.GetCount(); ++p)
    {
        const nPolygon& polygon = *geometry.polygons.At(p);
        bool usable = polygon.bindingCount >= 3 &&
                      uint64_t{polygon.firstBinding} + polygon.bindingCount <= geometry.bindings.GetCount();
        for (uint32_t c = 0; usable && c < polygon.bindingCount; ++c)
            usable = *geometry.bindings.At(polygon.firstBinding + c) < geometry.vertices.GetCount();
        triangles += usable ? polygon.bindingCount - 2u : 0;
    }
    return triangles;
}
} // namespace

// A triangle limit (the first byte; 0 for the renderer's own) and any bytes as a geometry file:
// read, set up, split into triangle lists whose indices, bone slots and packed vertices stay
// within their lists and which hold every usable triangle once.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nLogHolder::Get().SetMask(LogLevelNone);
    static FuzzEngine engine;
    if (size < 1)
        return 0;
    const uint32_t triangleLimit = data[0] ? data[0] : nTrilist::VertexLimit;
    nMetaFile input;
    if (!input.Parse(reinterpret_cast<const char*>(data + 1), size - 1))
        return 0;
    nSharedPtr<nGeometry> geometry(ReadFuzzGeometry(engine, input, ""));
    if (!geometry)
        return 0;
    geometry->Setup();

    const std::unique_ptr<nTrilistArray> lists = BuildTriangleLists(geometry.Get(), triangleLimit);
    Require(lists != nullptr, "no lists for a read geometry");
    uint64_t triangles = 0;
    std::vector<uint8_t> packed;
    nListIterator<nTrilist*> at;
    while (const nTrilist* list = lists->Next(at))
    {
        const uint32_t vertexCount = list->vertices.GetCount();
        Require(vertexCount <= 0x10000, "a list past 16-bit indices");
        Require(list->material < geometry->materials.GetCount(), "a list of no material slot");
        Require(list->indices.GetCount() % 3 == 0, "a partial triangle");
        for (uint32_t i = 0; i < list->indices.GetCount(); ++i)
            Require(*list->indices.At(i) < vertexCount, "an index past the list's vertices");
        Require(list->boneMap.GetCount() <= nTrilist::BoneLimit, "too many bones");
        for (uint32_t v = 0; v < list->skin.GetCount(); ++v)
            for (uint8_t slot : list->skin.At(v)->slots)
                Require(slot < std::max(1u, list->boneMap.GetCount()), "a slot past the bone map");
        const nGPUGeometryStreams streams = list->GetStreams();
        nGPUVertexLayout layout;
        layout.Compute(streams);
        packed.resize(size_t{layout.stride} * vertexCount);
        for (uint32_t v = 0; v < vertexCount; ++v)
            layout.Pack(streams, v, packed.data() + size_t{layout.stride} * v);
        triangles += list->GetTriangleCount();
    }
    Require(triangles == ExpectedTriangles(*geometry), "triangles lost or doubled");
    return 0;
}
