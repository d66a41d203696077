#include "engine/items/nItem.h"
#include "engine/items/nMObject.h"
#include "engine/scene/SceneFileFixture.h"
#include "engine/scene/nGroup.h"
#include "engine/scene/nInstance.h"

#include <gtest/gtest.h>

#include <climits>
#include <pthread.h>
#include <set>
#include <string>

// Templates that instance themselves, templates whose UIDs are large, and links in numbers: what
// content can do to a scene while it loads.

namespace
{
using SceneTemplate = SceneFileFixture;

std::string Object(const std::string& name, long long uid)
{
    return "<MObject=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) + "><Active>><Object=<Item>>>";
}

std::string Instance(const std::string& name, long long uid, const std::string& templatePath)
{
    return "<Instance=<MItem=<Id=\"" + name + "\"><UId=" + std::to_string(uid) +
           "><Active>><Item><Template=\"" + templatePath + "\">>";
}

// A template with a scene script that counts its instances.
std::string Template(const std::string& items, const std::string& links = "")
{
    return "<NML=1.0>\n<Scene=<ScriptedObject=<ScriptUnit=<Script=\"@scripts/"
           "items.nut\"><Class=\"Counted\">>>"
           "<Items=" +
           items + "><Links=" + links + ">>\n";
}

// Runs the work on a thread of its own with the stack size given, and waits for it.
template <typename Work> void RunOnSmallStack(size_t stackSize, Work work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, stackSize);
    pthread_t thread;
    auto entry = [](void* argument) -> void*
    {
        (*static_cast<Work*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, entry, &work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

constexpr const char* CountedScript =
    "class Counted { function OnSetup(owner) { print(\"template script\"); } }\n";
} // namespace

TEST_F(SceneTemplate, ATemplateInstancingItselfIsRefusedWhereItClosesTheCycle)
{
    WriteScript(CountedScript);
    WriteFile("loop.nms", Template(Object("Box", 0) + Instance("again", 1, "@scripts/LOOP.nms")));
    scene->NewInstance("start", "@scripts/loop.nms");
    scene->Setup();
    scene->Setup();

    EXPECT_EQ(scene->GetInstances().GetCount(), 2u);
    EXPECT_EQ(scene->GetObjects().GetCount(), 1u);
    EXPECT_EQ(CountLines("[!] Instance 'again' in '@scripts/loop.nms' is refused: its template "
                         "'@scripts/LOOP.nms' instances itself."),
              1u)
        << log;
    EXPECT_EQ(CountLines("[S] template script"), 1u) << log;
    EXPECT_EQ(log.find("nested too deep"), std::string::npos) << log;
}

TEST_F(SceneTemplate, MutualTemplatesBuildEachOnceBeforeTheCycleIsRefused)
{
    WriteScript(CountedScript);
    WriteFile("a.nms", Template(Object("A", 0) + Instance("toB", 1, "@scripts/b.nms")));
    WriteFile("b.nms", Template(Object("B", 0) + Instance("toA", 1, "@scripts/a.nms")));
    scene->NewInstance("first", "@scripts/a.nms");
    scene->NewInstance("second", "@scripts/a.nms");
    scene->Setup();

    // Each legal instance builds its template once: A and B under both, and no deeper copy.
    EXPECT_EQ(scene->GetObjects().GetCount(), 4u);
    EXPECT_EQ(CountLines("[!] Instance 'toA' in '@scripts/b.nms' is refused: its template '@scripts/a.nms' "
                         "instances itself."),
              2u)
        << log;
    EXPECT_EQ(CountLines("[S] template script"), 4u) << log;
}

TEST_F(SceneTemplate, TheDepthLimitStillStopsADeepChainOfDistinctTemplates)
{
    const int files = nScene::MaxInstanceDepth + 3;
    for (int index = 0; index < files; ++index)
        WriteFile("t" + std::to_string(index) + ".nms",
                  "<NML=1.0>\n<Scene=<Items=" +
                      Instance("next", 0, "@scripts/t" + std::to_string(index + 1) + ".nms") + ">>\n");
    scene->NewInstance("start", "@scripts/t0.nms");
    scene->Setup();
    EXPECT_EQ(scene->GetInstances().GetCount(), static_cast<uint32_t>(nScene::MaxInstanceDepth) + 1);
    EXPECT_NE(log.find("nested too deep"), std::string::npos);
}

TEST_F(SceneTemplate, ATemplateWithLargeUidsKeepsItsLinksInEveryCopy)
{
    WriteFile("big.nms", "<NML=1.0>\n<Scene=<Items=" + Object("Root", 0) + Object("Leaf", 2000000000) +
                             "><Links=<Link=<Item=2000000000><Link=0>>>>\n");
    for (const char* name : {"one", "two", "three"})
        scene->NewInstance(name, "@scripts/big.nms");
    scene->Setup();

    std::set<int32_t> uids;
    nWalkList<nMItem*>::Walk items(scene->GetAllItems());
    while (nMItem* item = items.Next())
    {
        EXPECT_GE(item->GetUid(), 0) << item->GetName().GetText();
        EXPECT_TRUE(uids.insert(item->GetUid()).second) << item->GetName().GetText() << " " << item->GetUid();
    }
    for (const char* name : {"one", "two", "three"})
    {
        SCOPED_TRACE(name);
        nInstance* instance = scene->FindInstance(name);
        ASSERT_TRUE(instance && instance->GetGroup());
        nMItem* root = instance->GetGroup()->FindItem("Root");
        nMItem* leaf = instance->GetGroup()->FindItem("Leaf");
        ASSERT_TRUE(root && leaf);
        EXPECT_EQ(leaf->GetItem()->GetParent(), root->GetItem());
        EXPECT_EQ(root->GetItem()->GetParent(), instance->GetItem());
    }
    EXPECT_EQ(log.find("Corrupt item"), std::string::npos) << log;
}

// Past its top the counter never wraps: each item takes the lowest UID no item holds, and a file
// read then keeps its links.
TEST_F(SceneTemplate, PastTheTopOfTheUidCounterItemsTakeFreeUids)
{
    scene->SetNextUid(INT32_MAX);
    EXPECT_EQ(scene->NewObject("Last")->GetUid(), INT32_MAX);
    nMObject* first = scene->NewObject("First");
    scene->SetNextUid(1u + uint32_t(INT32_MAX));
    nMObject* second = scene->NewObject("Second");
    ASSERT_TRUE(first && second);
    EXPECT_GE(first->GetUid(), 0);
    EXPECT_GE(second->GetUid(), 0);
    EXPECT_NE(first->GetUid(), second->GetUid());
    EXPECT_EQ(log.find("[!]"), std::string::npos) << log;

    WriteFile("late.nms", "<NML=1.0>\n<Scene=<Items=" + Object("A", 0) + Object("B", 1) +
                              "><Links=<Link=<Item=1><Link=0>>>>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/late.nms", nullptr, ImportFlagAll, 0));
    nMItem* a = scene->FindItem("A");
    nMItem* b = scene->FindItem("B");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->GetItem()->GetParent(), a->GetItem());
    nWalkList<nMItem*>::Walk items(scene->GetAllItems());
    while (nMItem* item = items.Next())
    {
        EXPECT_GE(item->GetUid(), 0) << item->GetName().GetText();
        EXPECT_EQ(scene->FindMItemByUid(item->GetUid()), item) << item->GetName().GetText();
    }
}

