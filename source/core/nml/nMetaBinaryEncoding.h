#pragma once

#include <cstddef>
#include <cstdint>

// The two text encodings of NML Binary values. Each encoder and decoder returns the number of
// characters or bytes it produced; with a null output it only counts (and ignores the capacity).
// Neither ever writes past the capacity nor reads past the given length.

// Groups of three bytes become four characters (6 bits plus 32 each), at most 15 groups a line,
// each line led by a length character and ended by LF.
size_t EncodeUU(const uint8_t* data, size_t size, char* out, size_t capacity);
size_t DecodeUU(const char* text, size_t length, uint8_t* out, size_t capacity);

// Each byte is offset by 42; 0, LF, CR and "=" are escaped as "=" and the byte plus 64. An LF is
// written before a byte when the current line already holds lineLength characters.
size_t EncodeYEnc(const uint8_t* data, size_t size, char* out, size_t capacity, size_t lineLength);
size_t DecodeYEnc(const char* text, size_t length, uint8_t* out, size_t capacity);

constexpr size_t YEncLineLength = 64;
