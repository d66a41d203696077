#pragma once

class QuenvarViewerBase;

// Writes the program's usage text, then the viewer's own options.
void PrintUsage(const QuenvarViewerBase& viewer);
