#include "viewer/KestrunDriver.h"

#include "platform/nProgramDirectory.h"
#include "platform/nStopSignal.h"
#include "viewer/QuenvarViewerDesktop.h"

int RunKestrun(int argc, char** argv)
{
    // The executable's own directory: argv[0] names it only when the program was started by path.
    const nString programDirectory = GetProgramDirectory();

    InstallStopSignalHandlers();
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
    return viewer.HasOutputFailed() ? 4 : 0;
}
