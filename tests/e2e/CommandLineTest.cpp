#include "e2e/KestrunProcess.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{

// The input these runs name does not exist: an accepted command line ends with start-up's failure.
constexpr int CommandLineAccepted = 2;
constexpr int CommandLineRefused = 1;

const char* const UsageText =
    "Usage: Kestrun input(.nms|.ngp) <-P> <-f|-A> <-S>\n\n"
    "Basic usage:\n\n"
    "-P                 : Execute a project (default: execute scene).\n"
    "-C <config path>   : Configuration file path.\n"
    "\n"
    "Data source (default: -f ./):\n\n"
    "-f <base path>     : Input data from the file system.\n"
    "-A <archive path>  : Input data from an archive.\n"
    "\n"
    "Resource path:\n\n"
    "-CC <path>         : Mount a file system directory as core.\n"
    "-MC <path> <mount> : Mount a file system directory.\n"
    "-S <path>          : Add search path.\n"
    "\n"
    "Data output (default: -r gl2 -m al):\n\n"
    "-r <ID>            : Output renderer ('Quenvar dummy -r list' for valid IDs).\n"
    "-m <ID>            : Output audio mixer ('Quenvar dummy -m list' for valid IDs).\n"
    "\n"
    "Debug interface:\n\n"
    "-d <port>          : Listen for incoming debugger connection on this port.\n"
    "-dp <password>     : Password-protect the debugger interface.\n"
    "Script interface:\n\n"
    "-I <include>       : Include a script.\n"
    "-Ds <var> <string> : Define and initialize a variable.\n"
    "-Di <var> <int>    : Define and initialize a variable.\n"
    "-Df <var> <float>  : Define and initialize a variable.\n"
    "\n"
    "Raytracer interface (scene view only):\n\n"
    "-R <path>          : Raytrace each frame to a directory.\n"
    "-Rw <int>          : Specify the raytracer frame width.\n"
    "-Rh <int>          : Specify the raytracer frame height.\n"
    "-Raa <int>         : Specify the raytracer AA grid size (default: 4).\n"
    "\n"
    "Program flags:\n\n"
    "-ignore_esc        : Do not exit on escape pressed.\n"
    "-ignore_missing    : Do not exit on missing resource.\n"
    "-ignore_bootstrap  : Ignore the bootstrap file.\n"
    "-tool_mode\t\t   : Execute as if ran in the editor.\n"
    "\n"
    "-safe_mode         : Enable renderer/mixer safe-mode.\n"
    "-fallback_disk_fs  : Fall back to the disk file system.\n"
    "\n"
    "-enable_profiler   : Enable on-screen profiler.\n"
    "\n"
    "-log_level <mask>  : Set the engine log level mask (eg. -log_level !S*).\n"
    "                     n: None\n"
    "                     s: Standard\n"
    "                     H: Header\n"
    "                     *: Warning\n"
    "                     !: Error\n"
    "                     S: Script\n"
    "                     a: All (default)\n"
    "-time_live <sec>   : Set a run time in seconds.\n"
    "\n"
    "Software mixer:\n\n"
    "-Mf <path>         : Output file.\n"
    "\n";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

int CountErrorLines(const std::string& text)
{
    int count = 0;
    for (const std::string& line : Lines(text))
        count += line.rfind("[!] ", 0) == 0 ? 1 : 0;
    return count;
}

class CommandLine : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_directory = new TemporaryDirectory;
        s_directory->WriteFile("s.nms", "<NML=1.0>\n<Scene>\n</Scene>\n");
        // The banner comes before the command line is read, so a log mask of none shows it alone.
        s_banner = RunKestrun(s_directory->Path(), {"s.nms", "-log_level", "n"}).output;
    }

    static void TearDownTestSuite()
    {
        delete s_directory;
        s_directory = nullptr;
    }

    // Runs "Kestrun s.nms -r none -m none" followed by the options.
    static KestrunRun RunWithScene(const std::vector<std::string>& options)
    {
        std::vector<std::string> arguments{"s.nms", "-r", "none", "-m", "none"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunKestrun(s_directory->Path(), arguments);
    }

    // The output after the banner; fails the test when the output does not start with it.
    static std::string AfterBanner(const KestrunRun& run)
    {
        EXPECT_EQ(run.output.compare(0, s_banner.size(), s_banner), 0) << run.output;
        return run.output.size() >= s_banner.size() ? run.output.substr(s_banner.size()) : std::string();
    }

    static inline TemporaryDirectory* s_directory = nullptr;
    static inline std::string s_banner;
};

