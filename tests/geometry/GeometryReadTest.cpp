#include "GeometryTestSupport.h"

#include "core/nml/nMetaTag.h"

#include <cstring>

namespace
{
nMetaTag* Child(nMetaTag* tag, const char* path)
{
    return tag ? tag->GetTag(path) : nullptr;
}

std::vector<uint8_t> BinaryOf(nMetaTag* tag)
{
    if (!tag || tag->GetType() != TagTypeBinary)
        return {};
    const uint8_t* data = tag->GetValue().GetBinaryData();
    return std::vector<uint8_t>(data, data + tag->GetValue().GetBinarySize());
}

// Two triangles sharing an edge, with one UV set, colours and a skin.
void BuildPair(nGeometry& geometry)
{
    BuildGeometry(geometry, {nVector(0, 0, 0), nVector(1, 0, 0), nVector(1, 1, 0), nVector(0, 1, 0)},
                  {{0, 1, 2}, {0, 2, 3}});
    geometry.uvSets[0].Resize(6);
    for (uint32_t i = 0; i < 6; ++i)
        *geometry.uvSets[0].At(i) = nUV(float(i) * 0.25f, 1.0f - float(i) * 0.125f);
}
} // namespace

class GeometryReadTest : public GeometryFixture
{
};

TEST_F(GeometryReadTest, FileWithoutVerticesFails)
{
    nGeometry geometry(&engine);
    geometry.name = "n";
    EXPECT_FALSE(Read(geometry, "<Materials=<Material=<Diffuse=<X=1.0><Y=1.0><Z=1.0>>>>"));
    EXPECT_NE(log.text.find("[!] No vertice in geometry 'n'.\n"), std::string::npos) << log.text;
}

TEST_F(GeometryReadTest, FileWithoutMaterialsGetsADefaultSlot)
{
    nGeometry geometry(&engine);
    geometry.name = "n";
    ASSERT_TRUE(Read(geometry, TextTriangle()));
    const size_t warning = log.text.find("[*] Expected at least one material in geometry 'n'.\n");
    const size_t done = log.text.find("ms. 3 vertice, 1 polygon(s), 1 material(s).\n");
    ASSERT_NE(warning, std::string::npos);
    ASSERT_NE(done, std::string::npos);
    EXPECT_LT(warning, done);
    EXPECT_NE(log.text.find("Done in "), std::string::npos);
    ASSERT_NE(geometry.GetMaterial(0), nullptr);
    EXPECT_EQ(geometry.GetMaterial(0)->owner, &geometry);
    ExpectVector(geometry.box.max, 1.0f, 1.0f, 0.0f);
}

TEST_F(GeometryReadTest, WrongRootFails)
{
    nGeometry geometry(&engine);
    NmlDocument document("<Mesh=<Count=1>>");
    EXPECT_FALSE(geometry.ParseTag(document.file, document.Root()));
    EXPECT_NE(log.text.find("[!] Could not parse material. Root tag id is incorrect (Mesh)"),
              std::string::npos);
}

TEST_F(GeometryReadTest, BinaryVertexChunkWinsOverTextOne)
{
    nGeometry source(&engine);
    BuildPair(source);
    nMetaTag* root = WriteTag(source);
    root->AddChildTag(new nMetaTag("AVertex"))->AddChildInt("Count", 1);
    nGeometry geometry(&engine);
    ASSERT_TRUE(ReadTag(geometry, root));
    EXPECT_EQ(geometry.vertices.GetCount(), 4u);
}

TEST_F(GeometryReadTest, SkinBeforeVerticesReadsAndWeightsAreNormalised)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(Read(geometry, "<Skin=<Bones=<Id=\"hip\"><Id=\"knee\">><Weights=<W=\"0,1,0,0:255,255,0,0\">"
                               "<W=\"0,7,0,0:0,255,0,0\"><W=\"1,0,0,0:0,0,0,0\">>>" +
                                   TextTriangle()));
    ASSERT_EQ(geometry.weights.GetCount(), 3u);
    EXPECT_EQ(geometry.boneNames.At(1)->GetText(), std::string("knee"));
    const nSkinWeight& first = *geometry.weights.At(0);
    EXPECT_FLOAT_EQ(first.weights[0], 0.5f);
    EXPECT_FLOAT_EQ(first.weights[1], 0.5f);
    EXPECT_EQ(first.bones[1], 1);
    EXPECT_EQ(first.weights[2] + first.weights[3], 0.0f);
    // Bone 7 does not exist: it becomes bone 0 with weight 0, leaving no weight at all.
    EXPECT_EQ(geometry.weights.At(1)->bones[1], 0);
    EXPECT_FLOAT_EQ(geometry.weights.At(1)->weights[0], 1.0f);
    EXPECT_FLOAT_EQ(geometry.weights.At(2)->weights[0], 1.0f);
    EXPECT_EQ(geometry.boneMatrices.At(0)->m[0], 1.0f); // no Binds: identity
    EXPECT_EQ(log.text.find("Incoherent weight count"), std::string::npos);
}

