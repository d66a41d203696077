#include "render/shader/nShaderMap.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "render/shader/nShaderBlock.h"
#include "render/shader/nShaderBlockFactory.h"
#include "render/shader/nShaderBlockParams.h"

#include <unordered_set>
#include <vector>

namespace
{
const char* const kRootBranchPaths[nShaderMap::RootCount] = {
    "Vertex:Block;",     "Normal:Block;",   "Diffuse:Block;", "Modulate:Block;",  "Specular:Block;",
    "Glossiness:Block;", "Constant:Block;", "Opacity:Block;", "Reflection:Block;"};

int32_t KindFromName(const nString& typeName)
{
    const char* name = typeName == "Normal Matrix" ? "Normal View Matrix" : typeName.GetText();
    for (int32_t kind = ShaderBlockNone; kind < ShaderBlockKindCount; ++kind)
        if (nString(nShaderBlock::GetKindName(kind)) == name)
            return kind;
    return ShaderBlockNone;
}

// One slot per child of "Map" that is an "Entry"; a slot stays empty when its entry gives no block.
class BlockMap
{
public:
    explicit BlockMap(nEngineServices* engine) : m_engine(engine) {}
    BlockMap(const BlockMap&) = delete;
    BlockMap& operator=(const BlockMap&) = delete;
    ~BlockMap()
    {
        for (nShaderBlock* block : m_slots)
            if (!m_kept.count(block))
                delete block;
    }

    bool Read(const nMetaTag& map)
    {
        if (map.GetChildCount() > nShaderMap::MaxBlocks)
        {
            nLogHolder::Get() << "[!] Failed to allocate shader block map.\n";
            return false;
        }
        m_slots.reserve(map.GetChildCount());
        nLinkedListIterator iterator;
        while (const nMetaTag* entry = map.GetNextChild(iterator))
        {
            if (entry->GetName() != "Entry")
            {
                nLogHolder::Get() << "[*] Unexpected tag '" << entry->GetName() << "' in shader map.\n";
                continue;
            }
            m_slots.push_back(ReadEntry(*entry));
        }
        return true;
    }

    // The block a branch names, with the inputs its "Input" children give; null when it names none.
    nShaderBlock* ReadBranch(const nMetaTag& branch)
    {
        if (++m_branchCount > nShaderMap::MaxWrittenBranchTags)
        {
            if (m_branchCount == nShaderMap::MaxWrittenBranchTags + 1)
                nLogHolder::Get() << "[!] Shader map branches past the limit are not read.\n";
            return nullptr;
        }
        const nMetaTag* indexTag = branch.GetTypedTag("Index;", TagTypeInteger);
        int32_t index = 0;
        if (!indexTag || !indexTag->GetValue().GetInt(index))
        {
            nLogHolder::Get() << "No block index found.\n";
            return nullptr;
        }
        if (index < 0 || uint32_t(index) >= m_slots.size())
        {
            nLogHolder::Get() << "[!] Shader block index " << int(index) << " is not in the block map.\n";
            return nullptr;
        }
        nShaderBlock* block = m_slots[index];
        const nMetaTag* inputs = branch.GetTag("Input;");
        if (!block || !inputs || block->GetInputCount() == 0)
            return block;
        uint32_t position = 0;
        nLinkedListIterator iterator;
        while (const nMetaTag* child = inputs->GetNextChild(iterator))
        {
            uint32_t input = position++;
            if (child->GetName() == "None")
                continue; // the writer's place holder for an input that is not connected
            nShaderBlock* source = ReadBranch(*child);
            if (source && block->GetInput(input) == source)
                continue; // a shared block, read again where another branch uses it
            if (source && block->IsReachableFrom(source))
            {
                nLogHolder::Get() << "[!] Shader block " << int(index)
                                  << " cannot take an input that depends on it; input dropped.\n";
                continue;
            }
            block->SetInput(input, source);
        }
        return block;
    }

    // Blocks a root reaches stay with the map; the others go with the block map.
    void Keep(const std::vector<nShaderBlock*>& blocks) { m_kept.insert(blocks.begin(), blocks.end()); }

private:
    nShaderBlock* ReadEntry(const nMetaTag& entry)
    {
        nString typeName;
        const nMetaTag* typeTag = entry.GetTag("Type;");
        if (!typeTag || !typeTag->GetValue().GetString(typeName))
            return nullptr;
        int32_t kind = KindFromName(typeName);
        if (kind == ShaderBlockNone)
        {
            nLogHolder::Get() << "Invalid block type '" << typeName << "'.\n";
            return nullptr;
        }
        nShaderBlock* block = NewShaderBlock(kind);
        if (!block)
            return nullptr;
        if (const nMetaTag* params = entry.GetTag("Param;"))
            ReadShaderBlockParams(*block, *params, m_engine);
        ReadEditorPosition(entry.GetTag("Pos;"), block->posX, block->posY);
        return block;
    }

    nEngineServices* m_engine;
    std::vector<nShaderBlock*> m_slots;
    std::unordered_set<nShaderBlock*> m_kept;
    uint32_t m_branchCount = 0;
};
} // namespace

bool nShaderMap::ParseTag(nEngineServices* engine, const nMetaTag& tag)
{
    if (tag.GetName() != "ShaderMap")
    {
        nLogHolder::Get() << "[!] Could not parse shader map. Root tag id is incorrect (" << tag.GetName()
                          << ").\n";
        return false;
    }
    Clear();
    BlockMap blocks(engine);
    const nMetaTag* map = tag.GetTag("Map;");
    bool haveMap = map && blocks.Read(*map);
    ReadEditorPosition(tag.GetTag("Pos;"), posX, posY);
    for (uint32_t root = 0; root < RootCount; ++root)
    {
        const nMetaTag* branch = tag.GetTag(kRootBranchPaths[root]);
        if (!branch)
            continue;
        if (!haveMap)
        {
            nLogHolder::Get() << "No map to build shader branch.\n";
            continue;
        }
        roots[root] = blocks.ReadBranch(*branch);
    }
    blocks.Keep(CollectBlocks());
    return true;
}
