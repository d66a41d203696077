#include "viewer/QuenvarViewerBase.h"

#include "core/base/nLog.h"
#include "viewer/CommandLineNumber.h"
#include "viewer/LogLevelMask.h"
#include "viewer/Usage.h"

#include <cstring>
#include <new>

bool QuenvarViewerBase::ParseCommandLine(int argc, char** argv)
{
    if (argc < 2)
    {
        if (ReadBootstrap())
            return true;
        PrintUsage(*this);
        return false;
    }

    m_inputPath = argv[1];
    for (int index = 2; index < argc;)
    {
        OptionResult result = ParseBaseOption(argc, argv, index);
        if (result == OptionUnknown)
            result = ParseOption(argc, argv, index);
        if (result == OptionUnknown)
        {
            nLogHolder::Get() << "[!] Unknown command line parameter '" << argv[index] << "'\n";
            return false;
        }
        if (result == OptionRefused)
            return false;
    }
    return true;
}

bool QuenvarViewerBase::AddDefine(nVariant* define)
{
    if (!define || !m_defines.PushBack(define))
    {
        delete define;
        nLogHolder::Get() << "[!] Failed to allocate define structure.\n";
        return false;
    }
    return true;
}

QuenvarViewerBase::OptionResult QuenvarViewerBase::ParseBaseOption(int argc, char** argv, int& index)
{
    struct Option
    {
        const char* name;
        int argumentCount;
        const char* missingArgument;
        const char* missingSecondArgument; // null: the same message as for the first
        // Applies the option to its arguments; false refuses after logging why.
        bool (*apply)(QuenvarViewerBase& viewer, char** arguments);
    };
    using Viewer = QuenvarViewerBase;

    static const Option options[] = {
        {"-P", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_viewMode = ViewModeProject;
             return true;
         }},
        {"-time_live", 1, "-time_live: Missing run time in seconds.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_timeLive = ReadIntegerArgument(arguments[0]);
             return true;
         }},
        {"-log_level", 1, "-log_level: Missing mask.\n", nullptr,
         [](Viewer&, char** arguments)
         {
             nLogHolder::Get().SetMask(ParseLogLevelMask(arguments[0]));
             return true;
         }},
        {"-ignore_bootstrap", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_ignoreBootstrap = true;
             return true;
         }},
        {"-ignore_esc", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_ignoreEscape = true;
             return true;
         }},
        {"-ignore_missing", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_ignoreMissingResources = true;
             return true;
         }},
        {"-tool_mode", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_toolMode = true;
             return true;
         }},
        {"-fallback_disk_fs", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_fallBackToDisk = true;
             return true;
         }},
        {"-safe_mode", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_safeMode = true;
             return true;
         }},
        {"-enable_profiler", 0, nullptr, nullptr,
         [](Viewer& viewer, char**)
         {
             viewer.m_profiler = true;
             return true;
         }},
        {"-C", 1, "-C: Missing configuration file path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_configurationPath = arguments[0];
             return true;
         }},
        {"-f", 1, "-f: Missing root path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_dataSourcePath = arguments[0];
             return true;
         }},
        {"-A", 1, "-A: Missing archive path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_dataSourcePath = arguments[0];
             viewer.m_dataSourceKind = DataSourceArchive;
             return true;
         }},
        {"-r", 1, "-r: Missing renderer id.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_rendererId = arguments[0];
             return true;
         }},
        {"-m", 1, "-m: Missing mixer id.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_mixerId = arguments[0];
             return true;
         }},
        {"-S", 1, "-S: Missing search path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             if (viewer.m_searchPaths.PushBack(nString(arguments[0])))
                 return true;
             nLogHolder::Get() << "[!] Failed to allocate search path structure.\n";
             return false;
         }},
        {"-CC", 1, "-CC: Missing core path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.MountHostDirectory(arguments[0], "@core/");
             return true;
         }},
        {"-MC", 2, "-mC: Missing source path.\n", "-mC: Missing mount point.\n",
         [](Viewer& viewer, char** arguments)
         {
             viewer.MountHostDirectory(arguments[0], arguments[1]);
             return true;
         }},
        {"-R", 1, "-R: Missing raytracer output path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_raytraceOutputDirectory = arguments[0];
             viewer.m_engine.SetSetupOnLoad(false); // the frames are raytraced, not drawn
             // Split large geometries keep their polygons, which the raytracer reads.
             viewer.m_engine.SetKeepGeometryData(true);
             return true;
         }},
        {"-Rw", 1, "-Rw: Missing raytracer frame width.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_raytraceWidth = ReadIntegerArgument(arguments[0]);
             return true;
         }},
        {"-Rh", 1, "-Rh: Missing raytracer frame height.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_raytraceHeight = ReadIntegerArgument(arguments[0]);
             return true;
         }},
        {"-Raa", 1, "-Raa: Missing raytracer AA grid size.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             viewer.m_raytraceAntialiasGrid = ReadIntegerArgument(arguments[0]);
             return true;
         }},
        {"-I", 1, "-I: Missing include path.\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             if (viewer.m_includes.PushBack(nString(arguments[0])))
                 return true;
             nLogHolder::Get() << "[!] Failed to allocate include structure.\n";
             return false;
         }},
        {"-Ds", 2, "-Ds: Incomplete key-value pair. (eg. -Ds my_var \"String Value\")\n", nullptr,
         [](Viewer& viewer, char** arguments)
         {
             return viewer.AddDefine(new (std::nothrow)
                                         nVariant(arguments[0], static_cast<const char*>(arguments[1])));
         }},
        {"-Di", 2, "-Di: Incomplete key-value pair. (eg. -Di my_var 5)\n", nullptr,
         [](Viewer& viewer, char** arguments) {
             return viewer.AddDefine(new (std::nothrow)
                                         nVariant(arguments[0], ReadIntegerArgument(arguments[1])));
         }},
        {"-Df", 2, "-Df: Incomplete key-value pair. (eg. -Df my_var 5.5)\n", nullptr,
         [](Viewer& viewer, char** arguments) {
             return viewer.AddDefine(new (std::nothrow)
                                         nVariant(arguments[0], ReadRealArgument(arguments[1])));
         }},
    };

    for (const Option& option : options)
    {
        if (std::strcmp(argv[index], option.name) != 0)
            continue;
        const int available = argc - index - 1;
        if (available < option.argumentCount)
        {
            const bool hasFirst = available > 0;
            const char* message = hasFirst && option.missingSecondArgument ? option.missingSecondArgument
                                                                           : option.missingArgument;
            nLogHolder::Get() << "[!] " << message;
            return OptionRefused;
        }
        if (!option.apply(*this, argv + index + 1))
            return OptionRefused;
        index += 1 + option.argumentCount;
        return OptionAccepted;
    }
    return OptionUnknown;
}