TEST_F(GeometryReadTest, WeightsArePaddedToTheVertexCount)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(Read(geometry, TextTriangle("<Skin=<Bones=<Id=\"a\">><Weights=<W=\"0,0,0,0:255,0,0,0\">>>")));
    EXPECT_EQ(geometry.weights.GetCount(), 3u);
    EXPECT_NE(log.text.find("[*] Incoherent weight count (1 for 3 vertice"), std::string::npos);
    // An empty record (found by the fuzzer: it was scanned as a null text) keeps the first bone.
    nGeometry empty(&engine);
    ASSERT_TRUE(Read(empty, TextTriangle("<Skin=<Bones=<Id=\"a\">><Weights=<W=\"\"><W=\"\"><W=\"\">>>")));
    ASSERT_EQ(empty.weights.GetCount(), 3u);
    EXPECT_EQ(empty.weights.At(0)->weights[0], 1.0f);
}

TEST_F(GeometryReadTest, NormalIsWrittenAsSignedBytesAndReadsBack)
{
    nGeometry source(&engine);
    BuildPair(source);
    source.ComputeVertexNormals(true, -1.0f);
    nMetaTag* root = WriteTag(source);
    const std::vector<uint8_t> bytes = BinaryOf(Child(root, "VNormal:Data"));
    ASSERT_EQ(bytes.size(), 18u);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 127);
    nGeometry geometry(&engine);
    ASSERT_TRUE(ReadTag(geometry, root));
    ASSERT_EQ(geometry.vertexNormals.GetCount(), 6u);
    ExpectVector(*geometry.vertexNormals.At(5), 0.0f, 0.0f, 1.0f, 0.0f);
}

TEST_F(GeometryReadTest, ColoursKeepAlphaOnlyWhenWrittenWithIt)
{
    for (const float alpha : {0.25f, 1.0f})
    {
        nGeometry source(&engine);
        BuildPair(source);
        source.colors.Resize(6);
        for (uint32_t i = 0; i < 6; ++i)
            *source.colors.At(i) = nColor(0.5f, 0.25f, 1.0f, alpha);
        nMetaTag* root = WriteTag(source);
        EXPECT_EQ(BinaryOf(Child(root, "RGB:Data")).size(), alpha < 1.0f ? 96u : 72u);
        nGeometry geometry(&engine);
        ASSERT_TRUE(ReadTag(geometry, root));
        ASSERT_EQ(geometry.colors.GetCount(), 6u);
        EXPECT_EQ(geometry.colors.At(3)->a, alpha);
        EXPECT_EQ(geometry.colors.At(3)->g, 0.25f);
    }
}

TEST_F(GeometryReadTest, FourthUVSetIsIgnoredWithTwoWarnings)
{
    nGeometry source(&engine);
    BuildPair(source);
    source.uvSets[1].Resize(6);
    source.uvSets[2].Resize(6);
    nMetaTag* root = WriteTag(source);
    nGeometry geometry(&engine);
    ASSERT_TRUE(ReadTag(geometry, root));
    EXPECT_EQ(log.text.find("more UV channels"), std::string::npos);
    nMetaTag* extra = WriteTag(source);
    extra->GetTag("UV")->AddChildBinary("Data", "12345678", 8);
    ASSERT_TRUE(ReadTag(geometry, extra));
    EXPECT_EQ(geometry.GetUVSetCount(), 3u);
    EXPECT_NE(log.text.find("[*] Geometry '' requires more UV channels than this build can handle.\n"),
              std::string::npos);
    EXPECT_NE(log.text.find("[*] Please increase nUVMapCount and recompile to fully import this object.\n"),
              std::string::npos);
}

TEST_F(GeometryReadTest, UVGapKeepsTheSetNumbers)
{
    nGeometry source(&engine);
    BuildPair(source);
    source.uvSets[0].Free();
    source.uvSets[1].Resize(6);
    *source.uvSets[1].At(2) = nUV(0.5f, 0.75f);
    nMetaTag* root = WriteTag(source);
    int32_t count = 0;
    ASSERT_TRUE(Child(root, "UV:Count")->GetValue().GetInt(count));
    EXPECT_EQ(count, 2);
    nGeometry geometry(&engine);
    ASSERT_TRUE(ReadTag(geometry, root));
    EXPECT_EQ(geometry.uvSets[0].GetCount(), 0u);
    ASSERT_EQ(geometry.uvSets[1].GetCount(), 6u);
    EXPECT_EQ(geometry.uvSets[1].At(2)->v, 0.75f);
}

