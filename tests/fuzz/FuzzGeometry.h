#pragma once

#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "geometry/nGeometry.h"

// The document's first root read as a geometry of that name, or null when it is none.
inline nGeometry* ReadFuzzGeometry(nEngineServices& engine, nMetaFile& document, const char* name)
{
    nLinkedListIterator iterator;
    nMetaTag* root = document.GetNextRoot(iterator);
    auto* geometry = new nGeometry(&engine);
    geometry->name = name;
    if (root && geometry->ParseTag(document, *root))
        return geometry;
    delete geometry;
    return nullptr;
}
