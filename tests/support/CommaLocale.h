#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

// Selects, for the given category, a locale whose decimal separator is a comma; it is built into a
// scratch directory when the machine has none installed. False when none can be had.
inline bool SelectCommaLocale(int category)
{
    if (std::setlocale(category, "de_DE.UTF-8"))
        return true;
    std::string directory = testing::TempDir() + "kestrun-locales";
    std::string command = "mkdir -p '" + directory + "' && localedef -i de_DE -f UTF-8 '" + directory +
                          "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    setenv("LOCPATH", directory.c_str(), 1);
    return std::setlocale(category, "de_DE.UTF-8") != nullptr;
}
