/* wine_keeper.c -- a Windows program that does nothing for as long as it
 * runs. Wine ends its system processes (services, RPC, the desktop) a few
 * seconds after the last program of a prefix ends, and starting them again
 * for the next program can stall it for ten seconds or more. While this
 * program runs they stay; it touches the desktop so the desktop process
 * starts here, detached from any test's output. `wineserver -k` ends it. */
#include <windows.h>

int main(void) {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
