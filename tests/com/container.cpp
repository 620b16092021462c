// container.cpp -- the control hosted the way an application hosts it:
// registered (for the machine: Wine's COM reads classes from HKLM only),
// created by its ProgID in an "AtlAxWin" window
// of the system's atl.dll, with an event sink connected. Background jobs run
// through the real message loop (Timer1's WM_TIMER), the container resizes
// it, and one control is destroyed while its job runs.
#include "com_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace tvk_com_test;

namespace {

using AtlAxWinInitFn = BOOL(WINAPI *)();
using AtlAxGetControlFn = HRESULT(WINAPI *)(HWND, IUnknown **);

AtlAxGetControlFn atl_get_control = nullptr;
HWND frame = nullptr;
Ocx *ocx = nullptr;

class Environment : public ::testing::Environment {
  public:
    void SetUp() override {
        OleInitialize(nullptr);
        ocx = new Ocx(ExeDir() + L"\\TVKChecksum.ocx");
        ASSERT_TRUE(ocx->Loaded());
        ASSERT_EQ(S_OK, ocx->Install(true, nullptr));
        HMODULE atl = LoadLibraryW(L"atl.dll");
        ASSERT_NE(nullptr, atl);
        auto init = reinterpret_cast<AtlAxWinInitFn>(
            reinterpret_cast<void *>(GetProcAddress(atl, "AtlAxWinInit")));
        atl_get_control = reinterpret_cast<AtlAxGetControlFn>(
            reinterpret_cast<void *>(GetProcAddress(atl, "AtlAxGetControl")));
        ASSERT_TRUE(init && atl_get_control);
        ASSERT_TRUE(init());
        frame = CreateWindowExW(0, L"STATIC", L"TVKChecksum container", WS_OVERLAPPEDWINDOW, 0, 0,
                                400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, frame);
        ShowWindow(frame, SW_SHOW);
    }
    void TearDown() override {
        DestroyWindow(frame);
        if (ocx)
            ocx->Install(false, nullptr);
        OleUninitialize();
    }
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new Environment);

// One hosted control: its AtlAxWin window, its automation interface and a
// connected sink.
struct Hosted {
    HWND host = nullptr;
    _TVKChecksum *control = nullptr;
    EventSink sink;
    DWORD cookie = 0;

    bool Create() {
        host =
            CreateWindowExW(0, L"AtlAxWin", L"TVKChecksum270.TVKChecksum", WS_CHILD | WS_VISIBLE,
                            10, 10, 200, 100, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!host)
            return false;
        IUnknown *unknown = nullptr;
        if (FAILED(atl_get_control(host, &unknown)) || !unknown)
            return false;
        unknown->QueryInterface(IID__TVKChecksum, reinterpret_cast<void **>(&control));
        unknown->Release();
        if (!control)
            return false;
        cookie = Connect(control, &sink);
        return cookie != 0;
    }
    // Releases our references and destroys the host window, which releases
    // the control.
    void Destroy() {
        if (control) {
            control->Release();
            control = nullptr;
        }
        if (host) {
            DestroyWindow(host);
            host = nullptr;
        }
    }
    ~Hosted() {
        if (control && cookie)
            Disconnect(control, cookie);
        Destroy();
    }

