#pragma once

#include <cstdint>

// The log level mask of "-log_level", read left to right from 0: 's' standard, 'H' header,
// '*' warning, '!' error, 'S' script add their bit, 'a' sets all bits, 'n' clears them; other
// characters are ignored.
uint8_t ParseLogLevelMask(const char* letters);
