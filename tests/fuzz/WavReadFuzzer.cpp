#include "FuzzMemoryFiles.h"

#include "audio/nSample.h"
#include "core/base/nLog.h"
#include "platform/nPlatform.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any bytes, as a WAV file in the mount table. Every byte of a loaded sample is then read, so that
// a buffer shorter than the frames it claims shows up.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted("mem@/");
    files->ClearFiles();
    files->Put("x.wav", std::string(reinterpret_cast<const char*>(data), size));
    nSample sample;
    // A sound the software mixer plays: 8-bit samples are widened when it takes them.
    if (sample.Decode("mem@/x.wav") && sample.WidenTo16Bits())
    {
        volatile uint32_t sum = 0;
        for (size_t i = 0; i < sample.GetSize(); ++i)
            sum = sum + sample.GetBuffer()[i];
    }
    return 0;
}
