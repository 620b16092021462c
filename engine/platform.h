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

/* Lets another thread run before the caller goes on. */
void platform_yield();

/* One line for a debugger: OutputDebugStringA on Windows; on Linux the line
 * goes to standard error only while a debugger (tracer) is attached, and
 * nowhere otherwise. */
void platform_debug_line(const char *line);

/* The engine's line for a file it cannot open: standard output on Windows;
 * standard error on Linux, where standard output carries a host's results. */
void platform_error_line(const char *line);

/* Full path of the loaded module with the given file name, or of the main
 * program when no such module is loaded, into out (size bytes, always
 * zero-terminated when something is returned). Returns the length of the
 * path, 0 on failure. */
uint32_t platform_module_path(const char *module_name, char *out, uint32_t size);

/* Position of the end of an open file, as a 64-bit number (files of 2 GiB
 * and more); negative on failure. Moves the file position to the end. */
int64_t platform_seek_end(std::FILE *file);

/* Reads up to size bytes of an open file into buffer, as one C runtime read;
 * a read that a signal interrupted is taken up again. Returns the number of
 * bytes read (fewer than size only at the end of the file), or -1 on a read
 * error, whatever it had read before the error. */
int64_t platform_read_block(std::FILE *file, uint8_t *buffer, size_t size);

#endif
