#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "platform/nPlatform.h"
#include "script/units/nScriptUnit.h"
#include "script/units/nScriptedObject.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

// "ScriptedObject" blocks of NML text: every root is read as one, written back and read again,
// and the two reads must hold the same units with the same parameters.

namespace
{
class FuzzScriptedObject : public nScriptedObject
{
public:
    nScriptUnit* CreateScriptUnit() override { return AppendScriptUnit(new nScriptUnit(nullptr), "fuzz"); }
};

void Fail(const char* what)
{
    std::fprintf(stderr, "round trip: %s\n", what);
    std::abort();
}

void Compare(const nScriptedObject& read, const nScriptedObject& readBack)
{
    auto* back = readBack.GetScriptUnits().GetHead();
    for (auto* unit = read.GetScriptUnits().GetHead(); unit; unit = unit->next)
    {
        const nScriptUnit& first = *unit->value;
        const bool empty =
            first.GetScript().IsEmpty() && first.GetClassName().IsEmpty() && first.GetParameters().IsEmpty();
        if (empty)
            continue; // an empty unit is not written
        if (!back)
            Fail("a unit went missing");
        const nScriptUnit& second = *back->value;
        if (first.GetScript() != second.GetScript() || first.GetClassName() != second.GetClassName())
            Fail("script or class changed");
        if (first.GetParameters().GetCount() != second.GetParameters().GetCount())
            Fail("parameter count changed");
        auto* other = second.GetParameters().GetHead();
        for (auto* parameter = first.GetParameters().GetHead(); parameter; parameter = parameter->next)
        {
            if (parameter->value->GetName() != other->value->GetName() ||
                parameter->value->GetType() != other->value->GetType())
                Fail("parameter changed");
            other = other->next;
        }
        back = back->next;
    }
    if (back)
        Fail("a unit was added");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted();
    files->ClearFiles();
    files->Put("a", std::string(reinterpret_cast<const char*>(data), size));
    nMetaFile file;
    if (!file.Load("a"))
        return 0;
    nLinkedListIterator iterator;
    while (nLinkedListEntry* entry = file.GetRoots().Next(iterator))
    {
        const nMetaTag* root = static_cast<nMetaTag*>(entry);
        FuzzScriptedObject read;
        if (!read.Parse(root))
            continue;
        std::unique_ptr<nMetaTag> written(read.Serialize());
        FuzzScriptedObject readBack;
        if (written && !readBack.Parse(written.get()))
            Fail("the written tag was refused");
        Compare(read, readBack);
    }
    return 0;
}
