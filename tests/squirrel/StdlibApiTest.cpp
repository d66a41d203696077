#include "SquirrelFixture.h"

#include "squirrel/sqstdaux.h"
#include "squirrel/sqstdblob.h"
#include "squirrel/sqstdio.h"
#include "squirrel/sqstdstring.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

using StdlibApiTest = SquirrelFixture;

TEST_F(StdlibApiTest, ErrorHandlersReportCompileAndRuntimeErrorsWithTheCallStack) {
    sqstd_seterrorhandlers(v);
    EXPECT_FALSE(Run("local x = ;"));
    EXPECT_NE(std::string::npos, printed.find("test:1:")) << printed;
    EXPECT_NE(std::string::npos, printed.find("compile error")) << printed;
    printed.clear();
    EXPECT_FALSE(Run("function inner() { throw \"boom\"; }\nfunction outer() { inner(); }\nouter();"));
    EXPECT_NE(std::string::npos, printed.find("RUNTIME ERROR: boom")) << printed;
    size_t stack = printed.find("CALLSTACK");
    ASSERT_NE(std::string::npos, stack) << printed;
    size_t inner = printed.find("[inner()] test line [1]", stack);
    size_t outer = printed.find("[outer()] test line [2]", stack);
    EXPECT_NE(std::string::npos, inner) << printed;
    EXPECT_LT(inner, outer) << printed;
}

SQInteger DumpStack(HSQUIRRELVM v) {
    sqstd_printcallstack(v);
    return 0;
}

TEST_F(StdlibApiTest, PrintCallStackListsTheCallersOfTheNative) {
    sq_pushroottable(v);
    sq_pushstring(v, "dump", -1);
    sq_newclosure(v, DumpStack, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(Run("function caller() {\n dump();\n}\ncaller();"));
    EXPECT_EQ(0u, printed.find("CALLSTACK\n*FUNCTION [caller()] test line [2]\n")) << printed;
}

TEST_F(StdlibApiTest, FormatWritesEveryConversionAndRefusesBadInput) {
    struct Case {
        const char* format;
        SQInteger integer;
        SQFloat number;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"%d|%.2f|%s", 42, 1.5f, "abc", "42|1.50|abc"},
        {"%5d|%-6.1f|%3s|", -7, 2.25f, "xy", "   -7|2.2   | xy|"},
        {"%x %%|%e|%.1s", 255, 1e20f, "long", "ff %|1.000000e+20|l"},
        {"%d %d %s", 1, 1e20f, "", nullptr},  // a float for %d saturates
    };
    for (const Case& c : cases) {
        SQInteger top = sq_gettop(v);
        sq_pushstring(v, c.format, -1);
        sq_pushinteger(v, c.integer);
        sq_pushfloat(v, c.number);
        sq_pushstring(v, c.text, -1);
        SQInteger length = 0;
        SQChar* out = nullptr;
        ASSERT_TRUE(SQ_SUCCEEDED(sqstd_format(v, top + 1, &length, &out))) << c.format;
        std::string text(out, (size_t)length);
        if (c.expected) {
            EXPECT_EQ(c.expected, text);
        } else {
            EXPECT_EQ("1 2147483647 ", text);
        }
        sq_settop(v, top);
    }
    for (const char* bad : {"%d %d %d %d %d", "%q", "%*d", "%2000d"}) {
        SQInteger top = sq_gettop(v);
        sq_pushstring(v, bad, -1);
        sq_pushinteger(v, 1);
        SQInteger length = 0;
        SQChar* out = nullptr;
        EXPECT_TRUE(SQ_FAILED(sqstd_format(v, top + 1, &length, &out))) << bad;
        sq_settop(v, top);
    }
}

