// com_test_support.cpp -- the shared pieces of the COM tests.
#include "com_test_support.h"

#include <wincrypt.h>

#include <cstdio>

namespace tvk_com_test {

std::wstring ExeDir() {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring path(buf);
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::string Narrow(const std::wstring &text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring Wide(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

Ocx::Ocx(const std::wstring &path) : module_(LoadLibraryW(path.c_str())) {}

HRESULT Ocx::Create(REFIID riid, void **out) const {
    using GetClassObject = HRESULT(WINAPI *)(REFCLSID, REFIID, void **);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void *>(GetProcAddress(module_, "DllGetClassObject")));
    if (!get)
        return E_FAIL;
    IClassFactory *factory = nullptr;
    HRESULT hr = get(CLSID_TVKChecksum, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(nullptr, riid, out);
    factory->Release();
    return hr;
}

HRESULT Ocx::CanUnloadNow() const {
    using CanUnload = HRESULT(WINAPI *)();
    auto can = reinterpret_cast<CanUnload>(
        reinterpret_cast<void *>(GetProcAddress(module_, "DllCanUnloadNow")));
    return can ? can() : E_FAIL;
}

HRESULT Ocx::Install(bool install, const wchar_t *cmdline) const {
    using DllInstall = HRESULT(WINAPI *)(BOOL, LPCWSTR);
    auto fn = reinterpret_cast<DllInstall>(
        reinterpret_cast<void *>(GetProcAddress(module_, "DllInstall")));
    return fn ? fn(install ? TRUE : FALSE, cmdline) : E_FAIL;
}

bool PumpUntil(const std::function<bool()> &done, DWORD limit_ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

size_t EventSink::Count(DISPID id) const {
    size_t n = 0;
    for (const Event &e : events)
        n += e.id == id;
    return n;
}

HRESULT EventSink::QueryInterface(REFIID riid, void **out) {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDispatch) ||
        IsEqualGUID(riid, DIID___TVKChecksum) || IsEqualGUID(riid, DIID___TVKChecksum2)) {
        *out = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG EventSink::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&ref_));
}

ULONG EventSink::Release() {
    // Lives on the test's stack: never deleted here.
    return static_cast<ULONG>(InterlockedDecrement(&ref_));
}

HRESULT EventSink::GetTypeInfoCount(UINT *count) {
    *count = 0;
    return S_OK;
}

HRESULT EventSink::GetTypeInfo(UINT, LCID, ITypeInfo **) {
    return E_NOTIMPL;
}

HRESULT EventSink::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) {
    return E_NOTIMPL;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
                          UINT *) {
    const VARIANTARG *a = params->rgvarg;
    Event e{id, 0, std::wstring()};
    switch (id) {
    case 1: // Finished(CheckSumString)
        if (params->cArgs != 1 || V_VT(&a[0]) != (VT_BYREF | VT_BSTR)) {
            bad_arguments = true;
            break;
        }
        if (on_finished)
            on_finished(V_BSTRREF(&a[0]));
        e.text = Wide(*V_BSTRREF(&a[0]));
        break;
    case 2: // Progress(Value)
        if (params->cArgs != 1 || V_VT(&a[0]) != (VT_BYREF | VT_I4)) {
            bad_arguments = true;
            break;
        }
        e.number = *V_I4REF(&a[0]);
        events.push_back(e); // recorded before the handler may re-enter
        if (on_progress)
            on_progress(*V_I4REF(&a[0]));
        return S_OK;
    case 3: // ErrorCode(ErrorNumber, ErrorDescription), last first
        if (params->cArgs != 2 || V_VT(&a[1]) != (VT_BYREF | VT_I4) ||
            V_VT(&a[0]) != (VT_BYREF | VT_BSTR)) {
            bad_arguments = true;
            break;
        }
        e.number = *V_I4REF(&a[1]);
        e.text = Wide(*V_BSTRREF(&a[0]));
        break;
    case 4: // FileChecked(FileName, Result), last first
        if (params->cArgs != 2 || V_VT(&a[1]) != (VT_BYREF | VT_BSTR) ||
            V_VT(&a[0]) != (VT_BYREF | VT_BSTR)) {
            bad_arguments = true;
            break;
        }
        e.text = Wide(*V_BSTRREF(&a[1])) + L": " + Wide(*V_BSTRREF(&a[0]));
        break;
    default:
        bad_arguments = true;
        return DISP_E_MEMBERNOTFOUND;
    }
    events.push_back(e);
    return S_OK;
}

DWORD Connect(IUnknown *control, IDispatch *sink, REFIID events) {
    IConnectionPointContainer *cpc = nullptr;
    IConnectionPoint *cp = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void **>(&cpc)))) {
        if (SUCCEEDED(cpc->FindConnectionPoint(events, &cp))) {
            if (FAILED(cp->Advise(sink, &cookie)))
                cookie = 0;
            cp->Release();
        }
        cpc->Release();
    }
    return cookie;
}

