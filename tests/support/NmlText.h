#pragma once

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "core/nml/nMetaTextWriter.h"

#include <memory>
#include <string>

// A tag as NML text, one tag a line and children indented by tabs; the tag is deleted.
inline std::string NmlTextOf(nMetaTag* tag)
{
    std::unique_ptr<nMetaTag> owned(tag);
    nMetaTextWriter writer(0);
    if (!owned || !writer.WriteTag(owned.get(), 0))
        return "<no tag>";
    return writer.GetText();
}

// A document read from NML text; its first root is the tag under test.
class NmlDocument
{
public:
    explicit NmlDocument(const std::string& text)
    {
        std::string document = "<NML=1.0>\n" + text;
        parsed = file.Parse(document.data(), document.size());
    }

    // An empty "Unparsed" tag when the text did not parse.
    nMetaTag& Root()
    {
        nLinkedListIterator iterator;
        nMetaTag* root = file.GetNextRoot(iterator);
        return root ? *root : *file.AddRoot("Unparsed");
    }

    bool parsed = false;

    nMetaFile file;
};
