#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class nEngineServices;
class nMaterial;
class nMetaTag;
class nShaderBlock;
struct nTextureStage;

// A material's shader tree: one root block per channel. The map owns every block reachable from
// its roots and deletes each of them once, however many inputs it feeds.
class nShaderMap
{
public:
    enum Root : uint32_t
    {
        RootVertex = 0,
        RootNormal = 1,
        RootDiffuse = 2,
        RootModulate = 3,
        RootSpecular = 4,
        RootGlossiness = 5,
        RootConstant = 6,
        RootOpacity = 7,
        RootReflection = 8,
        RootCount = 9,
    };

    // Larger maps are refused when read; it bounds the work of typing and walking one map.
    static constexpr uint32_t MaxBlocks = 1024;
    // Branches are written as trees, so a block feeding several inputs is written once per use:
    // a write that would pass either bound is refused rather than made unreadable or huge, and a
    // read takes no more branches than a write gives.
    static constexpr uint32_t MaxWrittenBranchTags = 1u << 16;
    static constexpr uint32_t MaxWrittenBranchDepth = 100;

    float posX = 0.0f; // editor position
    float posY = 0.0f;
    nShaderBlock* roots[RootCount] = {};

    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory) noexcept;

    nShaderMap() = default;
    nShaderMap(const nShaderMap&) = delete;
    nShaderMap& operator=(const nShaderMap&) = delete;
    ~nShaderMap();

    static const char* GetRootName(uint32_t root);

    // Deletes every block reachable from the roots, each once, and empties the roots.
    void Clear();
    // Every block reachable from the roots, each once: each bound root in root order, then depth
    // first through the inputs in input order. This is the order of the written block list.
    std::vector<nShaderBlock*> CollectBlocks() const;

    // Reads a "ShaderMap" tag into this empty map; textures load through the engine.
    bool ParseTag(nEngineServices* engine, const nMetaTag& tag);
    // A new "ShaderMap" tag, or null after a log line.
    nMetaTag* SerializeTag() const;

    // The shader map equivalent to the material's texture stages and colours; the caller owns it.
    static nShaderMap* CreateFromFixedFunction(const nMaterial& material);
    // The sampler tree of one stage; normal is the surface normal for the UV sources that need
    // one (a new Geometry Normal block when null).
    static nShaderBlock* BuildStageTree(const nMaterial& material, const nTextureStage& stage,
                                        nShaderBlock* normal);
};
