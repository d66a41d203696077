#include "render/gl/nDDSFile.h"

#include <cstddef>
#include <cstdint>

// Any bytes as a DDS file: the header, the format and every level's place must stay inside the
// bytes, so each loaded level is read end to end.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    nDDSFile file;
    if (file.Parse(data, size) != nDDSFile::Loaded)
        return 0;
    volatile uint32_t sum = 0;
    for (uint32_t level = 0; level < file.levelCount; ++level)
    {
        const nDDSFile::Level& at = file.levels[level];
        if (at.size > 0)
            sum = sum + data[at.offset] + data[at.offset + at.size - 1];
    }
    return 0;
}
