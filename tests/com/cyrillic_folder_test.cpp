// cyrillic_folder_test.cpp -- TVKChecksum.ocx and its engine installed in a
// folder whose name the ANSI code page cannot hold: the control loads its
// engine, and a file name is checksummed as itself or refused with error 5,
// never as the file its best-fit conversion names.
#include "com_test_support.h"

#include <gtest/gtest.h>

using namespace tvk_com_test;

namespace {

std::wstring WideAscii(const std::string &text) {
    return std::wstring(text.begin(), text.end());
}

class CyrillicFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        OleInitialize(nullptr);
        // The folder the build made: "com-Контроль".
        ASSERT_NE(std::wstring::npos,
                  ExeDir().find(L"\u041a\u043e\u043d\u0442\u0440\u043e\u043b\u044c"));
        static Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
        ASSERT_TRUE(ocx.Loaded());
        ASSERT_EQ(S_OK, ocx.Create(IID__TVKChecksum, reinterpret_cast<void **>(&control)));
    }
    void TearDown() override {
        if (control)
            control->Release();
    }
    // MD5File of the name, with the events it raised.
    std::wstring Md5File(const std::wstring &name, std::vector<Event> &events) {
        EventSink sink;
        const DWORD cookie = Connect(control, &sink);
        BSTR file = SysAllocString(name.c_str());
        BSTR sum = nullptr;
        EXPECT_EQ(S_OK, control->MD5File(file, &sum));
        std::wstring out = Wide(sum);
        SysFreeString(sum);
        SysFreeString(file);
        Disconnect(control, cookie);
        events = sink.events;
        return out;
    }
    _TVKChecksum *control = nullptr;
};

TEST_F(CyrillicFolder, TheEngineIsLoadedAndNamesAreNeverBentIntoOthers) {
    BSTR text = SysAllocString(L"abc");
    BSTR sum = nullptr;
    EXPECT_EQ(S_OK, control->MD5String(text, 3, &sum));
    EXPECT_EQ(L"900150983cd24fb0d6963f7d28e17f72", Wide(sum));
    SysFreeString(sum);
    SysFreeString(text);

    const std::wstring dir = ExeDir() + L"\\names";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::string decoy = WriteTestFile(dir + L"\\a.txt", 1000);
    const std::string wanted = WriteTestFile(dir + L"\\b\u0101.txt", 2000);

    std::vector<Event> events;
    // Missing: its best fit, "a.txt", exists and must not be taken.
    EXPECT_EQ(L"", Md5File(dir + L"\\\u0101.txt", events));
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(3, events[0].id);
    EXPECT_EQ(5, events[0].number);
    // Existing beside its best fit ("ba.txt", missing): taken as itself,
    // by its UTF-16 name.
    const std::wstring sumOfWanted = Md5File(dir + L"\\b\u0101.txt", events);
    EXPECT_NE(WideAscii(CryptoMd5(decoy)), sumOfWanted);
    EXPECT_EQ(WideAscii(CryptoMd5(wanted)), sumOfWanted);
    EXPECT_TRUE(events.empty());
}

} // namespace
