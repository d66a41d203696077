#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaFile.h"
#include "engine/Quenvar.h"
#include "engine/project/nProject.h"
#include "platform/nPlatform.h"
#include "viewer/QuenvarViewerDesktop.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
enum Mode : uint8_t
{
    ModeBootstrap,
    ModeConfiguration,
    ModeProject,
    ModeCount,
};

// A project file is read, written and read back: the second reading keeps what the first had.
void ReadProjectBack(Quenvar& engine)
{
    nProject first(&engine);
    if (!first.Load("game.ngp"))
        return;
    nMetaFile written;
    if (!first.Serialize(written))
        return;
    nProject second(&engine);
    if (!second.Parse(written) || !(second.GetName() == first.GetName()) ||
        second.GetIncludes().GetCount() != first.GetIncludes().GetCount())
    {
        std::fprintf(stderr, "a written project does not read back the same\n");
        std::abort();
    }
}
} // namespace

// The files read at start-up. The first byte chooses the file the rest of the input is: the
// bootstrap file a run without arguments reads, the configuration of "-C", or a project file
// (".ngp"), each through the code that reads it in the program.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted();
    static Quenvar* engine = new Quenvar();
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    files->ClearFiles();
    switch (data[0] % ModeCount)
    {
    case ModeBootstrap:
    {
        files->Put("bootstrap.txt", text);
        QuenvarViewerDesktop viewer;
        char program[] = "Kestrun";
        char* arguments[] = {program, nullptr};
        viewer.ParseCommandLine(1, arguments);
        break;
    }
    case ModeConfiguration:
    {
        files->Put("engine.cfg", text);
        QuenvarViewerDesktop viewer;
        char program[] = "Kestrun", input[] = "s.nms", option[] = "-C", path[] = "engine.cfg";
        char* arguments[] = {program, input, option, path, nullptr};
        if (viewer.ParseCommandLine(4, arguments))
            viewer.LoadConfiguration();
        break;
    }
    default:
        files->Put("game.ngp", text);
        ReadProjectBack(*engine);
        break;
    }
    return 0;
}