TEST_F(GeometryReadTest, TextFileRoundTripsThroughTheBinaryForm)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(
        Read(geometry,
             TextTriangle("<ARGB=<Count=3><Data=<C=<R=0.5><G=0.25><B=1.0><A=0.5>><C=<R=1.0>><C=<G=1.0>>>>"
                          "<AUV=<Data=<T=<U=0.5><V=0.25>><T=<U=1.0>><T=<V=1.0>>>>"
                          "<Skin=<Bones=<Id=\"a\"><Id=\"b\">><Weights=<W=\"0,1,0,0:255,0,0,0\">"
                          "<W=\"0,1,0,0:0,255,0,0\"><W=\"1,0,0,0:128,127,0,0\">>>"
                          "<LodDistance=40.0><LodNull=True><ShadowNull=True>"
                          "<Materials=<Material=<Glossiness=0.75>>>")));
    EXPECT_EQ(geometry.colors.At(1)->a, 1.0f);
    const std::string first = Write(geometry);
    EXPECT_EQ(first, Write(geometry));
    EXPECT_NE(first.find("<Vertex="), std::string::npos);
    EXPECT_EQ(first.find("<AVertex="), std::string::npos);
    nGeometry back(&engine);
    nMetaTag* root = WriteTag(geometry);
    ASSERT_TRUE(ReadTag(back, root));
    EXPECT_EQ(Write(back), first);
    EXPECT_EQ(back.lodDistance, 40.0f);
    EXPECT_EQ(back.flags, uint32_t(nGeometry::FlagLodNull | nGeometry::FlagShadowNull));
    EXPECT_EQ(back.GetBoneCount(), 2u);
    EXPECT_EQ(back.GetMaterial(0)->glossiness, 0.75f);
    EXPECT_EQ(back.uvSets[0].At(0)->u, 0.5f);
    EXPECT_EQ(back.colors.At(0)->a, 0.5f);
    ExpectVector(back.box.min, 0.0f, 0.0f, 0.0f);
    ExpectVector(back.box.max, 1.0f, 1.0f, 0.0f);
}

TEST_F(GeometryReadTest, PolygonNamingAMissingVertexIsDroppedWithItsAttributes)
{
    nGeometry source(&engine);
    BuildPair(source);
    source.GetPolygonBindings(0)[1] = 9;
    source.ComputePolygonNormal(true);
    *source.polygonNormals.At(1) = nVector(1, 0, 0);
    nMetaTag* root = WriteTag(source);
    nGeometry geometry(&engine);
    ASSERT_TRUE(ReadTag(geometry, root));
    ASSERT_EQ(geometry.polygons.GetCount(), 1u);
    EXPECT_EQ(geometry.GetPolygonBindings(0)[2], 3u);
    ExpectVector(*geometry.polygonNormals.At(0), 1.0f, 0.0f, 0.0f);
    ASSERT_EQ(geometry.uvSets[0].GetCount(), 3u);
    EXPECT_EQ(geometry.uvSets[0].At(0)->u, 0.75f);
    EXPECT_EQ(CountOf(log.text, "naming missing vertice were dropped"), 1u);

    source.GetPolygonBindings(1)[0] = 7;
    nGeometry none(&engine);
    EXPECT_FALSE(ReadTag(none, WriteTag(source)));
    EXPECT_NE(log.text.find("[!] No polygon in geometry"), std::string::npos);
}

TEST_F(GeometryReadTest, ShortPolygonDataStopsAtTheLastPolygonThatFits)
{
    nGeometry source(&engine);
    BuildPair(source);
    nMetaTag* root = WriteTag(source);
    nMetaTag* data = Child(root, "Polygon:Data");
    std::vector<uint8_t> bytes = BinaryOf(data);
    data->GetValue().SetBinary(bytes.data(), uint32_t(bytes.size() - 4));
    nGeometry geometry(&engine);
    ASSERT_TRUE(ReadTag(geometry, root));
    EXPECT_EQ(geometry.polygons.GetCount(), 1u);
    EXPECT_EQ(geometry.uvSets[0].GetCount(), 3u);
    EXPECT_EQ(CountOf(log.text, "ends early: 1 of 2 polygon(s) read"), 1u);
}

