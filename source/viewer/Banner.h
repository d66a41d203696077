#pragma once

// Writes the program's banner at the standard log level.
void PrintBanner();