void Disconnect(IUnknown *control, DWORD cookie, REFIID events) {
    IConnectionPointContainer *cpc = nullptr;
    IConnectionPoint *cp = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void **>(&cpc)))) {
        if (SUCCEEDED(cpc->FindConnectionPoint(events, &cp))) {
            cp->Unadvise(cookie);
            cp->Release();
        }
        cpc->Release();
    }
}

namespace {

struct FindOwn {
    const wchar_t *caption;
    HWND found;
};

BOOL CALLBACK find_own(HWND hwnd, LPARAM lp) {
    auto *f = reinterpret_cast<FindOwn *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[16] = {}, text[128] = {};
    GetClassNameW(hwnd, cls, 16);
    GetWindowTextW(hwnd, text, 128);
    if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && lstrcmpW(cls, L"#32770") == 0 &&
        lstrcmpW(text, f->caption) == 0) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindOwnDialog(const wchar_t *caption) {
    FindOwn f{caption, nullptr};
    EnumWindows(find_own, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

OwnDialogCloser::OwnDialogCloser(const wchar_t *caption) : caption_(caption) {
    InitializeCriticalSection(&lock_);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

OwnDialogCloser::~OwnDialogCloser() {
    InterlockedExchange(&stop_, 1);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    DeleteCriticalSection(&lock_);
}

std::vector<std::string> OwnDialogCloser::Texts() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = texts_;
    LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI OwnDialogCloser::Run(void *arg) {
    auto *self = static_cast<OwnDialogCloser *>(arg);
    while (!self->stop_) {
        HWND dialog = FindOwnDialog(self->caption_.c_str());
        if (!dialog) {
            Sleep(10);
            continue;
        }
        // A box that has just appeared may not have its text yet.
        char text[1024] = {};
        for (int i = 0; i < 100 && !text[0]; ++i) {
            HWND label = GetDlgItem(dialog, 0xFFFF);
            if (!label)
                label = FindWindowExA(dialog, nullptr, "Static", nullptr);
            if (label)
                GetWindowTextA(label, text, sizeof text);
            if (!text[0])
                Sleep(10);
        }
        EnterCriticalSection(&self->lock_);
        self->texts_.push_back(text);
        LeaveCriticalSection(&self->lock_);
        for (int i = 0; i < 500 && IsWindow(dialog) && !self->stop_; ++i) {
            if (i % 50 == 0) {
                if (HWND ok = GetDlgItem(dialog, IDOK))
                    PostMessageW(ok, BM_CLICK, 0, 0);
                else
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(10);
        }
    }
    return 0;
}

std::string CryptoMd5(const std::string &bytes) {
    HCRYPTPROV prov = 0;
    HCRYPTHASH hash = 0;
    std::string out;
    if (!CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return out;
    if (CryptCreateHash(prov, CALG_MD5, 0, 0, &hash)) {
        CryptHashData(hash, reinterpret_cast<const BYTE *>(bytes.data()),
                      static_cast<DWORD>(bytes.size()), 0);
        BYTE digest[16];
        DWORD len = sizeof digest;
        if (CryptGetHashParam(hash, HP_HASHVAL, digest, &len, 0)) {
            char hex[3];
            for (DWORD i = 0; i < len; ++i) {
                std::snprintf(hex, sizeof hex, "%02x", digest[i]);
                out += hex;
            }
        }
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(prov, 0);
    return out;
}

std::string WriteTestFile(const std::wstring &path, size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345u;
    for (char &c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    FILE *f = _wfopen(path.c_str(), L"wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return bytes;
}

} // namespace tvk_com_test
