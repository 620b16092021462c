/* platform_screen_win.cpp -- the screen on Windows. Apart from
 * platform_win.cpp because it needs user32 and gdi32, which the engine
 * must not import. */
#include "platform.h"

#include <windows.h>

int platform_screen_dpi(std::uintptr_t window, PlatformAxis axis) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    HDC dc = GetDC(hwnd);
    const int index = axis == PlatformAxis::horizontal ? LOGPIXELSX : LOGPIXELSY;
    const int dpi = dc ? GetDeviceCaps(dc, index) : 96;
    if (dc)
        ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}
