// control_window.cpp -- the window class of the control, Timer1's Win32
// timer and the in-place window.
#include "control_window.h"

#include "com_call.h"
#include "module.h"
#include "platform.h"
#include "registration_rows.h"

#include "TVKChecksum.h"

namespace tvkcom {
namespace {

const UINT_PTR timer1_id = 1;
bool class_registered = false;

void tick(ControlObject *obj) {
    if (!obj->control || !obj->control->Timer1.Enabled())
        return;
    // A handler of the tick's events may release the control: com_call
    // holds it. A run-time error has no caller to go to and is dropped.
    com_call(obj, [](tvk::TVKChecksum &c) {
        c.Timer1_Timer();
        return S_OK;
    });
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto *obj = reinterpret_cast<ControlObject *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE: {
        const auto *create = reinterpret_cast<const CREATESTRUCTW *>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_TIMER:
        if (obj && wp == timer1_id) {
            tick(obj);
            return 0;
        }
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        draw_face(dc, client);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool ensure_class() {
    if (class_registered)
        return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = module_instance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = window_class;
    class_registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return class_registered;
}

HWND message_window(ControlObject *obj) {
    if (!obj->message_window && ensure_class())
        obj->message_window = CreateWindowExW(0, window_class, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                              nullptr, module_instance(), obj);
    return obj->message_window;
}

} // namespace

SIZEL control_extent_himetric(const ControlObject *obj) {
    // 1440 twips and 2540 HIMETRIC units make an inch.
    return SIZEL{MulDiv(obj->control->Width, 2540, 1440), MulDiv(obj->control->Height, 2540, 1440)};
}

SIZE control_extent_pixels(const ControlObject *obj) {
    return SIZE{MulDiv(obj->control->Width, platform_screen_dpi(0, PlatformAxis::horizontal), 1440),
                MulDiv(obj->control->Height, platform_screen_dpi(0, PlatformAxis::vertical), 1440)};
}

void timer_follow(ControlObject *obj) {
    HWND wanted = nullptr;
    if (obj->control && obj->control->Timer1.Enabled())
        wanted = obj->window ? obj->window : message_window(obj);
    if (obj->timer_window == wanted)
        return;
    if (obj->timer_window)
        KillTimer(obj->timer_window, timer1_id);
    obj->timer_window = nullptr;
    if (wanted && SetTimer(wanted, timer1_id, tvk::Timer::Interval, nullptr))
        obj->timer_window = wanted;
}

HWND create_inplace_window(ControlObject *obj, HWND parent, const RECT &pos) {
    if (obj->window || !ensure_class())
        return obj->window;
    const SIZE size = control_extent_pixels(obj);
    obj->window = CreateWindowExW(0, window_class, L"TVKChecksum",
                                  WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, pos.left, pos.top,
                                  size.cx, size.cy, parent, nullptr, module_instance(), obj);
    timer_follow(obj);
    return obj->window;
}

void destroy_inplace_window(ControlObject *obj) {
    HWND window = obj->window;
    if (!window)
        return;
    obj->window = nullptr;
    timer_follow(obj); // the timer moves to the message-only window
    if (obj->timer_window == window)
        obj->timer_window = nullptr;
    DestroyWindow(window);
}

void destroy_control_windows(ControlObject *obj) {
    if (obj->timer_window)
        KillTimer(obj->timer_window, timer1_id);
    obj->timer_window = nullptr;
    if (obj->window) {
        DestroyWindow(obj->window);
        obj->window = nullptr;
    }
    if (obj->message_window) {
        DestroyWindow(obj->message_window);
        obj->message_window = nullptr;
    }
}

void unregister_control_window_class() {
    if (class_registered && UnregisterClassW(window_class, module_instance()))
        class_registered = false;
}

} // namespace tvkcom