TEST_F(StdlibApiTest, BlobsMadeInCAreSeenByScripts) {
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sq_pushstring(v, "fromC", -1);
    auto* bytes = static_cast<unsigned char*>(sqstd_createblob(v, 4));
    ASSERT_NE(nullptr, bytes);
    EXPECT_EQ(0, bytes[0] | bytes[1] | bytes[2] | bytes[3]);
    memcpy(bytes, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(4, sqstd_getblobsize(v, -1));
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(Run("assert(fromC.len() == 4 && fromC[2] == 3); fromC.writen(0x0605, 'w');"
                    "fromScript <- blob(2); fromScript[1] = 9;"));
    sq_pushroottable(v);
    sq_pushstring(v, "fromScript", -1);
    sq_get(v, -2);
    SQUserPointer payload = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_getblob(v, -1, &payload)));
    EXPECT_EQ(9, static_cast<unsigned char*>(payload)[1]);
    sq_pop(v, 1);
    sq_pushstring(v, "fromC", -1);
    sq_get(v, -2);
    EXPECT_EQ(4, sqstd_getblobsize(v, -1));
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_getblob(v, -1, &payload)));
    EXPECT_EQ(0, memcmp(payload, "\x05\x06\x03\x04", 4));
    sq_pop(v, 1);
    sq_pushinteger(v, 5);
    EXPECT_TRUE(SQ_FAILED(sqstd_getblob(v, -1, &payload)));
    EXPECT_EQ(-1, sqstd_getblobsize(v, -1));
    sq_pop(v, 2);
    EXPECT_EQ(nullptr, sqstd_createblob(v, -1));
    const SQInteger top = sq_gettop(v);
    EXPECT_EQ(nullptr, sqstd_createblob(v, sqstdMaxBlobSize + 1));
    EXPECT_EQ(top, sq_gettop(v));
}

TEST_F(StdlibApiTest, DoFileRunsAScriptAndReportsWhatFails) {
    auto dir = std::filesystem::temp_directory_path() / ("sqstd_dofile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto good = (dir / "good.nut").string();
    auto broken = (dir / "broken.nut").string();
    std::ofstream(good) << "\xEF\xBB\xBFloaded <- 7;\r\nreturn loaded * 6;\r\n";
    std::ofstream(broken) << "local = ;";
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_dofile(v, good.c_str(), SQTrue, SQTrue)));
    SQInteger result = 0;
    sq_getinteger(v, -1, &result);
    EXPECT_EQ(42, result);
    sq_pop(v, 1);
    EXPECT_TRUE(SQ_FAILED(sqstd_dofile(v, broken.c_str(), SQFalse, SQFalse)));
    EXPECT_TRUE(SQ_FAILED(sqstd_dofile(v, (dir / "missing.nut").string().c_str(), SQFalse, SQFalse)));
    sq_pop(v, 1);
    ASSERT_TRUE(Run("assert(loaded == 7);"));
    std::filesystem::remove_all(dir);
}

TEST_F(StdlibApiTest, RexMatchesWholeTextsAndReportsGroups) {
    const SQChar* error = nullptr;
    SQRex* rex = sqstd_rex_compile("(\\w+)@(\\w+)\\.com", &error);
    ASSERT_NE(nullptr, rex) << error;
    EXPECT_TRUE(sqstd_rex_match(rex, "joe@example.com"));
    EXPECT_FALSE(sqstd_rex_match(rex, "mail joe@example.com"));
    EXPECT_EQ(3, sqstd_rex_getsubexpcount(rex));
    ASSERT_TRUE(sqstd_rex_match(rex, "ann@host.com"));
    SQRexMatch group;
    ASSERT_TRUE(sqstd_rex_getsubexp(rex, 2, &group));
    EXPECT_EQ("host", std::string(group.begin, (size_t)group.len));
    const SQChar* begin = nullptr;
    const SQChar* end = nullptr;
    const SQChar* text = "to: bob@site.com!";
    ASSERT_TRUE(sqstd_rex_search(rex, text, &begin, &end));
    EXPECT_EQ("bob@site.com", std::string(begin, end));
    sqstd_rex_free(rex);
    for (const char* bad : {"(unclosed", "[z-a]", "a{2,1}"}) {
        error = nullptr;
        EXPECT_EQ(nullptr, sqstd_rex_compile(bad, &error)) << bad;
        EXPECT_NE(nullptr, error) << bad;
    }
}

}  // namespace
