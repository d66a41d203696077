#include "core/base/nLinkedList.h"
#include "core/base/nLinkedListId.h"
#include "core/base/nLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct Entry : nLinkedListEntryId
{
    Entry(const char* id, int* destroyed = nullptr) : nLinkedListEntryId(nString(id)), destroyed(destroyed) {}
    ~Entry() override
    {
        if (destroyed)
            ++*destroyed;
    }
    int* destroyed;
};

std::string Ids(const nLinkedList& list)
{
    std::string ids;
    for (nLinkedListEntry* entry = list.GetHead(); entry; entry = entry->GetNext())
        ids += static_cast<Entry*>(entry)->GetId().GetText();
    std::string backwards;
    for (nLinkedListEntry* entry = list.GetTail(); entry; entry = entry->GetPrev())
        backwards.insert(0, static_cast<Entry*>(entry)->GetId().GetText());
    EXPECT_EQ(ids, backwards);
    return ids;
}

class CapturingLog : public nLog
{
public:
    void Output(const char* line, uint8_t) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

struct LogCapture
{
    LogCapture() { nLogHolder::Set(&log); }
    ~LogCapture() { nLogHolder::Set(nullptr); }
    CapturingLog log;
};
} // namespace

TEST(LinkedListTest, AddAndInsert)
{
    nLinkedListId list;
    Entry* b = new Entry("b");
    EXPECT_EQ(list.Add(b), b);
    EXPECT_EQ(list.Add(b), b); // already in: unchanged
    EXPECT_EQ(list.GetCount(), 1u);
    list.Add(new Entry("a"), false);
    list.Add(new Entry("d"));
    list.InsertBefore(new Entry("0"), static_cast<Entry*>(list.GetHead()));
    list.InsertAfter(new Entry("e"), static_cast<Entry*>(list.GetTail()));
    list.InsertAfter(new Entry("c"), b);
    EXPECT_EQ(Ids(list), "0abcde");
    EXPECT_EQ(list.GetCount(), 6u);

    Entry loose("x");
    EXPECT_EQ(list.InsertBefore(&loose, nullptr), nullptr);
    EXPECT_EQ(list.InsertAfter(b, b), nullptr);
    EXPECT_EQ(list.Add(nullptr), nullptr);
}

TEST(LinkedListTest, UnlinkRemoveAndClear)
{
    int destroyed = 0;
    nLinkedListId list;
    Entry* a = new Entry("a", &destroyed);
    Entry* b = new Entry("b", &destroyed);
    list.Add(a);
    list.Add(b);
    Entry* c = new Entry("c", &destroyed);
    list.Add(c);
    Entry outsider("z");
    EXPECT_FALSE(list.Unlink(&outsider));
    EXPECT_TRUE(list.Remove(b, false));
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(b->GetNext(), nullptr);
    EXPECT_TRUE(list.Remove(a));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Ids(list), "c");
    list.Clear(false);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(c->GetList(), nullptr); // kept entries are free to join another list
    delete b;
    delete c;
    EXPECT_EQ(destroyed, 3);
}

TEST(LinkedListTest, NotOwnerNeverDeletes)
{
    int destroyed = 0;
    Entry a("a", &destroyed), b("b", &destroyed);
    {
        nLinkedList list;
        list.SetNotOwner(true);
        list.Add(&a);
        list.Add(&b);
        list.Remove(&a, true);
        list.Clear(true);
        list.Add(&a);
    }
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(a.GetList(), nullptr);
}

TEST(LinkedListTest, AnEntryBelongsToOneListOnly)
{
    LogCapture capture;
    nLinkedList first, second;
    first.SetNotOwner(true);
    second.SetNotOwner(true);
    Entry entry("e");
    first.Add(&entry);
    EXPECT_EQ(second.Add(&entry, true, true), nullptr);
    EXPECT_FALSE(second.Contains(&entry));
    EXPECT_TRUE(first.Contains(&entry));
    ASSERT_EQ(capture.log.lines.size(), 1u);
    EXPECT_EQ(capture.log.lines[0].rfind("[!] ", 0), 0u);
}

TEST(LinkedListTest, DeletedEntryLeavesItsList)
{
    nLinkedList list;
    Entry* a = new Entry("a");
    list.Add(a);
    list.Add(new Entry("b"));
    delete a;
    EXPECT_EQ(list.GetCount(), 1u);
    EXPECT_EQ(Ids(list), "b");
}

TEST(LinkedListTest, GetAtAndIteration)
{
    LogCapture capture;
    nLinkedList list;
    for (const char* id : {"a", "b", "c"})
        list.Add(new Entry(id));
    EXPECT_EQ(static_cast<Entry*>(list.GetAt(1))->GetId(), nString("b"));
    EXPECT_EQ(list.GetAt(3), nullptr);
    ASSERT_EQ(capture.log.lines.size(), 1u);
    EXPECT_EQ(capture.log.lines[0], "[!] out of bound linked list access.\n");

    nLinkedListIterator iterator;
    std::string seen;
    while (nLinkedListEntry* entry = list.Next(iterator))
    {
        seen += static_cast<Entry*>(entry)->GetId().GetText();
        list.Remove(entry);
    }
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST(LinkedListTest, FindById)
{
    LogCapture capture;
    nLinkedListId list;
    Entry* b = new Entry("b");
    list.Add(new Entry("a"));
    list.Add(b);
    list.Add(new Entry("b"));
    EXPECT_EQ(list.Find(nString("b")), b);
    EXPECT_EQ(list.Find(nString("zz"), false), nullptr);
    EXPECT_TRUE(capture.log.lines.empty());
    EXPECT_EQ(list.Find(nString("zz")), nullptr);
    ASSERT_EQ(capture.log.lines.size(), 1u);
    EXPECT_EQ(capture.log.lines[0], "[*] LListID failed to find 'zz'.\n");
}
