// noentry_test.cpp -- a copy of TVKChecksum.ocx beside a tvkchecksum.dll
// without interface1: the member shows "Error locating the interface1
// function " in a real message box, which the test finds, reads and closes;
// the call itself succeeds.
#include "com_test_support.h"
#include "tvk_version.h"

#include <gtest/gtest.h>

using namespace tvk_com_test;

TEST(NoEntryEngine, MessageBoxIsShownAndTheCallReturns) {
    OleInitialize(nullptr);
    Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
    ASSERT_TRUE(ocx.Loaded());
    _TVKChecksum *control = nullptr;
    ASSERT_EQ(S_OK, ocx.Create(IID__TVKChecksum, reinterpret_cast<void **>(&control)));

    OwnDialogCloser watcher(L"" TVK_PRODUCT_TITLE);
    BSTR text = SysAllocString(L"abc");
    BSTR out = nullptr;
    EXPECT_EQ(S_OK, control->MD5String(text, 3, &out));
    EXPECT_NE(nullptr, out);
    SysFreeString(out);
    SysFreeString(text);
    const std::vector<std::string> texts = watcher.Texts();
    control->Release();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("Error locating the interface1 function ", texts.front());
    for (size_t i = 1; i < texts.size(); ++i)
        EXPECT_EQ("error locating the interface1 function ", texts[i]);
}
