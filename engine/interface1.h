/* interface1.h -- the engine's one entry point.
 * Four pointer-sized arguments and a pointer-sized result that holds a 32-bit
 * signed value. On i686 this is exactly a window procedure (stdcall, four
 * 32-bit words), so CallWindowProcA can call it; on x86_64 pointers stay
 * whole.
 *   a1  address of the command word
 *   a2  address of a text or buffer, by command word
 *   a3  address of a text or buffer, by command word
 *   a4  a byte count or an algorithm selector, by command word
 */
#ifndef TVK_ENGINE_INTERFACE1_H
#define TVK_ENGINE_INTERFACE1_H

#include <cstdint>

#if defined(_WIN32)
#define TVK_ENTRY __stdcall
#define TVK_EXPORT
#else
#define TVK_ENTRY
#define TVK_EXPORT __attribute__((visibility("default")))
#endif

extern "C" TVK_EXPORT intptr_t TVK_ENTRY interface1(uintptr_t a1, uintptr_t a2, uintptr_t a3,
                                                    uintptr_t a4);

#endif