TEST_F(GeometryReadTest, AbsurdCountsFailWithoutAllocating)
{
    struct Case
    {
        const char* chunkName;
        bool withData;
    };
    // A count without any data claims as much as one with too little.
    for (const Case& c :
         {Case{"Vertex", true}, Case{"Vertex", false}, Case{"AVertex", false}, Case{"Polygon", true}})
    {
        log.text.clear();
        nGeometry source(&engine);
        BuildPair(source);
        nMetaTag* root = WriteTag(source);
        root->RemoveChildren(c.chunkName);
        if (std::strcmp(c.chunkName, "AVertex") == 0)
            root->RemoveChildren("Vertex");
        nMetaTag* chunk = root->AddChild(c.chunkName);
        chunk->AddChildInt("Count", 2000000000);
        chunk->AddChildInt("BindingCount", 2000000000);
        if (c.withData)
            chunk->AddChildBinary("Data", "abcdefghijkl", 12);
        nGeometry geometry(&engine);
        EXPECT_FALSE(ReadTag(geometry, root)) << c.chunkName << c.withData;
        EXPECT_NE(log.text.find("[!] Geometry '' declares "), std::string::npos) << c.chunkName << c.withData;
    }
}

namespace
{
class ProxyEngine : public StubEngineServices
{
public:
    nGeometry* LoadGeometry(const char* path, bool, bool) override
    {
        requested.push_back(path);
        auto* proxy = new nGeometry(this);
        proxy->name = path;
        proxies.push_back(proxy);
        return proxy;
    }
    nMaterial* LoadMaterial(const char* path, bool) override
    {
        if (std::strcmp(path, "missing") == 0)
            return nullptr;
        shared = new nMaterial(this);
        shared->name = path;
        return shared.Get();
    }
    std::vector<std::string> requested;
    std::vector<nSharedPtr<nGeometry>> proxies;
    nSharedPtr<nMaterial> shared;
};
} // namespace

TEST_F(GeometryReadTest, ProxiesAndMaterialReferencesLoadThroughTheEngine)
{
    ProxyEngine proxyEngine;
    nGeometry geometry(&proxyEngine);
    ASSERT_TRUE(Read(geometry,
                     TextTriangle("<LodProxy=\"far.nml\"><ShadowProxy=\"shadow.nml\">"
                                  "<Materials=<MaterialRef=\"stone\"><Other=1><MaterialRef=\"missing\">>")));
    EXPECT_EQ(proxyEngine.requested, (std::vector<std::string>{"far.nml", "shadow.nml"}));
    EXPECT_EQ(geometry.lodProxy->name.GetText(), std::string("far.nml"));
    ASSERT_EQ(geometry.materials.GetCount(), 2u);
    EXPECT_EQ(geometry.GetMaterial(0), proxyEngine.shared.Get());
    EXPECT_EQ(geometry.GetMaterial(1), nullptr);
    const std::string text = Write(geometry);
    EXPECT_NE(text.find("<LodProxy=\"far.nml\">"), std::string::npos) << text;
    EXPECT_NE(text.find("<ShadowProxy=\"shadow.nml\">"), std::string::npos);
    EXPECT_NE(text.find("<MaterialRef=\"stone\">"), std::string::npos);
}

TEST_F(GeometryReadTest, EmptyGeometryIsNotWritten)
{
    nGeometry geometry(&engine);
    geometry.name = "e";
    EXPECT_EQ(WriteTag(geometry), nullptr);
    EXPECT_NE(log.text.find("[!] Cannot serialize 'e', geometry is empty.\n"), std::string::npos);
}

TEST_F(GeometryReadTest, CorruptTextPolygonIsDroppedSoTheWriteReadsBack)
{
    nGeometry geometry(&engine);
    ASSERT_TRUE(Read(geometry,
                     "<AVertex=<Count=3><Data=<V=<X=0.0><Y=0.0><Z=0.0>><V=<X=1.0><Y=0.0><Z=0.0>>"
                     "<V=<X=0.0><Y=1.0><Z=0.0>>>><APolygon=<Count=2><BindingCount=3><Data="
                     "<Polygon=<Material=0><Index=0>><Polygon=<Count=3><Material=0><Index=0><Index=1>"
                     "<Index=2>>>>"));
    EXPECT_NE(log.text.find("[!] Corrupt <Polygon> tag in <APolygon>.\n"), std::string::npos);
    ASSERT_EQ(geometry.polygons.GetCount(), 1u);
    EXPECT_EQ(geometry.GetBindingTotal(), 3u);
    nGeometry back(&engine);
    EXPECT_TRUE(ReadTag(back, WriteTag(geometry)));
}
