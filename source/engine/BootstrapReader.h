#pragma once

class QuenvarViewerBase;

// Reads the bootstrap file that replaces the command line when the program gets no arguments;
// false when no bootstrap file can be read.
bool ReadBootstrap(QuenvarViewerBase& viewer);
