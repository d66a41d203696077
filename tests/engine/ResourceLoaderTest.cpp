#include "core/picture/nPicture.h"
#include "engine/LoadRecorder.h"
#include "engine/PictureFile.h"
#include "engine/resources/nResourceLoader.h"
#include "support/CapturedLog.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A kind the engine does not know: loads when its file exists.
class TestResource : public nSharedObject
{
};

std::vector<std::string> s_notFoundNames;
const char* s_redirect = nullptr;

void RememberMissing(nString& name)
{
    s_notFoundNames.emplace_back(name.GetText());
    if (s_redirect)
        name = s_redirect;
}

class ResourceLoader : public ::testing::Test
{
protected:
    ResourceLoader()
    {
        s_notFoundNames.clear();
        s_redirect = nullptr;
        m_files.Write("present.res", "x");
        m_files.Write("a.tga", TgaFile(2, 2));
    }

    TestResource* Load(const char* path, nResourceList<TestResource>* list, nCacheAdd add = nCacheAdd::Append)
    {
        return LoadResource(m_engine, path, list, RememberMissing, add,
                            [this](const nString& name)
                            {
                                m_createdFor.emplace_back(name.GetText());
                                return nPlatform::Get().GetIOSystem().Exists(name) ? new TestResource()
                                                                                   : nullptr;
                            });
    }

    TemporaryFiles m_files;
    CapturedLog m_log;
    Quenvar m_engine;
    LoadRecorder m_recorder{m_engine};
    nResourceList<TestResource> m_list;
    std::vector<std::string> m_createdFor;
};
} // namespace

TEST_F(ResourceLoader, TellsSinkAndListenersAroundTheLoad)
{
    TestResource* resource = Load("present.res", &m_list);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(m_recorder.events,
              (std::vector<std::string>{"begin", "progress Loading resource 'present.res'...", "message 3",
                                        "message 4", "end"}));
    EXPECT_FLOAT_EQ(m_recorder.fractions[0], -1.0f);
    EXPECT_EQ(m_list.Find("present.res"), resource);
    EXPECT_TRUE(s_notFoundNames.empty());

    m_recorder.events.clear();
    EXPECT_EQ(Load("present.res", &m_list), resource);
    EXPECT_TRUE(m_recorder.events.empty());
    EXPECT_EQ(m_createdFor.size(), 1u);
}

TEST_F(ResourceLoader, MissingFileGoesToTheHookOnceAndIsNotCached)
{
    EXPECT_EQ(Load("absent.res", &m_list), nullptr);
    EXPECT_EQ(s_notFoundNames, (std::vector<std::string>{"absent.res"}));
    EXPECT_EQ(m_list.GetCount(), 0u);
    EXPECT_EQ(m_recorder.events.back(), "end");
}

TEST_F(ResourceLoader, HookMayRedirectToAFileThatIsAlreadyCached)
{
    TestResource* present = Load("present.res", &m_list);
    s_redirect = "present.res";
    EXPECT_EQ(Load("absent.res", &m_list), present);
    EXPECT_EQ(s_notFoundNames.size(), 1u);
    EXPECT_EQ(m_createdFor.size(), 1u);
}

TEST_F(ResourceLoader, BypassNeitherLooksUpNorRecords)
{
    TestResource* cached = Load("present.res", &m_list);
    const nSharedPtr<TestResource> bypassed(Load("present.res", nullptr));
    EXPECT_NE(bypassed.Get(), cached);
    EXPECT_EQ(m_list.GetCount(), 1u);
    EXPECT_EQ(Load(nullptr, &m_list), nullptr);
}

TEST_F(ResourceLoader, MaterialsJoinTheirListOnce)
{
    const nSharedPtr<TestResource> material(new TestResource());
    EXPECT_TRUE(m_list.AddUnlessPresent(material.Get(), "m"));
    EXPECT_FALSE(m_list.AddUnlessPresent(material.Get(), "other"));
    EXPECT_EQ(m_list.GetCount(), 1u);
}

TEST_F(ResourceLoader, PictureLoadEndsWithTheResultOrANullSlot)
{
    nPicture* picture = m_engine.LoadPicture("a.tga");
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(m_recorder.payloads.size(), 2u);
    EXPECT_EQ(m_recorder.payloads[1].picture, picture);

    m_recorder.payloads.clear();
    EXPECT_EQ(m_engine.LoadPicture("absent.tga"), nullptr);
    ASSERT_EQ(m_recorder.payloads.size(), 2u);
    EXPECT_EQ(m_recorder.payloads[1].picture, nullptr);
    EXPECT_EQ(m_engine.GetResourceCache()->GetPictureList().GetCount(), 1u);
}

TEST_F(ResourceLoader, PictureHookSeesEveryResult)
{
    static std::vector<nPicture*> seen;
    seen.clear();
    m_engine.SetPictureLoadedHook([](nPicture* picture) { seen.push_back(picture); });
    nPicture* picture = m_engine.LoadPicture("a.tga");
    m_engine.LoadPicture("a.tga");
    m_engine.LoadPicture("absent.tga");
    EXPECT_EQ(seen, (std::vector<nPicture*>{picture, picture}));
}
