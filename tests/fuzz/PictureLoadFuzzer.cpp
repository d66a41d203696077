#include "PictureMemoryFile.h"

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"
#include "core/picture/nPictureIOCodec.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Any bytes, as a file handed to the TGA reader and the codec chain. A loaded picture is then
// converted and summed, so that every pixel the readers claim to have written is touched.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        PictureRegisterIOCodecs();
        return true;
    }();
    (void)registered;
    nPicture picture;
    if (LoadPictureBytes(picture, std::vector<uint8_t>(data, data + size)))
    {
        picture.ComputeChecksum();
        picture.Convert(PixelFormatBGRA8);
        picture.Flip(true, true);
    }
    return 0;
}
