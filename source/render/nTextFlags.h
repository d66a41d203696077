#pragma once

// How a text's position is read: correct for the window's aspect, and whether the position is
// already normalised to 0..1 (otherwise pixels). Profiler and statistics texts pass {true, false}.
struct nTextFlags
{
    bool correctAspect = true;
    bool normalised = false;
};
