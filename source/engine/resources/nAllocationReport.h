#pragma once

#include "render/nFontPair.h"

class nRenderer;

// The on-screen table of the memory accounting: per category the live and peak bytes and
// allocation counts, then their totals. Continues at (x, y) and leaves y below the table.
void DrawAllocationReport(nRenderer& renderer, const nFontPair& fonts, float& x, float& y);
