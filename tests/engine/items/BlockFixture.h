#pragma once

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"

#include <memory>
#include <string>
#include <vector>

// Parses NML text into a document whose first root is handed to a block reader.
inline nMetaTag* ParseBlock(nMetaFile& file, const std::string& text)
{
    const std::string document = "<NML=1.0>\n" + text;
    if (!file.Parse(document.data(), document.size()))
        return nullptr;
    nLinkedListIterator iterator;
    return file.GetNextRoot(iterator);
}

inline std::vector<std::string> ChildNames(const nMetaTag& tag)
{
    std::vector<std::string> names;
    nLinkedListIterator iterator;
    while (const nMetaTag* child = tag.GetNextChild(iterator))
        names.emplace_back(child->GetName().GetText());
    return names;
}

// Each document of the NML fuzz corpus, as its roots and as the children of a tag named as the
// block, so readers meet every shape the corpus holds.
std::vector<std::unique_ptr<nMetaFile>> CorpusBlocks(const char* blockName);
