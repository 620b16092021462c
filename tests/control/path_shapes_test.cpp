// path_shapes_test.cpp -- every file the system can open is checksummed by a
// file method and by a job, under any name: long paths, names of any script,
// \\?\ names, relative names; names that differ only in characters outside
// the code page each give their own file's checksum. A name of no readable
// file is refused with error 5 and "".
#include "test_support.h"

#include "Globals.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

// RFC 1321 test vectors: every file holds one of these texts.
struct Content {
    const char *text;
    const char *md5;
};
const Content A = {"a", "0cc175b9c0f1b6a831c399e269772661"};
const Content Abc = {"abc", "900150983cd24fb0d6963f7d28e17f72"};
const Content Digest = {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"};
const Content Letters = {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"};
const Content None = {"", ""}; // no file: refused

const std::string Refused = "ErrorCode 5 The input file or path is invalid";
const char16_t Sep = static_cast<char16_t>(Separator());

// Folders and files by the system's own calls (the wide API in the \\?\ form
// on Windows), which take any length; std::filesystem would not.
#if defined(_WIN32)
std::wstring SystemName(const String &path) {
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
}
void MakeFolder(const String &path) {
    CreateDirectoryW(SystemName(path).c_str(), nullptr);
}
void WriteFile(const String &path, const std::string &text) {
    const HANDLE file = CreateFileW(SystemName(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Ascii(path);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}
#else
void MakeFolder(const String &path) {
    mkdir(tvk::Globals::ToNarrow(path).c_str(), 0700);
}
void WriteFile(const String &path, const std::string &text) {
    std::FILE *file = std::fopen(tvk::Globals::ToNarrow(path).c_str(), "wb");
    ASSERT_NE(file, nullptr) << Ascii(path);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}
#endif

// Folders of 22 characters each below top until the path is at least
// length long; with a separator at the end.
String DeepFolder(const String &top, std::size_t length) {
    String path = top;
    for (int i = 0; path.size() < length; ++i) {
        String name = Wide("level_" + std::to_string(100 + i));
        name.resize(22, u'_');
        path += name;
        MakeFolder(path);
        path += Sep;
    }
    return path;
}

void RunJob(TVKChecksum &control) {
    for (long i = 0; control.Timer1.Enabled() && i < 100000000; ++i) {
        control.Timer1_Timer();
        std::this_thread::yield();
    }
}

struct Shape {
    const char *what;
    String name;
    Content content;
};

// MD5File and a job give the content's MD5, or both refuse with error 5
// and "" when there is no content.
void ExpectChecksum(const Shape &s) {
    SCOPED_TRACE(s.what);
    const bool refused = s.content.text == None.text;
    EventLog events;
    TVKChecksum control(&events);
    EXPECT_EQ(Ascii(control.MD5File(s.name)), s.content.md5);
    EXPECT_EQ(events.Lines, refused ? Lines{Refused} : Lines{});
    events.Lines.clear();
    control.NewCheckSumFile(u"md5", s.name);
    RunJob(control);
    if (refused) {
        EXPECT_EQ(events.Lines, Lines({"Progress 0", Refused, "Finished "}));
        return;
    }
    ASSERT_GE(events.Lines.size(), 3u);
    EXPECT_EQ(events.Lines.front(), "Progress 0");
    EXPECT_EQ(events.Lines.back(), "Finished " + std::string(s.content.md5));
}

TEST(PathShapes, EveryFileIsCheckedUnderAnyNameTheSystemTakes) {
    TempDir dir;
    const String top = dir.Root.u16string() + Sep;
    const String unicode = u"\u6f22\u5b57_\u03b1\u03b2\u03b3_\U0001F600.txt";
    MakeFolder(top + u"a");
    MakeFolder(top + u"b");
    const String long300 = DeepFolder(top + u"a" + Sep, 300) + u"file.txt";
    // 40 folders of 22 characters and their separators.
    const String deep = DeepFolder(top + u"b" + Sep, top.size() + 2 + 40 * 23) + unicode;
    // Names alike in the code page (each pair has one short name under
    // Wine); each is its own file.
    const String pairs[] = {u"report_\u0393\u0428.txt", u"report_\u0394\u0391.txt",
                            u"folder_\u0436\u039d\u5158_data", u"folder_\u0438\u039f\u5f4b_data"};
    WriteFile(long300, Abc.text);
    WriteFile(deep, Letters.text);
    WriteFile(top + pairs[0], A.text);
    WriteFile(top + pairs[1], Abc.text);
    MakeFolder(top + pairs[2]);
    MakeFolder(top + pairs[3]);
    WriteFile(top + pairs[2] + Sep + u"same.txt", Digest.text);
    WriteFile(top + pairs[3] + Sep + u"same.txt", Letters.text);
    ASSERT_GE(long300.size(), 300u);
    ASSERT_GE(deep.size(), top.size() + 2 + 40 * 23 + unicode.size());

    std::vector<Shape> shapes = {
        {"300 characters", long300, Abc},
        {"1000 characters, 40 folders, CJK/Greek/emoji name", deep, Letters},
        {"first of two alike names", top + pairs[0], A},
        {"second of two alike names", top + pairs[1], Abc},
        {"first of two alike folders", top + pairs[2] + Sep + u"same.txt", Digest},
        {"second of two alike folders", top + pairs[3] + Sep + u"same.txt", Letters},
        {"missing, at the end of the long path", deep + u"x", None},
        {"a folder at the end of the long path", deep.substr(0, deep.rfind(Sep)), None},
#if defined(_WIN32)
        {"\\\\?\\ form", u"\\\\?\\" + top + pairs[1], Abc},
        {"\\\\?\\ form, long", u"\\\\?\\" + deep, Letters},
        {"forward slashes, '.' and '..'",
         dir.Root.generic_u16string() + u"/./" + pairs[2] + u"/../" + pairs[1], Abc},
        {"NUL", u"NUL", None},
        {"\\\\.\\COM1", u"\\\\.\\COM1", None},
#else
        {"'.' and '..'", top + u"./" + pairs[2] + u"/../" + pairs[1], Abc},
        {"/dev/null", u"/dev/null", None},
#endif
    };
    for (const Shape &s : shapes)
        ExpectChecksum(s);

    // Relative names, against the process's current folder.
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Root / std::filesystem::path(pairs[3]));
    const Shape relative[] = {
        {"relative", u"same.txt", Letters},
        {"relative, through '..'", String(u"..") + Sep + pairs[0], A},
    };
    for (const Shape &s : relative)
        ExpectChecksum(s);
    std::filesystem::current_path(before);
}

} // namespace