TEST_F(CommandLine, BannerComesFirst)
{
    const std::vector<std::string> lines = Lines(s_banner);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Vornicade stand-alone.");
    EXPECT_EQ(lines[2], "Version: 1.2.2");
}

// The options with their arguments, in the given order or in the opposite one.
std::vector<std::string> Flatten(const std::vector<std::vector<std::string>>& options, bool reversed)
{
    std::vector<std::string> arguments;
    for (size_t i = 0; i < options.size(); ++i)
    {
        const std::vector<std::string>& option = options[reversed ? options.size() - 1 - i : i];
        arguments.insert(arguments.end(), option.begin(), option.end());
    }
    return arguments;
}

struct OptionCase
{
    const char* description;
    std::vector<std::string> options;
    const char* refusal; // the one line after the banner when refused; null when accepted
};

TEST_F(CommandLine, EveryOptionIsAcceptedOrRefusedWithItsOwnMessage)
{
    const std::string longText(20000, 'x');
    const std::vector<std::vector<std::string>> everyOption = {
        {"-P"},
        {"-time_live", "5"},
        {"-log_level", "a"},
        {"-ignore_bootstrap"},
        {"-ignore_esc"},
        {"-ignore_missing"},
        {"-tool_mode"},
        {"-fallback_disk_fs"},
        {"-safe_mode"},
        {"-enable_profiler"},
        {"-C", "my.cfg"},
        {"-f", "data"},
        {"-A", "data.vxa"},
        {"-S", "search"},
        {"-CC", "core"},
        {"-MC", "src", "@mine/"},
        {"-R", "out"},
        {"-Rw", "64"},
        {"-Rh", "48"},
        {"-Raa", "2"},
        {"-I", "a.nut"},
        {"-Ds", "s", "String Value"},
        {"-Di", "i", "5"},
        {"-Df", "f", "5.5"},
        {"-Mf", "mix.pcm"},
    };
    const OptionCase cases[] = {
        {"every option in one order", Flatten(everyOption, false), nullptr},
        {"every option in the opposite order", Flatten(everyOption, true), nullptr},
        {"repeated options",
         {"-r", "egl2", "-r", "none", "-A", "x", "-f", "y", "-P", "-P", "-S", "a", "-S", "a"},
         nullptr},
        {"arguments that look like options",
         {"-C", "-P", "-Ds", "-x", "-y", "-f", "-A", "-MC", "-S", "-I"},
         nullptr},
        {"numbers that are not numbers",
         {"-time_live", "soon", "-Rw", "1e3", "-Rh", "-5", "-Raa", "99999999999999999999", "-Di", "i", "zz",
          "-Df", "f", "1e999", "-Df", "g", "nan", "-time_live", "-99999999999999999999"},
         nullptr},
        {"empty arguments",
         {"-C", "", "-Ds", "", "", "-MC", "", "", "-log_level", "", "-log_level", "a"},
         nullptr},
        {"long arguments", {"-f", longText, "-Ds", longText, longText, "-I", longText}, nullptr},

        {"-time_live without seconds", {"-time_live"}, "[!] -time_live: Missing run time in seconds.\n"},
        {"-log_level without mask", {"-log_level"}, "[!] -log_level: Missing mask.\n"},
        {"-C without path", {"-C"}, "[!] -C: Missing configuration file path.\n"},
        {"-f without path", {"-f"}, "[!] -f: Missing root path.\n"},
        {"-A without path", {"-A"}, "[!] -A: Missing archive path.\n"},
        {"-r without id", {"-r"}, "[!] -r: Missing renderer id.\n"},
        {"-m without id", {"-m"}, "[!] -m: Missing mixer id.\n"},
        {"-S without path", {"-S"}, "[!] -S: Missing search path.\n"},
        {"-CC without path", {"-CC"}, "[!] -CC: Missing core path.\n"},
        {"-MC without path", {"-MC"}, "[!] -mC: Missing source path.\n"},
        {"-MC without mount point", {"-MC", "dir"}, "[!] -mC: Missing mount point.\n"},
        {"-R without path", {"-R"}, "[!] -R: Missing raytracer output path.\n"},
        {"-Rw without width", {"-Rw"}, "[!] -Rw: Missing raytracer frame width.\n"},
        {"-Rh without height", {"-Rh"}, "[!] -Rh: Missing raytracer frame height.\n"},
        {"-Raa without size", {"-Raa"}, "[!] -Raa: Missing raytracer AA grid size.\n"},
        {"-I without path", {"-I"}, "[!] -I: Missing include path.\n"},
        {"-Ds without name",
         {"-Ds"},
         "[!] -Ds: Incomplete key-value pair. (eg. -Ds my_var \"String Value\")\n"},
        {"-Ds without text",
         {"-Ds", "x"},
         "[!] -Ds: Incomplete key-value pair. (eg. -Ds my_var \"String Value\")\n"},
        {"-Di without name", {"-Di"}, "[!] -Di: Incomplete key-value pair. (eg. -Di my_var 5)\n"},
        {"-Di without number", {"-Di", "x"}, "[!] -Di: Incomplete key-value pair. (eg. -Di my_var 5)\n"},
        {"-Df without name", {"-Df"}, "[!] -Df: Incomplete key-value pair. (eg. -Df my_var 5.5)\n"},
        {"-Df without number", {"-Df", "x"}, "[!] -Df: Incomplete key-value pair. (eg. -Df my_var 5.5)\n"},
        {"-Mf without path", {"-Mf"}, "[!] -Mf: Missing mixer output file.\n"},
        {"a missing argument after accepted options",
         {"-P", "-f", "data", "-Ds", "x"},
         "[!] -Ds: Incomplete key-value pair. (eg. -Ds my_var \"String Value\")\n"},

        {"unknown option", {"-x"}, "[!] Unknown command line parameter '-x'\n"},
        {"only the first unknown option", {"-x", "-y"}, "[!] Unknown command line parameter '-x'\n"},
        {"options match case", {"-p"}, "[!] Unknown command line parameter '-p'\n"},
        {"options match whole arguments", {"-Pr"}, "[!] Unknown command line parameter '-Pr'\n"},
        {"the usage text's debugger port", {"-d", "5"}, "[!] Unknown command line parameter '-d'\n"},
        {"the usage text's debugger password", {"-dp", "pw"}, "[!] Unknown command line parameter '-dp'\n"},
        {"an extra argument after a flag", {"-P", "extra"}, "[!] Unknown command line parameter 'extra'\n"},
        {"an empty argument", {""}, "[!] Unknown command line parameter ''\n"},
    };
    for (const OptionCase& testCase : cases)
    {
        SCOPED_TRACE(testCase.description);
        const KestrunRun run = RunWithScene(testCase.options);
        const std::string after = AfterBanner(run);
        if (testCase.refusal)
        {
            EXPECT_EQ(run.exitCode, CommandLineRefused);
            EXPECT_EQ(after, testCase.refusal);
        }
        else
        {
            EXPECT_EQ(run.exitCode, CommandLineAccepted);
            EXPECT_GE(CountErrorLines(after), 1) << after; // start-up's own lines, no refusal
            EXPECT_EQ(after.find("Unknown command line parameter"), std::string::npos) << after;
        }
    }
}