    void Start(const wchar_t *algorithm, const std::wstring &file) {
        BSTR a = SysAllocString(algorithm);
        BSTR f = SysAllocString(file.c_str());
        VARIANT v;
        EXPECT_EQ(S_OK, control->NewCheckSumFile(a, f, &v));
        SysFreeString(a);
        SysFreeString(f);
    }
    void Pause() {
        VARIANT v;
        EXPECT_EQ(S_OK, control->PauseExecution(&v));
    }
    void Resume() {
        VARIANT v;
        EXPECT_EQ(S_OK, control->ResumeExecution(&v));
    }
    void Cancel() {
        VARIANT v;
        EXPECT_EQ(S_OK, control->CancelExecution(&v));
    }
    bool ProgressAbove(LONG value) const {
        for (const Event &e : sink.events)
            if (e.id == 2 && e.number > value)
                return true;
        return false;
    }
};

std::wstring TempFile(const wchar_t *name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

// 256 KiB: a paused job reads one 4 KiB block per 50 ms, so it lasts a few
// seconds and every tick sees a new percentage.
const size_t job_file_size = 256 * 1024;

TEST(Container, HostsTheControlInPlaceAt750By750Twips) {
    Hosted h;
    ASSERT_TRUE(h.Create());
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, h.control->ControlName(&name));
    EXPECT_EQ(L"TVK Checksum OCX 2.7.0", Wide(name));
    SysFreeString(name);

    IOleInPlaceObject *inplace = nullptr;
    ASSERT_EQ(S_OK, h.control->QueryInterface(IID_IOleInPlaceObject,
                                              reinterpret_cast<void **>(&inplace)));
    HWND window = nullptr;
    ASSERT_EQ(S_OK, inplace->GetWindow(&window));
    EXPECT_EQ(h.host, GetParent(window));
    HDC screen = GetDC(nullptr);
    const int px = MulDiv(750, GetDeviceCaps(screen, LOGPIXELSX), 1440);
    const int py = MulDiv(750, GetDeviceCaps(screen, LOGPIXELSY), 1440);
    ReleaseDC(nullptr, screen);
    auto window_size = [window]() {
        RECT r;
        GetWindowRect(window, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    };
    EXPECT_EQ(px, window_size().cx);
    EXPECT_EQ(py, window_size().cy);

    // The container resizes its site (the host tells the control), and asks
    // for an extent of its own: the control stays at 750 x 750 twips.
    MoveWindow(h.host, 10, 10, 300, 40, TRUE);
    const RECT wide = {0, 0, 200, 20};
    EXPECT_EQ(S_OK, inplace->SetObjectRects(&wide, &wide));
    EXPECT_EQ(px, window_size().cx);
    EXPECT_EQ(py, window_size().cy);
    inplace->Release();

    IOleObject *ole = nullptr;
    ASSERT_EQ(S_OK, h.control->QueryInterface(IID_IOleObject, reinterpret_cast<void **>(&ole)));
    SIZEL asked = {5292, 529}; // 3000 x 300 twips
    EXPECT_EQ(S_OK, ole->SetExtent(DVASPECT_CONTENT, &asked));
    SIZEL got = {0, 0};
    EXPECT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &got));
    EXPECT_EQ(1323, got.cx);
    EXPECT_EQ(1323, got.cy);
    IOleClientSite *site = nullptr;
    EXPECT_EQ(S_OK, ole->GetClientSite(&site));
    EXPECT_NE(nullptr, site); // the host set its site
    if (site)
        site->Release();
    ole->Release();
}

TEST(Container, BackgroundJobRunsToFinishedThroughTheMessageLoop) {
    const std::wstring file = TempFile(L"tvkcom_job.bin");
    const std::string bytes = WriteTestFile(file, job_file_size);
    // The pause races the worker: on a fast engine the job may have read
    // most of the file before "pause" arrives. Such a run shows too few
    // percentages to judge, and is tried again.
    for (int attempt = 0; attempt < 20; ++attempt) {
        Hosted h;
        ASSERT_TRUE(h.Create());
        h.Start(L"MD5", file);
        // Paused, the job only slows down: it still ends with its checksum.
        h.Pause();
        ASSERT_EQ(1u, h.sink.events.size()); // Progress 0 from NewCheckSumFile
        ASSERT_TRUE(PumpUntil([&] { return h.sink.HasFinished(); }));
        h.Resume();

        const auto &ev = h.sink.events;
        EXPECT_EQ(0u, h.sink.Count(3)) << "no ErrorCode";
        if (ev.size() < 5 && attempt + 1 < 20)
            continue; // the job outran the pause
        ASSERT_GE(ev.size(), 5u) << "Progress 0, some percentages, 100, Finished";
        EXPECT_EQ(2, ev.front().id);
        EXPECT_EQ(0, ev.front().number);
        // The ticks' percentages rise (each is reported only when it
        // changes); the job's end adds Progress 100, even after a tick that
        // read 100 while the job was finishing.
        LONG last = 0;
        size_t between = 0;
        for (size_t i = 1; i + 2 < ev.size(); ++i) {
            ASSERT_EQ(2, ev[i].id);
            EXPECT_GT(ev[i].number, last);
            last = ev[i].number;
            between += last > 0 && last < 100;
        }
        EXPECT_GE(between, 2u);
        EXPECT_EQ(2, ev[ev.size() - 2].id);
        EXPECT_EQ(100, ev[ev.size() - 2].number);
        EXPECT_EQ(1, ev.back().id);
        EXPECT_EQ(CryptoMd5(bytes), Narrow(ev.back().text));
        EXPECT_FALSE(h.sink.bad_arguments);
        break;
    }
    DeleteFileW(file.c_str());
}

