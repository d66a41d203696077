#include "core/base/nAutoPtr.h"
#include "core/base/nLog.h"
#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "core/base/nWeakPtr.h"

#include <gtest/gtest.h>

namespace
{
struct Resource : nSharedObject
{
    explicit Resource(int& destroyed) : destroyed(destroyed) {}
    ~Resource() override { ++destroyed; }
    int& destroyed;
};

struct OtherBase
{
    virtual ~OtherBase() = default;
    int padding = 0;
};

// The shared part is not the first base: holders must still reach the right counter.
struct MixedResource : OtherBase, Resource
{
    using Resource::Resource;
};

class QuietLog : public nLog
{
public:
    void Output(const char* line, uint8_t) override { last = line; }
    std::string last;
};
} // namespace

TEST(SharedObjectTest, LastHolderDestroys)
{
    int destroyed = 0;
    Resource* resource = new Resource(destroyed);
    EXPECT_EQ(resource->GetRefCount(), 0u);
    {
        nSharedPtr<Resource> first(resource);
        {
            nSharedPtr<Resource> second(first);
            EXPECT_EQ(resource->GetRefCount(), 2u);
        }
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(SharedObjectTest, SelfAssignmentChangesNoCount)
{
    int destroyed = 0;
    nSharedPtr<Resource> pointer(new Resource(destroyed));
    nSharedPtr<Resource>& alias = pointer;
    pointer = alias;
    pointer = pointer.Get();
    EXPECT_EQ(pointer->GetRefCount(), 1u);
    EXPECT_EQ(destroyed, 0);

    nSharedPtr<Resource> other(new Resource(destroyed));
    pointer = other;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(other->GetRefCount(), 2u);
    EXPECT_TRUE(pointer == other);
    nSharedPtr<Resource> moved(std::move(other));
    EXPECT_EQ(moved->GetRefCount(), 2u);
    EXPECT_FALSE(other);
}

TEST(SharedObjectTest, HolderAdjustsToTheSharedBase)
{
    int destroyed = 0;
    {
        nSharedPtr<MixedResource> pointer(new MixedResource(destroyed));
        nSharedPtr<Resource> base(pointer);
        EXPECT_EQ(pointer->GetRefCount(), 2u);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(SharedObjectTest, WeakPointerSeesTheDeath)
{
    int destroyed = 0;
    nWeakPtr<Resource> weak;
    {
        nSharedPtr<Resource> strong(new Resource(destroyed));
        weak = strong.Get();
        nWeakPtr<Resource> copy(weak);
        EXPECT_EQ(weak.Get(), strong.Get());
        EXPECT_EQ(strong->GetWeakBlock()->weakCount, 2u);
    }
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(weak.Get(), nullptr); // the block outlives the object while weak pointers remain
    EXPECT_FALSE(weak.IsAlive());
}

// A part of the object that points back at it weakly lets go inside the object's destructor, after
// the last release: the block must stay until that destructor ends (ASan sees a free too early),
// and the dying object already reads as gone.
struct Owner : nSharedObject
{
    struct Part
    {
        nWeakPtr<Owner> owner;
        bool& sawItGone;
        ~Part() { sawItGone = owner.Get() == nullptr; }
    };
    explicit Owner(bool& sawItGone) : part(new Part{this, sawItGone}) {}
    ~Owner() override { delete part; }
    Part* part;
};

TEST(SharedObjectTest, AWeakPointerLetGoWhileItsObjectDiesLeavesTheBlockToTheObject)
{
    for (bool watchedFromOutside : {false, true})
    {
        bool sawItGone = false;
        nSharedPtr<Owner> owner(new Owner(sawItGone));
        nWeakPtr<Owner> outside(watchedFromOutside ? owner.Get() : nullptr);
        owner = nullptr;
        EXPECT_TRUE(sawItGone);
        EXPECT_EQ(outside.Get(), nullptr);
    }
}

TEST(SharedObjectTest, ReleaseWithoutReferenceIsRefused)
{
    QuietLog log;
    nLogHolder::Set(&log);
    int destroyed = 0;
    Resource* resource = new Resource(destroyed);
    resource->Release();
    nLogHolder::Set(nullptr);
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(log.last.rfind("[!] ", 0), 0u);
    nSharedPtr<Resource> owner(resource);
}

TEST(AutoPtrTest, OwnsAndResets)
{
    int destroyed = 0;
    nAutoPtr<Resource> empty;
    empty.Reset();
    {
        nAutoPtr<Resource> owner(new Resource(destroyed));
        Resource* same = owner.Get();
        owner = same;
        EXPECT_EQ(destroyed, 0);
        owner = new Resource(destroyed);
        EXPECT_EQ(destroyed, 1);
        owner.Reset();
        EXPECT_EQ(destroyed, 2);
        EXPECT_FALSE(owner);
        owner = new Resource(destroyed);
    }
    EXPECT_EQ(destroyed, 3);
}
