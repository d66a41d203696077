#include "engine/items/BlockFixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

std::vector<std::unique_ptr<nMetaFile>> CorpusBlocks(const char* blockName)
{
    std::vector<std::unique_ptr<nMetaFile>> blocks;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(KESTRUN_FUZZ_CORPUS))
    {
        if (!entry.is_regular_file())
            continue;
        std::ifstream stream(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        // A fuzz input may carry further documents after this separator; the first one is read.
        bytes = bytes.substr(0, bytes.find(std::string("\0%%\0", 4)));
        nMetaFile parsed;
        parsed.Parse(bytes.data(), bytes.size());
        auto asBlock = std::make_unique<nMetaFile>();
        nMetaTag* root = asBlock->AddRoot(blockName);
        nLinkedListIterator iterator;
        while (const nMetaTag* tag = parsed.GetNextRoot(iterator))
        {
            if (nMetaTag* copy = tag->Clone(true))
                if (!root->AddChildTag(copy))
                    delete copy;
            if (nMetaTag* copy = tag->Clone(true))
                asBlock->AddRoot(copy);
        }
        blocks.push_back(std::move(asBlock));
    }
    return blocks;
}