// A file whose largest UID is the top: its items keep their file UIDs, read in one pass (no
// search for a free UID per item), and an item whose UID cannot be used takes one no other holds.
TEST_F(SceneTemplate, AFileUpToTheTopUidKeepsItsUidsAndGivesAFreeOneToACorruptItem)
{
    std::string items = Object("Top", INT32_MAX) + Object("Corrupt", 1LL << 40);
    for (int index = 0; index < 2000; ++index)
        items += Object("O" + std::to_string(index), index);
    WriteFile("top.nms", "<NML=1.0>\n<Scene=<Items=" + items + ">>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/top.nms", nullptr, ImportFlagAll, 0));
    EXPECT_EQ(scene->FindItem("Top")->GetUid(), INT32_MAX);
    EXPECT_EQ(scene->FindItem("O1999")->GetUid(), 1999);
    const int32_t corrupt = scene->FindItem("Corrupt")->GetUid();
    EXPECT_GE(corrupt, 2000);
    EXPECT_EQ(scene->FindMItemByUid(corrupt), scene->FindItem("Corrupt"));
}

TEST_F(SceneTemplate, LinksFindTheFirstItemOfARepeatedUid)
{
    nMObject* early = scene->NewObject("Early");
    scene->SetNextUid(0); // the next items repeat UIDs 0 and 1
    WriteFile("r.nms", "<NML=1.0>\n<Scene=<Items=" + Object("Parent", 0) + Object("Child", 1) +
                           "><Links=<Link=<Item=1><Link=0>>>>\n");
    ASSERT_TRUE(scene->LoadFromFile("@scripts/r.nms", nullptr, ImportFlagAll, 0));
    nMItem* child = scene->FindItem("Child");
    ASSERT_TRUE(child);
    EXPECT_EQ(child->GetItem()->GetParent(), early->GetItem());
}

// A chain of items each linked to the one before, as a stored parent chain is written, then in
// the reverse order. On a thread with a small stack, the load, a frame and the end would overflow
// it if anything recursed per link.
TEST_F(SceneTemplate, ADeepLinkChainLoadsUpdatesAndGoesWithoutRecursion)
{
    constexpr int Count = 6000;
    constexpr size_t StackSize = 512 * 1024;
    for (const bool reversed : {false, true})
    {
        SCOPED_TRACE(reversed ? "reversed" : "in order");
        std::string items;
        std::string links;
        for (int index = 0; index < Count; ++index)
        {
            items += Object("I" + std::to_string(index), index);
            const int child = reversed ? Count - 1 - index : index;
            if (child > 0)
                links +=
                    "<Link=<Item=" + std::to_string(child) + "><Link=" + std::to_string(child - 1) + ">>";
        }
        WriteFile("chain.nms", "<NML=1.0>\n<Scene=<Items=" + items + "><Links=" + links + ">>\n");
        float leafHeight = 0.0f;
        RunOnSmallStack(StackSize,
                        [&]
                        {
                            ASSERT_TRUE(scene->LoadFromFile("@scripts/chain.nms", nullptr, ImportFlagAll, 0));
                            nMItem* first = scene->FindItem("I0");
                            nMItem* last = scene->FindItem(("I" + std::to_string(Count - 1)).c_str());
                            ASSERT_TRUE(first && last);
                            first->GetItem()->SetPosition(nVector(0.0f, 1.0f, 0.0f));
                            leafHeight = last->GetItem()->GetWorldMatrix().GetTranslation().y;
                            RunFrame();
                            first->GetItem()->SetPosition(nVector(0.0f, 2.0f, 0.0f));
                            scene->DeleteContent(false);
                        });
        EXPECT_FLOAT_EQ(leafHeight, 1.0f);
    }
}
