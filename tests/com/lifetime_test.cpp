// lifetime_test.cpp -- what a long-lived host keeps after controls come and
// go: 300 controls that each load the engine with one string checksum and
// free it when released, while the control library stays loaded; then 300
// loads of the control library through COM, each ended by
// CoFreeUnusedLibraries, with a string checksum, and with a file job that
// the release cancels. Run beside a control without its engine, each
// control's call fails with error 5003 instead (an exception inside the
// control library). Committed private memory may grow by less than
// 1 KiB per lifetime on average; handles, threads and TLS slots not at all.
// Wine reports neither a handle count nor private usage, so the address
// space is walked and the handle values are probed.
#include "com_test_support.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

using namespace tvk_com_test;

namespace {

struct Usage {
    SIZE_T committed = 0; // bytes of committed private regions
    int handles = 0;
    int threads = 0;
    int free_tls = 0; // TLS slots that TlsAlloc can still hand out
};

SIZE_T CommittedPrivate() {
    SIZE_T sum = 0;
    MEMORY_BASIC_INFORMATION region;
    const char *at = nullptr;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            sum += region.RegionSize;
        const char *next = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return sum;
}

// Handle values are multiples of 4; a few thousand cover a test process.
int OpenHandles() {
    int count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    }
    return count;
}

int Threads() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

int FreeTlsSlots() {
    DWORD slots[2048];
    int count = 0;
    while (count < 2048 && (slots[count] = TlsAlloc()) != TLS_OUT_OF_INDEXES)
        ++count;
    for (int i = 0; i < count; ++i)
        TlsFree(slots[i]);
    return count;
}

Usage Measure() {
    return {CommittedPrivate(), OpenHandles(), Threads(), FreeTlsSlots()};
}

bool ModuleLoaded(const wchar_t *file) {
    return GetModuleHandleW((ExeDir() + L"\\" + file).c_str()) != nullptr;
}

// Registers (or unregisters) the control library of the test's folder for
// the machine, where Wine's COM looks for classes; the library is freed
// again afterwards.
HRESULT Register(bool install) {
    const HMODULE ocx = LoadLibraryW((ExeDir() + L"\\TVKChecksum.ocx").c_str());
    if (!ocx)
        return E_FAIL;
    using DllInstall = HRESULT(WINAPI *)(BOOL, LPCWSTR);
    auto fn =
        reinterpret_cast<DllInstall>(reinterpret_cast<void *>(GetProcAddress(ocx, "DllInstall")));
    const HRESULT hr = fn ? fn(install ? TRUE : FALSE, nullptr) : E_FAIL;
    FreeLibrary(ocx);
    return hr;
}

_TVKChecksum *NewControl() {
    _TVKChecksum *control = nullptr;
    CoCreateInstance(CLSID_TVKChecksum, nullptr, CLSCTX_INPROC_SERVER, IID__TVKChecksum,
                     reinterpret_cast<void **>(&control));
    return control;
}

// Waits (bounded) until the module is gone: a cancelled job's worker
// thread holds the engine until it has left it.
bool Unloaded(const wchar_t *file) {
    for (int i = 0; i < 5000 && ModuleLoaded(file); ++i)
        Sleep(1);
    return !ModuleLoaded(file);
}

struct LifetimePlan {
    const char *name;
    bool hold_ocx; // a control without engine keeps the control library loaded
    bool job;      // a file job runs when the control is released
};

bool EnginePresent() {
    return GetFileAttributesW((ExeDir() + L"\\tvkchecksum.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
}

// One control's life: created, one string checksum (the engine is loaded),
// perhaps a file job started, released (a job is cancelled, the engine
// freed), unused libraries given back. True when the checksum was right (or
// error 5003 came without an engine), the job started and the engine is
// gone.
bool ControlLifetime(const LifetimePlan &plan) {
    _TVKChecksum *control = NewControl();
    if (!control)
        return false;
    BSTR text = SysAllocString(L"abc");
    BSTR sum = nullptr;
    const HRESULT hr = control->SHA1String(text, 3, &sum);
    const HRESULT error_5003 = static_cast<HRESULT>(0x800A138B);
    bool right = EnginePresent()
                     ? hr == S_OK && Wide(sum) == L"a9993e364706816aba3e25717850c26c9cd0d89d"
                     : hr == error_5003;
    SysFreeString(sum);
    SysFreeString(text);
    if (plan.job) {
        // The control library itself is the file: large enough to be read
        // still when the release cancels the job.
        BSTR selection = SysAllocString(L"sha256");
        BSTR file = SysAllocString((ExeDir() + L"\\TVKChecksum.ocx").c_str());
        VARIANT result;
        right = right && control->NewCheckSumFile(selection, file, &result) == S_OK;
        SysFreeString(file);
        SysFreeString(selection);
    }
    control->Release();
    CoFreeUnusedLibraries();
    return right && Unloaded(L"tvkchecksum.dll");
}

class Lifetimes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        registered_ = Register(true) == S_OK;
    }
    static void TearDownTestSuite() {
        if (registered_)
            Register(false);
        OleUninitialize();
    }
    static bool registered_;
};
bool Lifetimes::registered_ = false;

TEST_F(Lifetimes, LeaveNothingBehind) {
    ASSERT_TRUE(registered_);
    const LifetimePlan with_engine[] = {
        {"control lifetimes, control library held", true, false},
        {"control library loads and unloads", false, false},
        {"control library loads and unloads, job cancelled by the release", false, true},
    };
    const LifetimePlan without_engine[] = {
        {"control library loads and unloads, error 5003 raised", false, false},
    };
    const std::vector<LifetimePlan> plans =
        EnginePresent()
            ? std::vector<LifetimePlan>(std::begin(with_engine), std::end(with_engine))
            : std::vector<LifetimePlan>(std::begin(without_engine), std::end(without_engine));
    const int lifetimes = 300;
    const int warm_up = 10; // the system's own caches fill on the first loads
    for (const LifetimePlan &plan : plans) {
        SCOPED_TRACE(plan.name);
        _TVKChecksum *holder = plan.hold_ocx ? NewControl() : nullptr;
        ASSERT_EQ(plan.hold_ocx, holder != nullptr);
        for (int i = 0; i < warm_up; ++i)
            ASSERT_TRUE(ControlLifetime(plan));
        const Usage before = Measure();
        for (int i = 0; i < lifetimes; ++i)
            ASSERT_TRUE(ControlLifetime(plan)) << "lifetime " << i;
        EXPECT_EQ(plan.hold_ocx, ModuleLoaded(L"TVKChecksum.ocx"));
        Usage after = Measure();
        for (int i = 0; i < 100 && after.threads > before.threads; ++i) {
            Sleep(10); // the last worker thread may be ending still
            after = Measure();
        }
        const double growth =
            (static_cast<double>(after.committed) - static_cast<double>(before.committed)) /
            lifetimes;
        std::printf("%s: %.1f bytes per lifetime, handles %d -> %d, threads %d -> %d, "
                    "free TLS slots %d -> %d\n",
                    plan.name, growth, before.handles, after.handles, before.threads, after.threads,
                    before.free_tls, after.free_tls);
        EXPECT_LT(growth, 1024.0);
        EXPECT_LE(after.handles, before.handles);
        EXPECT_LE(after.threads, before.threads);
        EXPECT_GE(after.free_tls, before.free_tls);
        if (holder)
            holder->Release();
        CoFreeUnusedLibraries();
        EXPECT_TRUE(Unloaded(L"TVKChecksum.ocx"));
    }
}

} // namespace
