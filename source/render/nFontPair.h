#pragma once

class nRasterFont;

// The two fonts of the on-screen profiler and statistics: body lines and titles.
struct nFontPair
{
    nRasterFont* regular = nullptr;
    nRasterFont* bold = nullptr;
};
