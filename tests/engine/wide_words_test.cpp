/* wide_words_test.cpp -- the wide file words and "newexecutew" against the
 * 8-bit words: the same bytes out for the same file content, for every
 * algorithm and for paths the 8-bit words cannot name (any script, 300 and
 * 1000 characters, \\?\ names, relative names). */
#include "algorithm_table.h"
#include "engine_library.h"
#include "platform.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

#if defined(_WIN32)
constexpr char16_t SEP = u'\\';
#else
constexpr char16_t SEP = u'/';
#endif

const std::u16string UNICODE_NAME = u"\u0395\u03bb\u03bb\u03b7\u03bd_\u6f22\u5b57_\U0001F600.bin";

/* Folders and files under any name, made with the system's own calls (the
 * wide API in the \\?\ form on Windows, UTF-8 bytes elsewhere), so the
 * helpers do not share the code under test. */
#if defined(_WIN32)
std::wstring system_name(const std::u16string &path) {
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}
void make_folder(const std::u16string &path) {
    CreateDirectoryW(system_name(path).c_str(), nullptr);
}
bool write_file(const std::u16string &path, const std::vector<uint8_t> &bytes) {
    const HANDLE file = CreateFileW(system_name(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}
#else
void make_folder(const std::u16string &path) {
    mkdir(platform_to_ansi(path).c_str(), 0700);
}
bool write_file(const std::u16string &path, const std::vector<uint8_t> &bytes) {
    std::FILE *file = std::fopen(platform_to_ansi(path).c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
#endif

std::u16string scratch() {
    return platform_from_ansi(scratch_dir());
}

/* A folder of folders, each name 22 characters, until the path is at least
 * length long; with its separator at the end. */
std::u16string deep_folder(const std::u16string &top, size_t length) {
    std::u16string path = top;
    for (int i = 0; path.size() < length; ++i) {
        std::u16string name = u"folder_" + platform_from_ansi(std::to_string(100 + i));
        name.resize(22, u'x');
        path += name;
        make_folder(path);
        path += SEP;
    }
    return path;
}

struct Output {
    char bytes[400];
    Output() { std::memset(bytes, 0x5a, sizeof bytes); }
    bool operator==(const Output &other) const {
        return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
    }
    std::string text() const { return std::string(bytes, strnlen(bytes, sizeof bytes)); }
};

struct WidePath {
    const char *what;
    std::u16string path; // holds the content of reference
    std::string reference;
};

class WideWords : public ::testing::Test {
  protected:
    static std::vector<WidePath> paths;
    static void SetUpTestSuite() {
        const std::u16string top = scratch() + u"wide" + SEP;
        make_folder(top);
        const std::u16string deep = deep_folder(top, 1000);
        const std::u16string shapes[] = {
            top + u"plain.bin",
            top + UNICODE_NAME,
            deep_folder(top, 290) + u"ascii_300.bin",
            deep + UNICODE_NAME,
        };
        const char *what[] = {"ASCII", "Greek, CJK, emoji", "300 characters",
                              "1000 characters, 40 folders, Unicode name"};
        for (size_t i = 0; i < sizeof shapes / sizeof shapes[0]; ++i) {
            const std::vector<uint8_t> content = pattern_bytes(1000 + 997 * i);
            ASSERT_TRUE(write_file(shapes[i], content)) << what[i];
            paths.push_back({what[i], shapes[i],
                             write_test_file("wide-ref-" + std::to_string(i) + ".bin", content)});
        }
        ASSERT_GE(paths[2].path.size(), 300u);
        ASSERT_GE(paths[3].path.size(), 1000u);
#if defined(_WIN32)
        // The same first file in the \\?\ form and with forward slashes.
        paths.push_back({"\\\\?\\ form", u"\\\\?\\" + paths[0].path, paths[0].reference});
        std::u16string slashes = paths[1].path;
        for (char16_t &c : slashes) {
            c = c == u'\\' ? u'/' : c;
        }
        paths.push_back({"forward slashes", slashes, paths[1].reference});
#endif
    }
};
std::vector<WidePath> WideWords::paths;

TEST_F(WideWords, EveryWideFileWordWritesWhatItsEightBitWordWritesForTheSameContent) {
    for (const WidePath &p : paths) {
        for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
            Output wide, narrow;
            EXPECT_EQ(engine().call(row.wide_file_word, p.path.c_str(), wide.bytes), 1);
            EXPECT_EQ(engine().call(row.file_word, p.reference.c_str(), narrow.bytes), 1);
            EXPECT_TRUE(wide == narrow) << p.what << " " << row.wide_file_word;
            EXPECT_EQ(wide.text().size(), row.digits) << p.what << " " << row.wide_file_word;
        }
    }
    // And one independent reference: zlib's CRC-32 of the content.
    Output crc;
    engine().call("crc32filew", paths[3].path.c_str(), crc.bytes);
    const std::vector<uint8_t> content = pattern_bytes(1000 + 997 * 3);
    char expected[9];
    std::snprintf(expected, sizeof expected, "%08lx",
                  crc32(0, content.data(), static_cast<uInt>(content.size())));
    EXPECT_EQ(crc.text(), expected);
}

TEST_F(WideWords, AJobOnAWidePathEndsWithTheEightBitWordsText) {
    for (const WidePath &p : paths) {
        Output narrow;
        engine().call("sha256file", p.reference.c_str(), narrow.bytes);
        ASSERT_EQ(engine().call("newexecutew", p.path.c_str(), "initial", 3), 0) << p.what;
        ASSERT_TRUE(engine().wait_idle());
        EXPECT_EQ(engine().result(), 0) << p.what;
        EXPECT_EQ(engine().sum(), narrow.text()) << p.what;
    }
}

TEST_F(WideWords, RelativeNamesAreTakenAgainstTheCurrentFolder) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(scratch() + u"wide"));
    const std::u16string dot = std::u16string(u".") + SEP;
    const std::u16string relative[] = {UNICODE_NAME, dot + UNICODE_NAME,
                                       dot + u".." + SEP + u"wide" + SEP + UNICODE_NAME};
    Output narrow;
    engine().call("md5file", paths[1].reference.c_str(), narrow.bytes);
    for (const std::u16string &name : relative) {
        Output wide;
        engine().call("md5filew", name.c_str(), wide.bytes);
        EXPECT_TRUE(wide == narrow) << platform_to_ansi(name);
        ASSERT_EQ(engine().call("newexecutew", name.c_str(), "", 5), 0);
        ASSERT_TRUE(engine().wait_idle());
        EXPECT_EQ(engine().sum(), narrow.text()) << platform_to_ansi(name);
    }
    std::filesystem::current_path(before);
}

TEST_F(WideWords, NamesOfNoReadableFileWriteNothingAndJobsEndWithOpenFailed) {
    const std::u16string top = scratch() + u"wide" + SEP;
#if !defined(_WIN32)
    // A lone surrogate has no UTF-8 form; '?' is what a lax conversion makes.
    ASSERT_TRUE(write_file(top + u"?.bin", pattern_bytes(10)));
#endif
    const std::u16string names[] = {
        top + u"missing.bin",
        paths[3].path.substr(0, paths[3].path.size() - 1), // missing, at the end of 1000
        top + u"\xd800.bin",
        u"",
    };
    for (const std::u16string &name : names) {
        Output out;
        EXPECT_EQ(engine().call("md5filew", name.c_str(), out.bytes), 1);
        EXPECT_TRUE(out == Output()) << platform_to_ansi(name);
        ASSERT_EQ(engine().call("newexecutew", name.c_str(), "initial", 5), 0);
        ASSERT_TRUE(engine().wait_idle());
        EXPECT_EQ(engine().result(), 1) << platform_to_ansi(name);
        EXPECT_EQ(engine().sum(), "initial");
    }
}

TEST_F(WideWords, NewexecutewKeepsAnyPathWindowsTakesAndRefusesLongerOnes) {
    std::u16string longest(32767, u'x');
    ASSERT_EQ(engine().call("newexecutew", longest.c_str(), "", 5), 0);
    ASSERT_TRUE(engine().wait_idle());
    EXPECT_EQ(engine().result(), 1); // no such file, but the name was taken whole
    longest += u'x';
    EXPECT_EQ(engine().call("newexecutew", longest.c_str(), "", 5), 1);
    EXPECT_EQ(engine().status(), 0);
    // Selectors outside the table are refused, as by "newexecute".
    EXPECT_EQ(engine().call("newexecutew", paths[0].path.c_str(), "", 0), 1);
    EXPECT_EQ(engine().call("newexecutew", paths[0].path.c_str(), "", tvkalgo::algorithm_count + 1),
              1);
    EXPECT_EQ(engine().status(), 0);
}

} // namespace
