#include "engine/KestrunDriver.h"

#include "engine/QuenvarViewerDesktop.h"
#include "platform/nstring/nString.h"

int RunKestrun(int argc, char** argv)
{
    nString programDirectory(argc > 0 ? argv[0] : nullptr); // argv[0] may be missing
    programDirectory.StripFilename();

    QuenvarViewerDesktop viewer;
    viewer.PreInitialise();
    if (!viewer.ParseCommandLine(argc, argv))
        return 1;

    viewer.MountConfiguration(programDirectory);
    viewer.LoadConfiguration(); // a configuration that cannot be read keeps the defaults

    if (!viewer.Startup())
        return 2;
    while (viewer.Step())
    {
    }
    if (viewer.CheckExit())
        return 3; // the viewer's destructor runs the shut-down
    viewer.Shutdown();
    return 0;
}
