// verify_list_test.cpp -- NewVerifyList through late binding: a sink on
// __TVKChecksum2 gets every line as FileChecked, a host connected to the
// first version's __TVKChecksum at the same time gets the same Finished and
// never FileChecked; both connection points are found and enumerated.
#include "com_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tvk_com_test;

namespace {

class VerifyListTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    void SetUp() override {
        static Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
        ASSERT_TRUE(ocx.Loaded());
        ASSERT_EQ(S_OK, ocx.Create(IID_IDispatch, reinterpret_cast<void **>(&control)));
    }
    void TearDown() override { control->Release(); }
    IDispatch *control = nullptr;
};

TEST_F(VerifyListTest, BothEventInterfacesHaveAConnectionPoint) {
    IConnectionPointContainer *cpc = nullptr;
    ASSERT_EQ(S_OK, control->QueryInterface(IID_IConnectionPointContainer,
                                            reinterpret_cast<void **>(&cpc)));
    for (const GUID *events : {&DIID___TVKChecksum2, &DIID___TVKChecksum}) {
        IConnectionPoint *cp = nullptr;
        ASSERT_EQ(S_OK, cpc->FindConnectionPoint(*events, &cp));
        IID iid = GUID_NULL;
        EXPECT_EQ(S_OK, cp->GetConnectionInterface(&iid));
        EXPECT_TRUE(IsEqualGUID(*events, iid));
        cp->Release();
    }
    IEnumConnectionPoints *points = nullptr;
    ASSERT_EQ(S_OK, cpc->EnumConnectionPoints(&points));
    IConnectionPoint *found[3] = {};
    ULONG count = 0;
    EXPECT_EQ(S_FALSE, points->Next(3, found, &count));
    EXPECT_EQ(2u, count);
    for (ULONG i = 0; i < count; ++i)
        found[i]->Release();
    points->Release();
    cpc->Release();
}

// A list in a folder of its own: a (right sum in capitals), b (wrong sum), a
// line no tool writes, c (no such file) and sub\d, the names relative to
// the list's folder.
TEST_F(VerifyListTest, LateBoundListRaisesFileCheckedToTheNewSinksOnly) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"tvkcom_verify_list";
    CreateDirectoryW(dir.c_str(), nullptr);
    CreateDirectoryW((dir + L"\\sub").c_str(), nullptr);
    std::string a = WriteTestFile(dir + L"\\a", 3000);
    std::string b = WriteTestFile(dir + L"\\b", 100);
    std::string d = WriteTestFile(dir + L"\\sub\\d", 70000);
    std::string upper = CryptoMd5(a);
    for (char &c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    const std::string list = upper + "  a\n" + CryptoMd5(a) + "  b\nno sum here\n" + CryptoMd5(b) +
                             "  c\n" + CryptoMd5(d) + " *sub\\d\n";
    const std::wstring list_path = dir + L"\\list.md5";
    HANDLE h = CreateFileW(list_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, list.data(), static_cast<DWORD>(list.size()), &written, nullptr);
    CloseHandle(h);

    EventSink current, first;
    const DWORD current_cookie = Connect(control, &current, DIID___TVKChecksum2);
    const DWORD first_cookie = Connect(control, &first, DIID___TVKChecksum);
    ASSERT_NE(0u, current_cookie);
    ASSERT_NE(0u, first_cookie);

    LPOLESTR name = const_cast<LPOLESTR>(L"NewVerifyList");
    DISPID id = 0;
    ASSERT_EQ(S_OK, control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(0x60030020, id);
    VARIANTARG arg;
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = SysAllocString(list_path.c_str());
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(S_OK, control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                    &result, nullptr, nullptr));
    VariantClear(&arg);
    EXPECT_TRUE(PumpUntil([&] { return current.HasFinished() && first.HasFinished(); }));

    std::vector<std::wstring> checked;
    for (const Event &e : current.events)
        if (e.id == 4)
            checked.push_back(e.text);
    EXPECT_EQ(checked, std::vector<std::wstring>({L"a: OK", L"b: FAILED",
                                                  L"no sum here: improperly formatted",
                                                  L"c: FAILED open or read", L"sub\\d: OK"}));
    const std::wstring summary = L"2 OK, 1 FAILED, 1 FAILED open or read, 1 improperly formatted";
    for (EventSink *sink : {&current, &first}) {
        ASSERT_FALSE(sink->events.empty());
        EXPECT_EQ(1, sink->events.back().id);
        EXPECT_EQ(summary, sink->events.back().text);
        EXPECT_EQ(0u, sink->Count(3));
        EXPECT_FALSE(sink->bad_arguments);
    }
    EXPECT_EQ(0u, first.Count(4));
    Disconnect(control, current_cookie, DIID___TVKChecksum2);
    Disconnect(control, first_cookie, DIID___TVKChecksum);
    for (const wchar_t *file : {L"\\a", L"\\b", L"\\sub\\d", L"\\list.md5"})
        DeleteFileW((dir + file).c_str());
    RemoveDirectoryW((dir + L"\\sub").c_str());
    RemoveDirectoryW(dir.c_str());
}

} // namespace
