/* drivers.h -- the digest drivers: a string driver and a file driver for
 * each of the seven algorithms. Both end by writing checksum text into the
 * caller's output buffer.
 *
 * String drivers hash exactly count bytes at input (zero bytes included) in
 * one core call and always complete.
 *
 * File drivers read the file in 4096-byte blocks into read_buffer, keep
 * bytes_done and total_size, and look at the pause and cancel flags before
 * each block. They return JOB_DONE, JOB_OPEN_FAILED or JOB_READ_FAILED
 * (output untouched in both) or JOB_CANCELLED (output holds the text of the
 * bytes read so far). Only one file driver may run at a time in a process.
 */
#ifndef TVK_ENGINE_DRIVERS_H
#define TVK_ENGINE_DRIVERS_H

#include <cstdint>
#include <cstdio>

/* Bytes written by the MD5_32 drivers: 8 digits, then zero bytes. */
constexpr int MD532_STRING_OUTPUT_SIZE = 10;
constexpr int MD532_FILE_OUTPUT_SIZE = 16;

void digest_string_crc32(const uint8_t *input, char *output, uint32_t count);
void digest_string_adler32(const uint8_t *input, char *output, uint32_t count);
void digest_string_tvk32(const uint8_t *input, char *output, uint32_t count);
void digest_string_md5(const uint8_t *input, char *output, uint32_t count);
void digest_string_md532(const uint8_t *input, char *output, uint32_t count);
void digest_string_sha1(const uint8_t *input, char *output, uint32_t count);
void digest_string_sha256(const uint8_t *input, char *output, uint32_t count);

int32_t digest_file_adler32(const char *path, char *output);
int32_t digest_file_crc32(const char *path, char *output);
int32_t digest_file_sha256(const char *path, char *output);
int32_t digest_file_sha1(const char *path, char *output);
int32_t digest_file_md5(const char *path, char *output);
int32_t digest_file_md532(const char *path, char *output);
int32_t digest_file_tvk32(const char *path, char *output);

/* How the file drivers read a block: platform_read_block, which tests may
 * replace to make reads fail. */
using BlockReader = int64_t (*)(std::FILE *file, uint8_t *buffer, size_t size);
extern BlockReader file_block_reader;

#endif