TEST_F(CommandLine, LogLevelMaskFiltersEveryLaterLine)
{
    const std::string unfiltered = AfterBanner(RunWithScene({}));
    ASSERT_FALSE(unfiltered.empty());

    const KestrunRun quietRefusal = RunKestrun(s_directory->Path(), {"s.nms", "-log_level", "n", "-bogus"});
    EXPECT_EQ(quietRefusal.exitCode, CommandLineRefused);
    EXPECT_EQ(quietRefusal.output, s_banner);

    const KestrunRun errorsOnly = RunWithScene({"-log_level", "!S*"});
    EXPECT_EQ(errorsOnly.exitCode, CommandLineAccepted);
    const std::vector<std::string> lines = Lines(AfterBanner(errorsOnly));
    EXPECT_FALSE(lines.empty());
    for (const std::string& line : lines)
    {
        const std::string prefix = line.substr(0, 4);
        EXPECT_TRUE(prefix == "[!] " || prefix == "[*] " || prefix == "[S] ") << line;
    }

    EXPECT_EQ(AfterBanner(RunWithScene({"-log_level", "n", "-log_level", "a"})), unfiltered);
    EXPECT_EQ(AfterBanner(RunWithScene({"-log_level", "a", "-log_level", "n"})), "");
}

TEST_F(CommandLine, NoArgumentsAndNoBootstrapFileWriteTheUsageText)
{
    const KestrunRun run = RunKestrun(s_directory->Path(), {});
    EXPECT_EQ(run.exitCode, CommandLineRefused);
    EXPECT_EQ(AfterBanner(run), UsageText);
}

TEST_F(CommandLine, AnEmptyArgumentVectorIsTreatedAsNoArguments)
{
    const KestrunRun run = RunKestrun(s_directory->Path(), {}, false);
    EXPECT_EQ(run.exitCode, CommandLineRefused);
    EXPECT_EQ(AfterBanner(run), UsageText);
}

} // namespace
