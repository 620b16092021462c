// The platform library: UTF-8 and UTF-16 against their published encodings,
// the narrow code page, the case-blind compare, and the loader and module
// path on the engine library that is built beside this program.
#include "platform.h"

#include <gtest/gtest.h>

#include <atomic>

#include <string>
#include <vector>

namespace {

struct Decoding {
    const char *name;
    std::string bytes;
    std::u16string text;
    bool malformed;
};

// Each malformed sequence is one U+FFFD: the lead byte and the continuation
// bytes that follow it, no more.
TEST(PlatformText, Utf8ToUtf16) {
    const Decoding cases[] = {
        {"empty", "", u"", false},
        {"ascii with NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3), false},
        {"two bytes", "\xC3\xA9", u"\u00e9", false},
        {"three bytes", "\xE2\x82\xAC", u"\u20ac", false},
        {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600", false},
        {"last code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", false},
        {"bad lead", "a\xFFz", u"a\uFFFDz", true},
        {"lone continuation", "\x80", u"\uFFFD", true},
        {"cut at the end", "ok\xE2\x82", u"ok\uFFFD", true},
        {"broken by ASCII", "\xE2\x82z", u"\uFFFDz", true},
        {"overlong", "\xC0\xAF", u"\uFFFD", true},
        {"surrogate", "\xED\xA0\x80", u"\uFFFD", true},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD", true},
        {"five-byte lead", "\xF8\x88", u"\uFFFD\uFFFD", true},
    };
    for (const Decoding &c : cases) {
        SCOPED_TRACE(c.name);
        bool malformed = !c.malformed;
        EXPECT_EQ(platform_utf8_to_utf16(c.bytes, &malformed), c.text);
        EXPECT_EQ(malformed, c.malformed);
        EXPECT_EQ(platform_utf8_to_utf16(c.bytes, nullptr), c.text);
    }
}

TEST(PlatformText, Utf16ToUtf8) {
    EXPECT_EQ(platform_utf16_to_utf8(u"", U'?'), "");
    EXPECT_EQ(platform_utf16_to_utf8(u"\u00e9\u20ac\U0001F600", U'?'),
              "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    // Unpaired surrogates, high and low, become the given character.
    const std::u16string lone = {u'a', 0xD800, u'b', 0xDC00};
    EXPECT_EQ(platform_utf16_to_utf8(lone, U'?'), "a?b?");
    EXPECT_EQ(platform_utf16_to_utf8(lone, U'\xFFFD'), "a\xEF\xBF\xBD"
                                                       "b\xEF\xBF\xBD");
}

// The reader: each character with the units it takes; a lone surrogate
// (high at the end, high before a non-low, low alone) is itself, one unit.
TEST(PlatformText, CodePointReaderAndEncoder) {
    const std::u16string text = {u'A',   0xE9,   0x20AC, 0xD83D, 0xDE00, 0xDBFF,
                                 0xDFFF, 0xD800, u'b',   0xDC00, 0xD800};
    const std::vector<std::pair<char32_t, std::string>> expected = {
        {U'A', "A"},
        {0xE9, "\xC3\xA9"},
        {0x20AC, "\xE2\x82\xAC"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
        {0xD800, ""},
        {U'b', "b"},
        {0xDC00, ""},
        {0xD800, ""},
    };
    std::size_t i = 0;
    for (const auto &[code_point, bytes] : expected) {
        ASSERT_LT(i, text.size());
        const char32_t c = platform_next_code_point(text, i);
        EXPECT_EQ(c, code_point) << i;
        EXPECT_EQ(platform_is_surrogate(c), bytes.empty());
        if (!bytes.empty()) {
            char out[4];
            EXPECT_EQ(std::string(out, platform_put_utf8(c, out)), bytes);
        }
    }
    EXPECT_EQ(i, text.size());
}

TEST(PlatformText, NarrowCodePage) {
    const std::u16string text(u"plain\0text", 10);
    EXPECT_EQ(platform_to_ansi(text), std::string("plain\0text", 10));
    EXPECT_EQ(platform_from_ansi(std::string("plain\0text", 10)), text);
    std::string narrow = "unchanged";
    EXPECT_TRUE(platform_to_ansi_exact(u"name.txt", narrow));
    EXPECT_EQ(narrow, "name.txt");
    // A lone surrogate has no exact form in any code page.
    narrow = "unchanged";
    EXPECT_FALSE(platform_to_ansi_exact(std::u16string(1, char16_t(0xD800)), narrow));
    EXPECT_EQ(narrow, "unchanged");
}

TEST(PlatformText, EqualNoCase) {
    struct Case {
        const char *a, *b;
        bool equal;
    } const cases[] = {
        {"", "", true},           {"sha-256", "SHA-256", true}, {"abcDEF09", "ABCdef09", true},
        {"md5", "md5_32", false}, {"crc32", "crc33", false},    {"a", "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(platform_equal_nocase(c.a, c.b), c.equal);
        EXPECT_EQ(platform_equal_nocase(c.b, c.a), c.equal);
    }
}

#if defined(_WIN32)
const char16_t *const engine_name = u"tvkchecksum.dll";
const char *const program_name = "platform_test.exe";
#else
const char16_t *const engine_name = u"tvkchecksum.so";
const char *const program_name = "platform_test";
#endif

std::u16string program_directory() {
    const std::u16string path = platform_own_module_path();
    return path.substr(0, path.find_last_of(u"\\/") + 1);
}

TEST(PlatformModules, OwnPathNamesThisProgram) {
    const std::u16string path = platform_own_module_path();
    const std::string narrow = platform_to_ansi(path);
    const std::string name = narrow.substr(narrow.find_last_of("\\/") + 1);
    EXPECT_TRUE(platform_equal_nocase(name, program_name)) << narrow;
    // The narrow form names the same program when no module name matches.
    char out[4096];
    const uint32_t length = platform_module_path("no-such-module.tvk", out, sizeof out);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::string(out, length), narrow);
    // A buffer too small still holds a terminated start of the path.
    char small[5];
    EXPECT_EQ(platform_module_path("no-such-module.tvk", small, sizeof small), 4u);
    EXPECT_EQ(std::string(small), narrow.substr(0, 4));
}

TEST(PlatformModules, LoadsFindsAndFreesTheEngine) {
    const std::uintptr_t engine = platform_load_library(program_directory() + engine_name);
    ASSERT_NE(engine, 0u);
    EXPECT_NE(platform_library_symbol(engine, "interface1"), 0u);
    EXPECT_EQ(platform_library_symbol(engine, "no_such_function"), 0u);
    platform_free_library(engine);

    EXPECT_EQ(platform_load_library(program_directory() + u"no-such-library"), 0u);
    EXPECT_EQ(platform_library_symbol(0, "interface1"), 0u);
    platform_free_library(0); // ignored
}

TEST(PlatformThreads, JoinWaitsForEachBodyWithItsArgument) {
    // Several at once, each body slowed so a join that did not wait would
    // see its counter unset.
    struct Work {
        std::atomic<int> done{0};
        int value = 0;
    };
    Work work[3];
    PlatformThread threads[3];
    for (int i = 0; i < 3; ++i) {
        work[i].value = 10 + i;
        ASSERT_TRUE(platform_thread_start(
            threads[i],
            [](void *argument) {
                auto *w = static_cast<Work *>(argument);
                platform_sleep_ms(20);
                w->done.store(w->value);
            },
            &work[i]));
    }
    for (int i = 0; i < 3; ++i) {
        platform_thread_join(threads[i]);
        EXPECT_EQ(work[i].done.load(), 10 + i);
        EXPECT_EQ(threads[i].handle, 0u);
    }
}

TEST(PlatformScreen, DpiIsPositive) {
    EXPECT_GT(platform_screen_dpi(0, PlatformAxis::horizontal), 0);
    EXPECT_GT(platform_screen_dpi(0, PlatformAxis::vertical), 0);
}

// The name the wide API opens: unchanged while short, or already in the
// \\?\ or \\.\ form; else the full path in the \\?\ form (\\?\UNC\ for
// a share), resolved first. Elsewhere always the path itself.
TEST(PlatformFiles, OpenNameOfLongPathsIsTheirFullPathInTheLongForm) {
    const std::u16string long_part(300, u'x');
    struct Case {
        std::u16string path;
        std::u16string open_name; // empty: the path itself
    };
#if defined(_WIN32)
    const Case cases[] = {
        {u"C:\\dir\\file.txt", u""},
        {u"\\\\?\\C:\\" + long_part, u""},
        {u"\\\\.\\COM1", u""},
        {u"C:\\" + long_part, u"\\\\?\\C:\\" + long_part},
        {u"C:/dir/./other/../" + long_part, u"\\\\?\\C:\\dir\\" + long_part},
        {u"\\\\server\\share\\" + long_part, u"\\\\?\\UNC\\server\\share\\" + long_part},
    };
#else
    const Case cases[] = {{u"/dir/file.txt", u""}, {u"/" + long_part, u""}};
#endif
    std::vector<char16_t> buffer(PLATFORM_OPEN_NAME_SIZE);
    for (const Case &c : cases) {
        const char16_t *name = platform_open_name(c.path.c_str(), buffer.data());
        ASSERT_NE(name, nullptr);
        if (c.open_name.empty()) {
            EXPECT_EQ(name, c.path.c_str());
        } else {
            EXPECT_EQ(std::u16string(name), c.open_name);
        }
    }
}

// A name read from a list: in the list's folder unless absolute.
TEST(PlatformFiles, NameBesideAList) {
    const struct {
        const char16_t *list, *name, *expected;
    } cases[] = {
        {u"/l/SUMS", u"a", u"/l/a"},
        {u"/l/SUMS", u"sub/a", u"/l/sub/a"},
        {u"/l/SUMS", u"/abs/a", u"/abs/a"},
        {u"SUMS", u"a", u"a"},
#if defined(_WIN32)
        {u"C:\\l\\SUMS", u"a", u"C:\\l\\a"},
        {u"C:\\l\\SUMS", u"\\abs\\a", u"\\abs\\a"},
        {u"C:\\l\\SUMS", u"D:a", u"D:a"},
        {u"C:SUMS", u"a", u"C:a"},
        {u"\\\\?\\C:\\l\\SUMS", u"sub/a", u"\\\\?\\C:\\l\\sub\\a"},
#else
        {u"/l/SUMS", u"C:a", u"/l/C:a"},
#endif
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform_name_beside(c.list, c.name), c.expected)
            << platform_utf16_to_utf8(c.list, U'?') << " " << platform_utf16_to_utf8(c.name, U'?');
}

} // namespace
