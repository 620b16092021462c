/* interface1.cpp -- the engine's one entry point. */
#include "interface1.h"

#include "commands.h"

extern "C" intptr_t TVK_ENTRY interface1(uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    // The 32-bit result, sign-extended to the pointer-sized return value.
    return static_cast<intptr_t>(
        tvkengine::run_command(reinterpret_cast<const char *>(a1), a2, a3, a4));
}