TEST(Container, CancelledJobEndsWithUserAbort) {
    const std::wstring file = TempFile(L"tvkcom_cancel.bin");
    WriteTestFile(file, job_file_size);
    Hosted h;
    ASSERT_TRUE(h.Create());
    h.Start(L"sha-256", file);
    h.Pause();
    ASSERT_TRUE(PumpUntil([&] { return h.ProgressAbove(0); }));
    h.Cancel();
    ASSERT_TRUE(PumpUntil([&] { return h.sink.HasFinished(); }));
    h.Resume();

    const auto &ev = h.sink.events;
    ASSERT_GE(ev.size(), 3u);
    const Event &error = ev[ev.size() - 3];
    EXPECT_EQ(3, error.id);
    EXPECT_EQ(9, error.number);
    EXPECT_EQ(L"User abort", error.text);
    EXPECT_EQ(2, ev[ev.size() - 2].id);
    EXPECT_EQ(100, ev[ev.size() - 2].number);
    EXPECT_EQ(1, ev.back().id);
    EXPECT_EQ(L"", ev.back().text);
    EXPECT_EQ(1u, h.sink.Count(3));
    DeleteFileW(file.c_str());
}

// A second control in the process, B, acts while A's paused job runs: none
// of it reaches A's job, which ends with its own checksum; B hears nothing.
TEST(Container, AnotherControlNeverSteersTheJob) {
    const std::wstring file = TempFile(L"tvkcom_two.bin");
    const std::string bytes = WriteTestFile(file, job_file_size);
    struct Plan {
        const char *name;
        void (*act)(Hosted &b);
    };
    const Plan plans[] = {
        {"B released", [](Hosted &b) { b.Destroy(); }},
        {"B cancels", [](Hosted &b) { b.Cancel(); }},
        {"B resumes", [](Hosted &b) { b.Resume(); }},
        {"B pauses, cancels, resumes",
         [](Hosted &b) {
             b.Pause();
             b.Cancel();
             b.Resume();
         }},
    };
    for (const Plan &plan : plans) {
        Hosted a, b;
        ASSERT_TRUE(a.Create() && b.Create());
        BSTR abc = SysAllocString(L"abc");
        BSTR sum = nullptr;
        EXPECT_EQ(S_OK, b.control->SHA1String(abc, 3, &sum)); // B loads the engine
        SysFreeString(abc);
        SysFreeString(sum);
        a.Start(L"md5", file);
        a.Pause(); // a paused job needs seconds: it runs while B acts
        ASSERT_TRUE(PumpUntil([&] { return a.ProgressAbove(0); })) << plan.name;
        plan.act(b);
        // Still paused: a resume from B would let the job finish at once.
        PumpUntil([] { return false; }, 300);
        EXPECT_FALSE(a.sink.HasFinished()) << plan.name;
        a.Resume();
        ASSERT_TRUE(PumpUntil([&] { return a.sink.HasFinished(); })) << plan.name;
        EXPECT_EQ(0u, a.sink.Count(3)) << plan.name;
        EXPECT_EQ(CryptoMd5(bytes), Narrow(a.sink.events.back().text)) << plan.name;
        EXPECT_TRUE(b.sink.events.empty()) << plan.name;
    }
    DeleteFileW(file.c_str());
}

