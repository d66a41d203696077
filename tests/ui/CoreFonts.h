#pragma once

#include "core/base/nSharedPtr.h"
#include "core/io/nIOCFile.h"
#include "platform/nPlatform.h"
#include "ui/nFontSystem.h"
#include "ui/nWindowSystemFont.h"

#include <gtest/gtest.h>

// The repository's core data mounted as "@core/" and the font system open on its default font
// (DejaVuSans) for the lifetime of a test.
class CoreFonts
{
public:
    CoreFonts() : m_core(new nIOCFile(nString(KESTRUN_CORE_DATA_DIR)))
    {
        EXPECT_TRUE(nPlatform::Get().GetIOSystem().Mount(m_core.Get(), "@core/"));
        EXPECT_TRUE(FontSystemStartup(nullptr));
        font = FontSystemGetDefaultFont();
    }
    ~CoreFonts()
    {
        FontSystemShutdown();
        nPlatform::Get().GetIOSystem().Unmount(m_core.Get());
    }
    CoreFonts(const CoreFonts&) = delete;
    CoreFonts& operator=(const CoreFonts&) = delete;

    nWindowSystemFont* font = nullptr;

private:
    nSharedPtr<nIOCFile> m_core;
};
