#include "FuzzMemoryFiles.h"

#include "core/base/nLog.h"
#include "platform/nPlatform.h"
#include "ui/nFontSystem.h"
#include "ui/nWindowSystemFont.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any bytes as a TrueType font file handed to FreeType through our wrapper, as the default font
// of a fresh font system: measured at several sizes (with kerning), a few glyphs rendered, and the
// font system shut down again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzMemoryFiles* files = &FuzzMemoryFiles::Mounted();
    files->ClearFiles();
    files->Put("fuzz.ttf", std::string(reinterpret_cast<const char*>(data), size));
    if (!FontSystemStartup("fuzz.ttf"))
        return 0;
    nWindowSystemFont* font = FontSystemGetDefaultFont();
    static const char* const Texts[] = {"AVAWaTo fi\xC3\xA4", "\xE2\x82\xAC\xEF\xBF\xBD\n|", ""};
    for (int32_t pixelSize : {0, 1, 13, 97, 5000})
    {
        int32_t width = 0;
        int32_t height = 0;
        for (const char* text : Texts)
            font->GetTextExtent(text, pixelSize, width, height);
        uint32_t previous = 0;
        for (uint32_t character : {0x41u, 0x56u, 0x20u, 0xE4u, 0x20ACu, 0x10FFFFu})
        {
            const nGlyphMetrics* metrics = font->GetGlyphMetrics(character);
            if (!metrics)
                continue;
            font->GetGlyphBitmap(metrics->index);
            font->GetKerning(previous, metrics->index);
            previous = metrics->index;
        }
    }
    FontSystemShutdown();
    return 0;
}
