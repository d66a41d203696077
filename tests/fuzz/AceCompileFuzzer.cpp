#include "animation/nACEManager.h"
#include "animation/nACEUnit.h"
#include "core/base/nLog.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
// The vocabulary the 2D layer and the items give their command lists: commands of no, one and
// three parameters.
class FuzzVocabulary : public nACEManager
{
public:
    FuzzVocabulary()
    {
        Define("toposition", 0, 3);
        Define("toscale", 1, 3);
        Define("toalpha", 5, 1);
        Define("show", 6, 0);
    }
};
} // namespace

// Any bytes as a command-list text, compiled and, when it compiles, played for a few steps of
// the sizes its first bytes choose (loops included). A refused list leaves the unit done.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzVocabulary* vocabulary = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        return new FuzzVocabulary();
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    nACEUnit unit;
    const int32_t entries = vocabulary->CompileCommandList(text.c_str(), &unit);
    if (entries < 0)
    {
        if (!unit.IsCommandListDone())
        {
            std::fprintf(stderr, "a refused list left the unit running\n");
            std::abort();
        }
        return 0;
    }
    for (size_t step = 0; step < 64 && !unit.IsCommandListDone(); ++step)
        unit.Update(size > step ? float(data[step]) / 16.0f : 0.25f);
    return 0;
}
