#include "viewer/Usage.h"

#include "core/base/nLog.h"
#include "viewer/QuenvarViewerBase.h"

void PrintUsage(const QuenvarViewerBase& viewer)
{
    static const char* const lines[] = {
        "Usage: Kestrun input(.nms|.ngp) <-P> <-f|-A> <-S>\n\n",
        "Basic usage:\n\n",
        "-P                 : Execute a project (default: execute scene).\n",
        "-C <config path>   : Configuration file path.\n",
        "\n",
        "Data source (default: -f ./):\n\n",
        "-f <base path>     : Input data from the file system.\n",
        "-A <archive path>  : Input data from an archive.\n",
        "\n",
        "Resource path:\n\n",
        "-CC <path>         : Mount a file system directory as core.\n",
        "-MC <path> <mount> : Mount a file system directory.\n",
        "-S <path>          : Add search path.\n",
        "\n",
        "Data output (default: -r gl2 -m al):\n\n",
        "-r <ID>            : Output renderer ('Quenvar dummy -r list' for valid IDs).\n",
        "-m <ID>            : Output audio mixer ('Quenvar dummy -m list' for valid IDs).\n",
        "\n",
        "Debug interface:\n\n",
        "-d <port>          : Listen for incoming debugger connection on this port.\n",
        "-dp <password>     : Password-protect the debugger interface.\n",
        "Script interface:\n\n",
        "-I <include>       : Include a script.\n",
        "-Ds <var> <string> : Define and initialize a variable.\n",
        "-Di <var> <int>    : Define and initialize a variable.\n",
        "-Df <var> <float>  : Define and initialize a variable.\n",
        "\n",
        "Raytracer interface (scene view only):\n\n",
        "-R <path>          : Raytrace each frame to a directory.\n",
        "-Rw <int>          : Specify the raytracer frame width.\n",
        "-Rh <int>          : Specify the raytracer frame height.\n",
        "-Raa <int>         : Specify the raytracer AA grid size (default: 4).\n",
        "\n",
        "Program flags:\n\n",
        "-ignore_esc        : Do not exit on escape pressed.\n",
        "-ignore_missing    : Do not exit on missing resource.\n",
        "-ignore_bootstrap  : Ignore the bootstrap file.\n",
        "-tool_mode\t\t   : Execute as if ran in the editor.\n",
        "\n",
        "-safe_mode         : Enable renderer/mixer safe-mode.\n",
        "-fallback_disk_fs  : Fall back to the disk file system.\n",
        "\n",
        "-enable_profiler   : Enable on-screen profiler.\n",
        "\n",
        "-log_level <mask>  : Set the engine log level mask (eg. -log_level !S*).\n",
        "                     n: None\n",
        "                     s: Standard\n",
        "                     H: Header\n",
        "                     *: Warning\n",
        "                     !: Error\n",
        "                     S: Script\n",
        "                     a: All (default)\n",
        "-time_live <sec>   : Set a run time in seconds.\n",
        "\n",
    };
    nLog& log = nLogHolder::Get();
    for (const char* line : lines)
        log << line;
    viewer.PrintOptionUsage();
}
