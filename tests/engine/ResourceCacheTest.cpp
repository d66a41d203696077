#include "core/picture/nPicture.h"
#include "engine/PictureFile.h"
#include "engine/Quenvar.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

namespace
{
class ResourceCache : public ::testing::Test
{
protected:
    ResourceCache()
    {
        m_files.Write("a.tga", TgaFile(2, 2));
        m_files.Write("b.tga", TgaFile(1, 1));
        m_log.text.clear();
    }

    TemporaryFiles m_files;
    CapturedLog m_log;
    Quenvar m_engine;
};
} // namespace

TEST_F(ResourceCache, SecondLoadAnswersTheCachedPicture)
{
    nPicture* first = m_engine.LoadPicture("a.tga");
    ASSERT_NE(first, nullptr);
    m_files.Write("d/e.tga", TgaFile(1, 1));
    EXPECT_EQ(m_engine.LoadPicture("d\\e.tga"), m_engine.LoadPicture("d//e.tga"));
    EXPECT_EQ(m_engine.LoadPicture("a.tga"), first);
    EXPECT_EQ(m_engine.GetResourceCache()->GetPictureList().GetCount(), 2u);
    EXPECT_EQ(first->GetFormat(), PixelFormatBGRA8);
    EXPECT_EQ(first->GetPixelAddress(1, 1)[2], 0x30); // red stays red in BGRA8

    const nSharedPtr<nPicture> bypassed(m_engine.LoadPicture("a.tga", true));
    EXPECT_NE(bypassed.Get(), first);
    EXPECT_EQ(m_engine.GetResourceCache()->GetPictureList().GetCount(), 2u);
}

TEST_F(ResourceCache, PurgeDropsOnlyWhatTheCacheAloneHolds)
{
    const nSharedPtr<nPicture> held(m_engine.LoadPicture("a.tga"));
    ASSERT_NE(m_engine.LoadPicture("b.tga"), nullptr);
    m_log.text.clear();
    EXPECT_EQ(m_engine.GetResourceCache()->Purge(), 1u);
    EXPECT_EQ(m_log.text, "[H] 1 resource(s) purged.\n");
    EXPECT_EQ(m_engine.GetResourceCache()->GetPictureList().Find("a.tga"), held.Get());
    EXPECT_EQ(m_engine.GetResourceCache()->GetPictureList().Find("b.tga"), nullptr);
}

TEST_F(ResourceCache, UnregisteringAPictureKeepsItAliveWhileHeld)
{
    nResourceList<nPicture>& pictures = m_engine.GetResourceCache()->GetPictureList();
    const nSharedPtr<nPicture> held(m_engine.LoadPicture("a.tga"));
    EXPECT_FALSE(PictureCacheUnregister(pictures, "c.tga"));
    EXPECT_EQ(pictures.GetCount(), 1u);
    EXPECT_TRUE(PictureCacheUnregister(pictures, "a.tga"));
    EXPECT_EQ(pictures.GetCount(), 0u);
    EXPECT_EQ(held->GetRefCount(), 1u);
    EXPECT_EQ(held->GetWidth(), 2u);
    EXPECT_NE(m_engine.LoadPicture("a.tga"), held.Get());
}

// Entries of one name are found in list order, also after the first of them goes.
TEST_F(ResourceCache, LookupAnswersTheFirstEntryOfAName)
{
    nResourceList<nPicture>& pictures = m_engine.GetResourceCache()->GetPictureList();
    const nSharedPtr<nPicture> first(new nPicture());
    const nSharedPtr<nPicture> second(new nPicture());
    pictures.Add(first.Get(), "same");
    pictures.Add(second.Get(), "same");
    EXPECT_EQ(pictures.Find("same"), first.Get());
    EXPECT_TRUE(PictureCacheUnregister(pictures, "same"));
    EXPECT_EQ(pictures.Find("same"), second.Get());
    EXPECT_EQ(pictures.Find(nullptr), nullptr);
}

TEST_F(ResourceCache, SwitchingCachesAnswersThePreviousOne)
{
    nResourceCache* extra = m_engine.NewResourceCache();
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(m_engine.SetResourceCache(extra), m_engine.GetDefaultResourceCache());
    nPicture* picture = m_engine.LoadPicture("a.tga");
    EXPECT_EQ(extra->GetPictureList().Find("a.tga"), picture);
    EXPECT_EQ(m_engine.SetResourceCache(nullptr), extra);
    EXPECT_EQ(m_engine.GetResourceCache(), m_engine.GetDefaultResourceCache());
    EXPECT_EQ(m_engine.GetDefaultResourceCache()->GetPictureList().GetCount(), 0u);
}

TEST_F(ResourceCache, DeletingTheCurrentCacheMakesTheDefaultCurrent)
{
    nResourceCache* extra = m_engine.NewResourceCache();
    m_engine.SetResourceCache(extra);
    EXPECT_FALSE(m_engine.DeleteResourceCache(m_engine.GetDefaultResourceCache()));
    EXPECT_TRUE(m_engine.DeleteResourceCache(extra));
    EXPECT_EQ(m_engine.GetResourceCache(), m_engine.GetDefaultResourceCache());
    EXPECT_EQ(m_engine.GetExtraResourceCaches().GetCount(), 0u);
    EXPECT_NE(m_engine.LoadPicture("a.tga"), nullptr);
}

TEST_F(ResourceCache, FreeingCountsTheDefaultCacheToo)
{
    m_engine.SetResourceCache(m_engine.NewResourceCache());
    m_engine.LoadPicture("a.tga");
    m_engine.SetResourceCache(nullptr);
    m_engine.LoadPicture("b.tga");
    m_log.text.clear();
    m_engine.FreeResourceCaches();
    EXPECT_EQ(m_log.text, "Freeing 2 resource cache(s)...\nDone.\n");
    EXPECT_EQ(m_engine.GetResourceCache(), m_engine.GetDefaultResourceCache());
    EXPECT_EQ(m_engine.GetExtraResourceCaches().GetCount(), 0u);
    EXPECT_EQ(m_engine.GetDefaultResourceCache()->GetPictureList().GetCount(), 0u);
}
