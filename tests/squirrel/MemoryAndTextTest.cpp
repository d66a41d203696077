#include "SquirrelFixture.h"

#include "squirrel/sqmem.h"
#include "squirrel/sqstdblob.h"
#include "squirrel/sqstring.h"

#include <cstring>
#include <string>

namespace {

// The text search against the plain definition, on needles and texts where its shortcuts
// (rare bytes tested first, the linear fallback) could go wrong.
TEST(FindTextTest, AgreesWithAPlainSearch) {
    auto plain = [](const std::string& text, const std::string& needle) -> long {
        size_t at = text.find(needle);
        return at == std::string::npos ? -1 : (long)at;
    };
    auto fast = [](const std::string& text, const std::string& needle) -> long {
        const SQChar* found = sqFindText(text.data(), text.size(), needle.data(), needle.size());
        return found ? (long)(found - text.data()) : -1;
    };
    std::string items;
    for (int i = 0; i < 3000; ++i) items += "item" + std::to_string(i) + ",";
    const std::string texts[] = {"", "a", "ab", "abcabc", std::string(100, 'a') + "b", items,
                                 std::string("a\0b\0c", 5), std::string(40, 'x') + "yz" + std::string(40, 'x')};
    const std::string needles[] = {"", "a", "b", "ab", "bc", "cab", "yz", "xxyzx", "item2999,", "item29991",
                                   std::string(50, 'a') + "b", std::string("\0c", 2), "zz", items.substr(100, 40)};
    for (const std::string& text : texts) {
        for (const std::string& needle : needles) {
            for (size_t from = 0; from <= text.size(); from += text.size() / 7 + 1) {
                std::string tail = text.substr(from);
                EXPECT_EQ(plain(tail, needle), fast(tail, needle)) << "needle '" << needle << "' from " << from;
            }
        }
    }
}

// Runs of one byte make candidates fail late everywhere; the search still ends quickly and
// finds a match at the very end.
TEST(FindTextTest, LongRunsOfOneByteStayLinear) {
    std::string text(1 << 22, 'a');
    std::string needle(4096, 'a');
    needle.back() = 'b';
    EXPECT_EQ(nullptr, sqFindText(text.data(), text.size(), needle.data(), needle.size()));
    text.back() = 'b';
    const SQChar* found = sqFindText(text.data(), text.size(), needle.data(), needle.size());
    ASSERT_NE(nullptr, found);
    EXPECT_EQ((long)(text.size() - needle.size()), (long)(found - text.data()));
}

// A freed large block serves the next request of its size class; small ones go to the heap.
TEST(BlockCacheTest, FreedLargeBlocksAreReusedForTheirClass) {
    void* first = sqAllocateBlock(100000);
    sqFreeBlock(first, 100000);
    void* second = sqAllocateBlock(99000);  // the same class: a quarter of the octave wide
    EXPECT_EQ(first, second);
    memset(second, 1, 99000);
    sqFreeBlock(second, 99000);
    void* other = sqAllocateBlock(300000);
    EXPECT_NE(first, other);
    sqFreeBlock(other, 300000);
}

class LiveBytesLimitTest : public SquirrelFixture {
protected:
    void TearDown() override {
        sqSetLiveBytesLimit(0);
        SquirrelFixture::TearDown();
    }
};

// Past the bound a host sets, sizes asked for at once are refused with a script error and
// nothing is allocated; without a bound the same script runs.
TEST_F(LiveBytesLimitTest, SizesPastTheBoundAreScriptErrors) {
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sq_pop(v, 1);
    ASSERT_TRUE(Run("big <- \"x\"; for (local i = 0; i < 20; ++i) big += big;"));  // 1 MB
    sqSetLiveBytesLimit(sqLiveBytes() + (4 << 20));
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {{"array(1 << 20);", "not enough memory"},
                          {"[].resize(1 << 20);", "not enough memory"},
                          {"local s = big + big + big + big + big;", "not enough memory"},
                          {"blob(8 << 20);", "out of memory: the blob is too large"},
                          {"local b = blob(0); b.resize(8 << 20);", "out of memory: the blob is too large"}};
    for (const Case& c : cases) {
        int64_t before = sqLiveBytes();
        EXPECT_FALSE(Run(c.script)) << c.script;
        EXPECT_EQ(c.error, LastError()) << c.script;
        EXPECT_LE(sqLiveBytes(), before + (64 << 10)) << c.script;
    }
    EXPECT_FALSE(sqLiveBytesOverLimit());
    sqSetLiveBytesLimit(0);
    EXPECT_TRUE(Run("array(1 << 20); local s = big + big + big + big + big;"));
}

}  // namespace
