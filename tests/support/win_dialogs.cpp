// win_dialogs.cpp -- the dialog watcher.
#include "win_dialogs.h"

#include <windows.h>

namespace tvk_test {

namespace {

// The static text of a message box has the control id 0xFFFF; a dialog of
// another kind has its first static control read instead.
std::string DialogText(HWND dialog) {
    HWND text = GetDlgItem(dialog, 0xFFFF);
    if (!text)
        text = FindWindowExA(dialog, nullptr, "Static", nullptr);
    if (!text)
        return std::string();
    char buf[2048] = {};
    GetWindowTextA(text, buf, sizeof buf);
    return buf;
}

// The watched dialog of this process only: other programs on the same
// display (another test run) may show boxes with the same caption.
struct OwnDialog {
    const char *caption;
    HWND found;
};

BOOL CALLBACK FindOwnDialog(HWND hwnd, LPARAM param) {
    auto *want = reinterpret_cast<OwnDialog *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = {};
    char title[256] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (pid == GetCurrentProcessId() && lstrcmpA(cls, "#32770") == 0 &&
        lstrcmpA(title, want->caption) == 0 && IsWindowVisible(hwnd)) {
        want->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(const std::string &caption) {
    OwnDialog want{caption.c_str(), nullptr};
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&want));
    return want.found;
}

// A message box closes by its OK button; a dialog without one by Cancel,
// which is what Esc or the close box sends.
void CloseDialog(HWND dialog) {
    if (HWND ok = GetDlgItem(dialog, IDOK))
        PostMessageA(ok, BM_CLICK, 0, 0);
    else
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

} // namespace

DialogWatcher::DialogWatcher(std::string caption)
    : caption_(std::move(caption)), thread_([this] { Run(); }) {}

DialogWatcher::~DialogWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> DialogWatcher::Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

void DialogWatcher::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.clear();
}

void DialogWatcher::Run() {
    while (!stop_) {
        HWND dialog = FindDialog(caption_);
        if (!dialog) {
            Sleep(10);
            continue;
        }
        const std::string text = DialogText(dialog);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            texts_.push_back(text);
        }
        CloseDialog(dialog);
        // Wait until this one is gone, so it is recorded once.
        for (int i = 0; i < 500 && IsWindow(dialog) && !stop_; ++i) {
            Sleep(10);
            if (i % 50 == 49)
                CloseDialog(dialog);
        }
    }
}

} // namespace tvk_test
