#include "core/nml/nMetaTag.h"
#include "core/nml/nRegistry.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <utility>
#include <vector>

namespace
{
class RecordingListener : public nRegistryListener
{
public:
    void OnMessage(nRegistryMessage message, const char* data) override
    {
        messages.emplace_back(message, data ? data : "(null)");
    }

    std::vector<std::pair<uint32_t, std::string>> messages;
};

// Removes itself from the registry when told, as a listener may.
class OneShotListener : public nRegistryListener
{
public:
    explicit OneShotListener(nRegistry& registry) : m_registry(registry) {}

    void OnMessage(nRegistryMessage, const char*) override
    {
        ++calls;
        m_registry.Remove(this);
    }

    int calls = 0;

private:
    nRegistry& m_registry;
};

nMetaTagValue Real(float value)
{
    nMetaTagValue result;
    result.SetFloat(value);
    return result;
}
} // namespace

TEST(RegistryTest, SetKeyCreatesThePathAndTellsListeners)
{
    nRegistry registry;
    RecordingListener first, second;
    registry.PushBack(&first);
    registry.PushBack(&second);

    nMetaTagValue value = Real(0.5f);
    nMetaTag* tag = registry.SetKey("PostProcess:FX:Scale;", &value);
    ASSERT_NE(nullptr, tag);
    EXPECT_STREQ("Scale", tag->GetName().GetText());
    EXPECT_FLOAT_EQ(0.5f, registry.GetFloat("PostProcess:FX:Scale;", 0));
    const std::vector<std::pair<uint32_t, std::string>> expected = {{2, "PostProcess:FX:Scale;"}};
    EXPECT_EQ(expected, first.messages);
    EXPECT_EQ(expected, second.messages);

    // A second key reuses the existing tags.
    registry.SetKey("PostProcess:FX:Other", &value);
    EXPECT_EQ(1u, registry.GetRoots().GetCount());
    EXPECT_EQ(2u, MetaFindTagInList(&registry.GetRoots(), "PostProcess:FX;", false)->GetChildCount());
}

TEST(RegistryTest, SetKeyKeepsABinaryValue)
{
    nRegistry registry;
    const uint8_t bytes[4] = {9, 0, 255, 1};
    nMetaTagValue value;
    value.SetBinary(bytes, sizeof(bytes));
    nMetaTag* tag = registry.SetKey("Input:Map", &value);
    ASSERT_NE(nullptr, tag);
    ASSERT_EQ(TagTypeBinary, tag->GetType());
    ASSERT_EQ(4u, tag->GetValue().GetBinarySize());
    EXPECT_EQ(0, std::memcmp(bytes, tag->GetValue().GetBinaryData(), 4));
}

TEST(RegistryTest, SetKeyWithoutValueOnlyCreates)
{
    nRegistry registry;
    RecordingListener listener;
    registry.PushBack(&listener);
    EXPECT_NE(nullptr, registry.SetKey("A:B", nullptr));
    EXPECT_TRUE(listener.messages.empty());
    EXPECT_NE(nullptr, MetaFindTagInList(&registry.GetRoots(), "A:B;", false));
}

TEST(RegistryTest, EmptySegmentsCreateNoUnnamedTags)
{
    nRegistry registry;
    nMetaTagValue value = Real(1.0f);
    ASSERT_NE(nullptr, registry.SetKey(":A", &value));
    ASSERT_NE(nullptr, registry.SetKey("B::C", &value));
    ASSERT_NE(nullptr, registry.SetKey("B:C:", &value));
    EXPECT_EQ(2u, registry.GetRoots().GetCount());
    for (nLinkedListEntry* entry = registry.GetRoots().GetHead(); entry; entry = entry->GetNext())
        EXPECT_FALSE(static_cast<nMetaTag*>(entry)->GetName().IsEmpty());
    EXPECT_EQ(1u, MetaFindTagInList(&registry.GetRoots(), "B;", false)->GetChildCount());
    EXPECT_EQ(nullptr, registry.SetKey(":", &value));
    EXPECT_EQ(nullptr, registry.SetKey(nullptr, &value));
}

TEST(RegistryTest, SetKeyThroughAValueFails)
{
    nRegistry registry;
    RecordingListener listener;
    registry.PushBack(&listener);
    registry.AddRootInt("Width", 640);
    nMetaTagValue value = Real(1.0f);
    NmlLogCapture log;
    EXPECT_EQ(nullptr, registry.SetKey("Width:Sub", &value));
    EXPECT_TRUE(listener.messages.empty());
    EXPECT_EQ("[!] Cannot add child to tag 'Width' as it is neither a pure tag or a node.\n", log.text);
    EXPECT_EQ(640, registry.GetInt("Width;", 0));
}

TEST(RegistryTest, ConvertingGetters)
{
    nRegistry registry;
    registry.AddRootBool("B", true);
    registry.AddRootString("S", "1");
    registry.AddRootInt("I", 3);
    registry.AddRootFloat("Z", 0.0f);
    EXPECT_FLOAT_EQ(1.0f, registry.GetFloat("B", 5.0f));
    EXPECT_FLOAT_EQ(5.0f, registry.GetFloat("S", 5.0f));
    EXPECT_FLOAT_EQ(3.0f, registry.GetFloat("I;", 5.0f));
    EXPECT_FLOAT_EQ(5.0f, registry.GetFloat("Missing", 5.0f));
    EXPECT_TRUE(registry.GetBool("I", false));
    EXPECT_FALSE(registry.GetBool("Z", true));
    EXPECT_TRUE(registry.GetBool("S", true));
    // The typed getters of the document stay exact.
    EXPECT_EQ(7, registry.GetInt("B;", 7));
}

TEST(RegistryTest, RemoveKey)
{
    nRegistry registry;
    registry.SetKey("A:B:C", nullptr);
    EXPECT_FALSE(registry.RemoveKey("A:B:X"));
    EXPECT_FALSE(registry.RemoveKey(nullptr));
    EXPECT_NE(nullptr, MetaFindTagInList(&registry.GetRoots(), "A:B:C;", false));
    EXPECT_TRUE(registry.RemoveKey("A:B;"));
    EXPECT_EQ(0u, MetaFindTagInList(&registry.GetRoots(), "A;", false)->GetChildCount());
    EXPECT_TRUE(registry.RemoveKey("A"));
    EXPECT_EQ(0u, registry.GetRoots().GetCount());
}

TEST(RegistryTest, ListenersMayLeaveDuringABroadcast)
{
    nRegistry registry;
    OneShotListener once(registry);
    RecordingListener after;
    registry.PushBack(&once);
    registry.PushBack(&after);
    EXPECT_NE(nullptr, registry.Find(&once));
    registry.Broadcast(RegistryApplyChanges, nullptr);
    registry.Broadcast(RegistryApplyChanges, nullptr);
    EXPECT_EQ(1, once.calls);
    EXPECT_EQ(2u, after.messages.size());
    EXPECT_EQ(nullptr, registry.Find(&once));

    registry.Clear();
    EXPECT_EQ(1u, registry.GetCount()); // the listeners stay
}
