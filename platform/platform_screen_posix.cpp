/* platform_screen_posix.cpp -- the screen on Linux, where the control draws
 * nothing: the logical inch of 96 pixels. */
#include "platform.h"

int platform_screen_dpi(std::uintptr_t, PlatformAxis) {
    return 96;
}
