#include "render/nRenderer.h"

#include "core/base/nLog.h"
#include "render/nRasterFont.h"

#include <new>

nRasterFont* nRenderer::LoadRasterFont(const char* path, const char* pageBase)
{
    auto* font = new (std::nothrow) nRasterFont(m_engine);
    if (!font)
    {
        nLogHolder::Get() << "[!] "
                          << "Failed to allocate a new raster font object.\n";
        return nullptr;
    }
    if (!font->Load(path, pageBase))
    {
        delete font;
        return nullptr;
    }
    return font;
}
