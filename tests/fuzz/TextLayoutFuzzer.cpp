#include "core/base/nLog.h"
#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "core/picture/nPicture.h"
#include "platform/nPlatform.h"
#include "ui/nFontSystem.h"
#include "ui/nTextLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any bytes as a text with inline commands, drawn into a 64 x 64 picture in the core data's
// default font. The first six bytes, when there are that many, choose the format, the alignment,
// the size, the characters per line, the tracking and the heading.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static nSharedPtr<nIOCFile> core(new nIOCFile(nString(KESTRUN_CORE_DATA_DIR)));
    static bool open = []
    {
        nLogHolder::Get().SetMask(LogLevelNone);
        nPlatform::Get().GetIOSystem().Mount(core.Get(), "@core/");
        return FontSystemStartup(nullptr);
    }();
    if (!open)
        return 0;
    static nPicture picture(64, 64, PixelFormatBGRA8);
    nTextAttributes attributes;
    attributes.font = FontSystemGetDefaultFont();
    if (size >= 6)
    {
        attributes.format = data[0] % 4;
        attributes.align = data[1] % 5;
        attributes.size = int32_t(data[2]) - 8;
        attributes.charactersPerLine = data[3] % 12;
        attributes.tracking = int8_t(data[4]);
        attributes.heading = int8_t(data[5]);
        data += 6;
        size -= 6;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const nRect area{0, 0, 64, 64};
    ComputeTextRect(text.c_str(), attributes, area);
    RenderTextToPicture(picture, text.c_str(), attributes, nRect{-8, 4, 40, 60}, area);
    return 0;
}
