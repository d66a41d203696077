#include "render/shader/nShaderMap.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderBlockParams.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace
{
// Writes branch trees top-down, so that each tag is linked while still empty and linking stays
// cheap, and counts what it writes against the bounds of a written map.
class BranchWriter
{
public:
    explicit BranchWriter(const std::vector<nShaderBlock*>& blocks)
    {
        for (uint32_t i = 0; i < blocks.size(); ++i)
            m_indices.emplace(blocks[i], i);
    }

    bool Write(nMetaTag& parent, const nShaderBlock& block, uint32_t depth)
    {
        if (++m_tagCount > nShaderMap::MaxWrittenBranchTags)
        {
            m_failure = "[!] Could not serialize shader map: its branches would expand past the tag limit.\n";
            return false;
        }
        if (depth > nShaderMap::MaxWrittenBranchDepth)
        {
            m_failure = "[!] Could not serialize shader map: its branches nest past the depth limit.\n";
            return false;
        }
        nMetaTag* branch = parent.AddChild("Block");
        if (!branch || !branch->AddChildInt("Index", int32_t(m_indices.at(&block))))
            return false;
        if (block.GetInputCount() == 0)
            return true;
        nMetaTag* inputs = branch->AddChild("Input");
        if (!inputs)
            return false;
        for (uint32_t i = 0; i < block.GetInputCount(); ++i)
        {
            const nShaderBlock* input = block.GetInput(i);
            if (input ? !Write(*inputs, *input, depth + 1) : !inputs->AddChild("None"))
                return false;
        }
        return true;
    }

    const char* GetFailure() const { return m_failure; }

private:
    std::unordered_map<const nShaderBlock*, uint32_t> m_indices;
    uint32_t m_tagCount = 0;
    const char* m_failure = "[!] Could not serialize shader map. Failed to create root tag.\n";
};

bool WriteEntry(nMetaTag& map, const nShaderBlock& block)
{
    nMetaTag* entry = map.AddChild("Entry");
    if (!entry || !entry->AddChildString("Type", nShaderBlock::GetKindName(block.GetKind())) ||
        !entry->AddChildTag(WriteEditorPosition(block.posX, block.posY)))
        return false;
    nMetaTag* params = entry->AddChild("Param");
    if (!params)
        return false;
    WriteShaderBlockParams(block, *params);
    return true;
}
} // namespace

nMetaTag* nShaderMap::SerializeTag() const
{
    std::unique_ptr<nMetaTag> tag(new nMetaTag("ShaderMap"));
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize shader map. Failed to create root tag.\n";
        return nullptr;
    }
    tag->AddChildTag(WriteEditorPosition(posX, posY));
    nMetaTag* map = tag->AddChild("Map");
    if (!map)
    {
        nLogHolder::Get() << "[!] Failed to allocate root tag.\n";
        return nullptr;
    }
    std::vector<nShaderBlock*> blocks = CollectBlocks();
    for (const nShaderBlock* block : blocks)
        if (!WriteEntry(*map, *block))
            return nullptr;
    BranchWriter writer(blocks);
    for (uint32_t root = 0; root < RootCount; ++root)
    {
        if (!roots[root])
            continue;
        nMetaTag* rootTag = tag->AddChild(GetRootName(root));
        if (!rootTag || !writer.Write(*rootTag, *roots[root], 1))
        {
            nLogHolder::Get() << writer.GetFailure();
            return nullptr;
        }
    }
    return tag.release();
}
