// about_test.cpp -- About through COM shows the real modal dialog: a
// watcher thread finds it, checks its caption, texts, fonts and the places
// of its controls (twips converted to pixels), lets a screenshot be taken
// when TVK_ABOUT_HOLD names a marker file, and clicks Exit. A second About
// builds the form afresh.
#include "com_test_support.h"
#include "tvk_version.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tvk_com_test;

namespace {

struct Expected {
    int id;
    const wchar_t *cls;
    int left, top, width, height; // twips
    const wchar_t *text;          // nullptr: not compared here
};

const Expected controls[] = {
    {101, L"Edit", 480, 1680, 3855, 1335, nullptr},
    {102, L"Static", 480, 240, 3855, 375, L"TVK Software"},
    {103, L"Static", 1560, 720, 3015, 255, L"http://www.tvksoftware.example/"},
    {104, L"Static", 1320, 960, 3255, 255, L"info@tvksoftware.example"},
    {105, L"Static", 480, 3650, 2295, 255, nullptr},
    {106, L"Button", 3000, 3480, 1335, 375, L"Exit"},
};

const wchar_t description[] = L"ActiveX OCX to compute very fast the checksum of \r\n"
                              L"strings or files using Adler32 , CRC32 , MD5 , SHA-1 \r\n"
                              L"and SHA-256 , the code is optimized for new AMD \r\n"
                              L"and Intel processors and the checksum code is \r\n"
                              L"loaded dynamically in the same address space of the \r\n"
                              L"application using the control \r\n";

std::wstring Text(HWND hwnd) {
    std::vector<wchar_t> buf(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1);
    GetWindowTextW(hwnd, buf.data(), static_cast<int>(buf.size()));
    return buf.data();
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[64] = {};
    GetClassNameW(hwnd, buf, 64);
    return buf;
}

bool Near(int got, int want) {
    return std::abs(got - want) <= 1;
}

// Checks the open dialog; every mismatch is one line in the result.
std::vector<std::string> CheckDialog(HWND dialog) {
    std::vector<std::string> bad;
    auto fail = [&bad](const std::string &what) { bad.push_back(what); };
    HDC dc = GetDC(dialog);
    const int dx = GetDeviceCaps(dc, LOGPIXELSX);
    const int dy = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(dialog, dc);
    auto px = [dx](int twips) { return MulDiv(twips, dx, 1440); };
    auto py = [dy](int twips) { return MulDiv(twips, dy, 1440); };

    if (Text(dialog) != L"TVK Checksum OCX 2.7.0")
        fail("caption");
    RECT client;
    GetClientRect(dialog, &client);
    if (!Near(client.right, px(4845)) || !Near(client.bottom, py(4185)))
        fail("client area " + std::to_string(client.right) + "x" + std::to_string(client.bottom));

    for (const Expected &c : controls) {
        HWND item = GetDlgItem(dialog, c.id);
        const std::string name = "control " + std::to_string(c.id);
        if (!item) {
            fail(name + " missing");
            continue;
        }
        if (ClassOf(item) != c.cls)
            fail(name + " class " + Narrow(ClassOf(item)));
        RECT r;
        GetWindowRect(item, &r);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT *>(&r), 2);
        if (!Near(r.left, px(c.left)) || !Near(r.top, py(c.top)) ||
            !Near(r.right - r.left, px(c.width)) || !Near(r.bottom - r.top, py(c.height)))
            fail(name + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                 std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        if (c.text && Text(item) != c.text)
            fail(name + " text " + Narrow(Text(item)));
    }
    if (Text(GetDlgItem(dialog, 101)) != description)
        fail("description text");
    if (Text(GetDlgItem(dialog, 105)).find(L"TVK Software") != 0)
        fail("maker line");

    // Label1 13.5 pt, the links 8.25 pt underlined, all MS Sans Serif.
    struct FontCheck {
        int id;
        double points;
        bool underline;
    } fonts[] = {{102, 13.5, false}, {103, 8.25, true}, {104, 8.25, true}};
    for (const FontCheck &f : fonts) {
        auto font = reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, f.id, WM_GETFONT, 0, 0));
        LOGFONTW lf = {};
        if (!font || !GetObjectW(font, sizeof lf, &lf)) {
            fail("font of " + std::to_string(f.id));
            continue;
        }
        const int height = -static_cast<int>(f.points * dy / 72.0 + 0.5);
        if (lf.lfHeight != height || (lf.lfUnderline != 0) != f.underline ||
            std::wstring(lf.lfFaceName) != L"MS Sans Serif")
            fail("font of " + std::to_string(f.id) + ": " + std::to_string(lf.lfHeight) + " " +
                 Narrow(lf.lfFaceName));
    }
    return bad;
}

bool FileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BOOL CALLBACK list_own_window(HWND hwnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId())
        reinterpret_cast<std::vector<std::string> *>(lp)->push_back(
            "  " + Narrow(ClassOf(hwnd)) + " [" + Narrow(Text(hwnd)) + "] visible " +
            std::to_string(IsWindowVisible(hwnd)));
    return TRUE;
}

// Waits for the dialog, checks it, optionally holds it for a screenshot and
// clicks Exit.
void Watch(std::vector<std::string> *problems, bool hold) {
    HWND dialog = nullptr;
    for (int i = 0; i < 3000 && !dialog; ++i) { // 60 s at most
        dialog = FindOwnDialog(L"" TVK_PRODUCT_TITLE);
        if (!dialog)
            Sleep(20);
    }
    if (!dialog) {
        problems->push_back("the About dialog did not appear; top-level windows:");
        EnumWindows(list_own_window, reinterpret_cast<LPARAM>(problems));
        return;
    }
    Sleep(200); // let it paint before it is looked at
    *problems = CheckDialog(dialog);
    const char *marker = hold ? std::getenv("TVK_ABOUT_HOLD") : nullptr;
    if (marker && *marker) {
        const std::string ready = std::string(marker) + ".ready";
        const std::string shot = std::string(marker) + ".shot";
        if (FILE *f = std::fopen(ready.c_str(), "w"))
            std::fclose(f);
        for (int i = 0; i < 600 && !FileExists(shot); ++i)
            Sleep(100);
    }
    PostMessageW(GetDlgItem(dialog, 106), BM_CLICK, 0, 0);
}

struct WatchJob {
    std::vector<std::string> *problems;
    bool hold;
};

DWORD WINAPI WatchThread(void *arg) {
    auto *job = static_cast<WatchJob *>(arg);
    Watch(job->problems, job->hold);
    return 0;
}

TEST(AboutDialog, ShownModallyThroughComAndClosedByExit) {
    OleInitialize(nullptr);
    Ocx ocx(ExeDir() + L"\\TVKChecksum.ocx");
    ASSERT_TRUE(ocx.Loaded());
    _TVKChecksum *control = nullptr;
    ASSERT_EQ(S_OK, ocx.Create(IID__TVKChecksum, reinterpret_cast<void **>(&control)));

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first About" : "second About, a fresh form");
        std::vector<std::string> problems;
        WatchJob job{&problems, round == 0};
        HANDLE watcher = CreateThread(nullptr, 0, WatchThread, &job, 0, nullptr);
        ASSERT_NE(nullptr, watcher);
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(S_OK, control->About(&result)); // returns once Exit was clicked
        EXPECT_EQ(VT_EMPTY, V_VT(&result));
        WaitForSingleObject(watcher, INFINITE);
        CloseHandle(watcher);
        for (const std::string &p : problems)
            ADD_FAILURE() << p;
    }
    control->Release();
}

} // namespace
