/* platform.h -- the few operating-system services the engine needs, so that
 * the command layer itself stays free of platform code.
 */
#ifndef TVK_ENGINE_PLATFORM_H
#define TVK_ENGINE_PLATFORM_H

#include <cstdint>
#include <cstdio>

/* Starts body() on a new detached thread. The thread keeps the engine
 * library loaded until it has left it. Returns false when no thread could
 * be created (body is then never called). */
bool platform_start_thread(void (*body)());

void platform_sleep_ms(unsigned milliseconds);

/* One line for a debugger: OutputDebugStringA on Windows; on Linux the line
 * goes to standard error only while a debugger (tracer) is attached, and
 * nowhere otherwise. */
void platform_debug_line(const char *line);

/* Full path of the loaded module with the given file name, or of the main
 * program when no such module is loaded, into out (size bytes, always
 * zero-terminated when something is returned). Returns the length of the
 * path, 0 on failure. */
uint32_t platform_module_path(const char *module_name, char *out, uint32_t size);

/* Position of the end of an open file, as a 64-bit number (files of 2 GiB
 * and more); negative on failure. Moves the file position to the end. */
int64_t platform_seek_end(std::FILE *file);

#endif
