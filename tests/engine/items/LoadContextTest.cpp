#include "engine/items/nLoadContext.h"
#include "support/CapturedLog.h"

#include <gtest/gtest.h>

namespace
{
size_t Count(const std::string& text, const char* needle)
{
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}
} // namespace

TEST(LoadContext, ThirtyOnePushesFitAndTheThirtySecondOverflows)
{
    CapturedLog log;
    nLoadContextStack stack;
    for (int i = 0; i < 31; ++i)
        stack.Push();
    EXPECT_TRUE(log.text.empty());
    nMObject* object = reinterpret_cast<nMObject*>(&stack);
    stack.PushObject(object);
    EXPECT_EQ(Count(log.text, "[!] Load context stack overflow.\n"), 1u);
    EXPECT_EQ(stack.GetCurrent().object, object);
    for (int i = 0; i < 32; ++i)
        stack.Pop();
    EXPECT_EQ(stack.GetDepth(), 0);
    EXPECT_EQ(Count(log.text, "[!]"), 1u);
}

TEST(LoadContext, PopAtBaseUnderflowsAndTheNextPushWritesEntryZero)
{
    CapturedLog log;
    nLoadContextStack stack;
    stack.Pop();
    EXPECT_EQ(stack.GetDepth(), -1);
    EXPECT_NE(log.text.find("[!] Load context stack underflow.\n"), std::string::npos);
    nGeometry* geometry = reinterpret_cast<nGeometry*>(&stack);
    stack.PushGeometry(geometry);
    EXPECT_EQ(stack.GetDepth(), 0);
    EXPECT_EQ(stack.GetCurrent().geometry, geometry);
}

TEST(LoadContext, APushClearsWhatTheEntryHeldBefore)
{
    nLoadContextStack stack;
    stack.PushMaterial(reinterpret_cast<nMaterial*>(&stack));
    stack.Pop();
    stack.PushGeometry(reinterpret_cast<nGeometry*>(&stack));
    EXPECT_EQ(stack.GetCurrent().material, nullptr);
}
