// deploy_client.cpp -- a COM client as an application uses an installed
// control: CLSIDFromProgID and CoCreateInstance, nothing loaded by hand.
// Whether the class is found through the registry (installer package) or
// through the program's manifest (registration-free) is up to the system.
//   deploy_client FILE SHA256 [CONTROL-PATH]
// FILE (at least 256 KiB) and its SHA-256 come from the caller; with
// CONTROL-PATH, the control must have been loaded from there. Prints one line
// per check and "N passed, N failed"; the exit status is the failure count.
#include "com_test_support.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace tvk_com_test;

namespace {

int passed = 0;
int failed = 0;

void Check(const char *what, bool ok, const std::string &detail = std::string()) {
    (ok ? passed : failed)++;
    std::printf("%s: %s%s%s\n", ok ? "ok" : "FAILED", what, detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
}

std::string Text(BSTR text) {
    std::string out = Narrow(Wide(text));
    SysFreeString(text);
    return out;
}

std::string StringSum(_TVKChecksum *control, const char *algorithm, const wchar_t *input) {
    BSTR in = SysAllocString(input);
    const LONG length = static_cast<LONG>(SysStringLen(in));
    BSTR out = nullptr;
    HRESULT hr = E_FAIL;
    if (std::string(algorithm) == "md5")
        hr = control->MD5String(in, length, &out);
    else
        hr = control->SHA256String(in, length, &out);
    SysFreeString(in);
    return SUCCEEDED(hr) ? Text(out) : "hr " + std::to_string(hr);
}

std::string LoadedControlPath() {
    wchar_t path[MAX_PATH] = {};
    HMODULE module = GetModuleHandleW(L"TVKChecksum.ocx");
    if (module)
        GetModuleFileNameW(module, path, MAX_PATH);
    return Narrow(path);
}

bool SameFile(const std::string &a, const std::string &b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1,
                                                  b.c_str(), -1) == CSTR_EQUAL;
}

// One background job with a connected sink; cancel: pause it, cancel it
// once it has made progress.
std::vector<Event> RunJob(_TVKChecksum *control, const std::wstring &file, bool cancel) {
    EventSink sink;
    const DWORD cookie = Connect(control, &sink);
    if (!cookie)
        return {};
    BSTR algorithm = SysAllocString(L"sha-256");
    BSTR name = SysAllocString(file.c_str());
    VARIANT none;
    VariantInit(&none);
    control->NewCheckSumFile(algorithm, name, &none);
    SysFreeString(algorithm);
    SysFreeString(name);
    if (cancel) {
        control->PauseExecution(&none);
        PumpUntil([&] {
            for (const Event &e : sink.events)
                if ((e.id == 2 && e.number > 0) || e.id == 1)
                    return true;
            return false;
        });
        control->CancelExecution(&none);
    }
    PumpUntil([&] { return sink.HasFinished(); });
    control->ResumeExecution(&none);
    Disconnect(control, cookie);
    return sink.events;
}

std::wstring WideArg(const char *text) {
    std::wstring out;
    for (const char *p = text; *p; ++p)
        out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: deploy_client FILE SHA256 [CONTROL-PATH]\n");
        return 2;
    }
    const std::wstring file = WideArg(argv[1]);
    const std::string sha256 = argv[2];
    OleInitialize(nullptr);

    // As CreateObject does it: the ProgID's class, then an object of it.
    // Through a manifest the ProgID may name an alias of the class (Wine
    // does so), so the object itself tells its class.
    CLSID clsid = {};
    HRESULT hr = CLSIDFromProgID(L"TVKChecksum270.TVKChecksum", &clsid);
    Check("ProgID TVKChecksum270.TVKChecksum found", SUCCEEDED(hr), "hr " + std::to_string(hr));
    _TVKChecksum *control = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__TVKChecksum,
                          reinterpret_cast<void **>(&control));
    Check("CoCreateInstance", SUCCEEDED(hr) && control, "hr " + std::to_string(hr));
    if (!control) {
        std::printf("%d passed, %d failed\n", passed, failed);
        return failed;
    }
    IPersist *persist = nullptr;
    CLSID actual = {};
    if (SUCCEEDED(control->QueryInterface(IID_IPersist, reinterpret_cast<void **>(&persist)))) {
        persist->GetClassID(&actual);
        persist->Release();
    }
    Check("the object is of the class TVKChecksum", IsEqualGUID(actual, CLSID_TVKChecksum));
    const std::string loaded = LoadedControlPath();
    if (argc > 3)
        Check("the control comes from its installed folder", SameFile(loaded, argv[3]), loaded);

    ITypeLib *typelib = nullptr;
    hr = LoadRegTypeLib(LIBID_TVKChecksum270, 9, 1, 0x409, &typelib);
    Check("type library 9.1 found by its id", SUCCEEDED(hr), "hr " + std::to_string(hr));
    if (typelib)
        typelib->Release();

    // The 9.1 interface, by its vtable as a host compiled against it calls it.
    _TVKChecksum2 *second = nullptr;
    hr = control->QueryInterface(IID__TVKChecksum2, reinterpret_cast<void **>(&second));
    Check("the 9.1 interface _TVKChecksum2 answers", SUCCEEDED(hr) && second,
          "hr " + std::to_string(hr));
    if (second) {
        VARIANT data, encoding;
        V_VT(&data) = VT_BSTR;
        V_BSTR(&data) = SysAllocString(L"abc");
        V_VT(&encoding) = VT_ERROR;
        V_ERROR(&encoding) = DISP_E_PARAMNOTFOUND;
        BSTR algorithm = SysAllocString(L"SHA-384");
        BSTR result = nullptr;
        second->HashData(algorithm, data, encoding, &result);
        Check("HashData SHA-384 abc",
              Text(result) == "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5b"
                              "ed8086072ba1e7cc2358baeca134c825a7",
              Text(result));
        SysFreeString(result);
        SysFreeString(algorithm);
        VariantClear(&data);
        second->Release();
    }

    BSTR name = nullptr;
    control->ControlName(&name);
    Check("ControlName", Text(name) == "TVK Checksum OCX 2.7.0");
    std::string sum = StringSum(control, "md5", L"abc");
    Check("MD5String abc", sum == "900150983cd24fb0d6963f7d28e17f72", sum);
    sum = StringSum(control, "sha256", L"abc");
    Check("SHA256String abc",
          sum == "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", sum);

    BSTR in = SysAllocString(file.c_str());
    BSTR out = nullptr;
    control->SHA256File(in, &out);
    SysFreeString(in);
    sum = Text(out);
    Check("SHA256File", sum == sha256, sum);

    std::vector<Event> events = RunJob(control, file, false);
    const bool finished = !events.empty() && events.back().id == 1;
    Check("background job raises Finished with the checksum",
          finished && Narrow(events.back().text) == sha256,
          finished ? Narrow(events.back().text) : "no Finished");
    Check("Progress 0 first and 100 before Finished",
          events.size() >= 3 && events.front().id == 2 && events.front().number == 0 &&
              events[events.size() - 2].id == 2 && events[events.size() - 2].number == 100);

    events = RunJob(control, file, true);
    Check("cancelled job: ErrorCode 9 \"User abort\", Progress 100, Finished \"\"",
          events.size() >= 3 && events[events.size() - 3].id == 3 &&
              events[events.size() - 3].number == 9 &&
              events[events.size() - 3].text == L"User abort" &&
              events[events.size() - 2].number == 100 && events.back().id == 1 &&
              events.back().text.empty());

    control->Release();
    OleUninitialize();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
