#include "render/shader/nShaderMap.h"

#include "core/base/nMemory.h"
#include "render/shader/nShaderBlock.h"

#include <unordered_set>

void* nShaderMap::operator new(size_t size) noexcept
{
    return MemAllocMaterial(size);
}

void nShaderMap::operator delete(void* memory) noexcept
{
    MemFreeMaterial(memory);
}

nShaderMap::~nShaderMap()
{
    Clear();
}

const char* nShaderMap::GetRootName(uint32_t root)
{
    static const char* const kNames[RootCount] = {"Vertex",   "Normal",   "Diffuse",
                                                  "Modulate", "Specular", "Glossiness",
                                                  "Constant", "Opacity",  "Reflection"};
    return root < RootCount ? kNames[root] : nullptr;
}

void nShaderMap::Clear()
{
    for (nShaderBlock* block : CollectBlocks())
        delete block;
    for (nShaderBlock*& root : roots)
        root = nullptr;
}

std::vector<nShaderBlock*> nShaderMap::CollectBlocks() const
{
    std::vector<nShaderBlock*> blocks;
    std::unordered_set<nShaderBlock*> listed;
    std::vector<nShaderBlock*> pending;
    for (nShaderBlock* root : roots)
    {
        pending.push_back(root);
        while (!pending.empty())
        {
            nShaderBlock* block = pending.back();
            pending.pop_back();
            if (!block || !listed.insert(block).second)
                continue;
            blocks.push_back(block);
            for (uint32_t i = block->GetInputCount(); i-- > 0;)
                pending.push_back(block->GetInput(i));
        }
    }
    return blocks;
}
