// missing_engine_test.cpp -- a copy of TVKChecksum.ocx alone in its folder:
// every member that needs the engine fails with run-time error 5003, which
// reaches the caller as HRESULT 0x800A138B with its text in the error info
// (and as DISP_E_EXCEPTION with the same through IDispatch); ControlName
// needs no engine and works.
#include "com_test_support.h"

#include <gtest/gtest.h>

using namespace tvk_com_test;

namespace {

const HRESULT error_5003 = static_cast<HRESULT>(0x800A138B);

class MissingEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        OleInitialize(nullptr);
        static Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
        ASSERT_TRUE(ocx.Loaded());
        ASSERT_EQ(INVALID_FILE_ATTRIBUTES,
                  GetFileAttributesW((ExeDir() + L"\\tvkchecksum.dll").c_str()));
        ASSERT_EQ(S_OK, ocx.Create(IID__TVKChecksum, reinterpret_cast<void **>(&control)));
    }
    void TearDown() override {
        if (control)
            control->Release();
    }
    std::wstring ExpectedText() const {
        return L"Error loading the required dll " + ExeDir() + L"\\tvkchecksum.dll";
    }
    _TVKChecksum *control = nullptr;
};

std::wstring TakeErrorDescription() {
    IErrorInfo *info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return L"(no error info)";
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::wstring out = Wide(text);
    SysFreeString(text);
    info->Release();
    return out;
}

TEST_F(MissingEngine, EveryEngineMemberFailsWith5003AndThePath) {
    BSTR text = SysAllocString(L"abc");
    BSTR out = nullptr;
    EXPECT_EQ(error_5003, control->MD5String(text, 3, &out));
    EXPECT_EQ(nullptr, out); // no result is delivered
    EXPECT_EQ(ExpectedText(), TakeErrorDescription());
    EXPECT_EQ(error_5003, control->CRC32File(text, &out));
    EXPECT_EQ(ExpectedText(), TakeErrorDescription());

    EventSink sink;
    const DWORD cookie = Connect(control, &sink);
    ASSERT_NE(0u, cookie);
    VARIANT v;
    EXPECT_EQ(error_5003, control->NewCheckSumFile(text, text, &v));
    EXPECT_EQ(ExpectedText(), TakeErrorDescription());
    EXPECT_TRUE(sink.events.empty()); // the error comes before any event
    Disconnect(control, cookie);      // the sink goes before the control
    SysFreeString(text);
}

TEST_F(MissingEngine, IDispatchCallersGetTheExceptionInfo) {
    VARIANTARG args[2];
    VariantInit(&args[0]);
    V_VT(&args[0]) = VT_I4;
    V_I4(&args[0]) = 3;
    VariantInit(&args[1]);
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = SysAllocString(L"abc");
    DISPPARAMS params = {args, nullptr, 2, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep = {};
    EXPECT_EQ(DISP_E_EXCEPTION,
              control->Invoke(0x60030004, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                              &result, &excep, nullptr));
    EXPECT_EQ(error_5003, excep.scode);
    EXPECT_EQ(ExpectedText(), Wide(excep.bstrDescription));
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrHelpFile);
    VariantClear(&args[1]);
}

TEST_F(MissingEngine, MembersWithoutTheEngineWork) {
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, control->ControlName(&name));
    EXPECT_EQ(L"TVK Checksum OCX 2.7.0", Wide(name));
    SysFreeString(name);
    VARIANT v;
    EXPECT_EQ(S_OK, control->PauseExecution(&v));
    EXPECT_EQ(S_OK, control->CancelExecution(&v));
}

} // namespace