TEST(Container, CancelFromInsideAProgressHandler) {
    const std::wstring file = TempFile(L"tvkcom_reenter.bin");
    WriteTestFile(file, job_file_size);
    Hosted h;
    ASSERT_TRUE(h.Create());
    h.sink.on_progress = [&h](LONG &value) {
        if (value > 0 && value < 100) {
            h.sink.on_progress = nullptr;
            h.Cancel(); // re-enters the control from its own event
        }
    };
    h.Start(L"crc32", file);
    h.Pause();
    ASSERT_TRUE(PumpUntil([&] { return h.sink.HasFinished(); }));
    h.Resume();
    EXPECT_EQ(1u, h.sink.Count(3));
    EXPECT_EQ(L"", h.sink.events.back().text);
    DeleteFileW(file.c_str());
}

TEST(Container, DestroyedDuringAJobCancelsItQuietly) {
    const std::wstring file = TempFile(L"tvkcom_destroy.bin");
    const std::string bytes = WriteTestFile(file, job_file_size);
    {
        Hosted doomed;
        ASSERT_TRUE(doomed.Create());
        doomed.Start(L"md5", file);
        doomed.Pause();
        ASSERT_TRUE(PumpUntil([&] { return doomed.ProgressAbove(0); }));
        const size_t seen = doomed.sink.events.size();
        doomed.Destroy(); // the control goes while its job runs
        // The control released its connection: it is gone, not leaked.
        EXPECT_EQ(1u, doomed.sink.AddRef() - 1);
        doomed.sink.Release();
        PumpUntil([] { return false; }, 500);
        EXPECT_EQ(seen, doomed.sink.events.size()) << "no event after destruction";
        EXPECT_FALSE(doomed.sink.HasFinished());
    }
    // The engine's one job slot is free again: a new control starts a job
    // (no ErrorCode 8) and finishes it.
    Hosted next;
    ASSERT_TRUE(next.Create());
    next.Start(L"md5", file);
    ASSERT_TRUE(PumpUntil([&] { return next.sink.HasFinished(); }));
    EXPECT_EQ(0u, next.sink.Count(3));
    EXPECT_EQ(CryptoMd5(bytes), Narrow(next.sink.events.back().text));
    DeleteFileW(file.c_str());
}

} // namespace

namespace {

TEST(Container, ProgressValueSetByTheHandlerIsReadBack) {
    // 1 MiB paused: about one new percentage every 1.3 ticks, so some ticks
    // see no change and raise nothing. A handler that sets Value to -7 makes
    // the control remember -7, so every later tick differs and raises
    // Progress, the same percentage twice in a row included.
    const std::wstring file = TempFile(L"tvkcom_byref.bin");
    WriteTestFile(file, 1024 * 1024);
    Hosted h;
    ASSERT_TRUE(h.Create());
    h.sink.on_progress = [](LONG &value) {
        if (value > 0 && value < 100)
            value = -7;
    };
    auto repeated = [&h]() {
        const auto &ev = h.sink.events;
        for (size_t i = 1; i < ev.size(); ++i)
            if (ev[i].id == 2 && ev[i - 1].id == 2 && ev[i].number > 0 && ev[i].number < 100 &&
                ev[i].number == ev[i - 1].number)
                return true;
        return false;
    };
    h.Start(L"adler32", file);
    h.Pause();
    EXPECT_TRUE(PumpUntil(repeated, 30000));
    h.Cancel();
    ASSERT_TRUE(PumpUntil([&] { return h.sink.HasFinished(); }));
    h.Resume();
    DeleteFileW(file.c_str());
}

} // namespace
