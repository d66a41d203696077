#pragma once

#include "squirrel/squirrel.h"

#include <cstddef>
#include <string>
#include <unordered_map>

// The compiled main function of each script file, with the text it was compiled from. A unit's
// file runs again at every instantiation: a scene of thousands of items sharing one script would
// otherwise compile it thousands of times and keep as many copies of its code, which every event
// then reads from a different place in memory. A file whose text changed is compiled again.
class nCompiledScripts
{
public:
    // Pushes the function compiled from the text; false, with nothing pushed, when it does not
    // compile (the compile hook has reported it, and a failed text is not kept).
    bool Push(HSQUIRRELVM vm, const char* path, const char* text, size_t length);
    // Gives up every function: before the machine closes, and when what compiling produces
    // changes (debug information switched on or off).
    void Clear(HSQUIRRELVM vm);

private:
    struct Compiled
    {
        std::string text;
        HSQOBJECT function;
    };

    std::unordered_map<std::string, Compiled> m_files;
};
