/* drivers.h -- the digest drivers: a string driver and a file driver for
 * each algorithm of the algorithm table. Both end by writing checksum text into the
 * caller's output buffer.
 *
 * String drivers hash exactly count bytes at input (zero bytes included) in
 * one core call and always complete.
 *
 * File drivers keep the bytes_done and total_size of the FileRun they are
 * given and look at its pause flag (and, while it is set, its cancel flag) before each run of bytes
 * they feed the core: runs of up to HASH_RUN_SIZE while no pause is requested, single 4096-byte
 * blocks while one is. A file below READ_AHEAD_MIN_FILE_SIZE is read DIRECT_READ_SIZE bytes at a
 * time straight into the buffer it is hashed from; a larger one is read ahead by a reader thread
 * that lives for that one call (read_ahead.h), in pieces of the algorithm's read_piece_size. They
 * return JOB_DONE, JOB_OPEN_FAILED or JOB_READ_FAILED (output untouched in both) or JOB_CANCELLED
 * (output holds the text of the bytes read so far). Only one file driver may run at a time in a
 * process.
 */
#ifndef TVK_ENGINE_DRIVERS_H
#define TVK_ENGINE_DRIVERS_H

#include "algorithm_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tvkengine {

struct FileRun;

using StringDriver = void (*)(const uint8_t *input, char *output, uint32_t count);
using FileDriver = int32_t (*)(FileRun &run, const char *path, char *output);
/* The same for a zero-terminated UTF-16 path (platform_open_read). */
using WideFileDriver = int32_t (*)(FileRun &run, const char16_t *path, char *output);

/* digest_string_<word>, digest_file_<word> and digest_file_<word>w for
 * every row of the algorithm table: digest_string_crc32, digest_file_md532,
 * digest_file_md532w ... */
#define TVK_DECLARE_DRIVERS(Id, word, ...)                                                         \
    void digest_string_##word(const uint8_t *input, char *output, uint32_t count);                 \
    int32_t digest_file_##word(FileRun &run, const char *path, char *output);                      \
    int32_t digest_file_##word##w(FileRun &run, const char16_t *path, char *output);
TVK_ALGORITHMS(TVK_DECLARE_DRIVERS)
#undef TVK_DECLARE_DRIVERS

/* HMAC (RFC 2104) of data under key with the algorithm's core, the digest
 * as text into output as the string driver writes it (the digits, then zero
 * bytes up to the string output size). Both inputs may be longer than 4 GiB
 * where addresses are 64 bits wide. False, and output untouched, for an
 * algorithm without HMAC (block size 0 in the algorithm table). */
using HmacDriver = bool (*)(const uint8_t *key, size_t key_size, const uint8_t *data,
                            size_t data_size, char *output);
extern const HmacDriver hmac_drivers[]; /* in the order of the algorithm table */

struct Drivers {
    StringDriver string;
    FileDriver file;
    WideFileDriver wide_file;
};

/* The drivers of each algorithm, in the order of the algorithm table. */
#define TVK_DRIVERS_OF(Id, word, ...)                                                              \
    {digest_string_##word, digest_file_##word, digest_file_##word##w},
inline constexpr Drivers algorithm_drivers[] = {TVK_ALGORITHMS(TVK_DRIVERS_OF)};
#undef TVK_DRIVERS_OF

constexpr const Drivers &drivers_of(tvkalgo::Algorithm a) {
    return algorithm_drivers[static_cast<size_t>(a)];
}

/* The longest run of bytes a file driver feeds the core in one call between
 * two looks at the flags and two raises of bytes_done: long enough that a
 * core's per-call cost vanishes, short enough that a pause or cancel is
 * seen within microseconds. */
constexpr size_t HASH_RUN_SIZE = 64 * 1024;

/* The size of one read of a file below READ_AHEAD_MIN_FILE_SIZE: few system
 * calls, and the bytes are still in the cache when the core reads them. */
constexpr size_t DIRECT_READ_SIZE = 256 * 1024;

/* The file drivers' reading with nothing hashed, a large file in pieces of
 * piece_size bytes (a whole number of HASH_RUN_SIZE runs, at most
 * READ_AHEAD_RING_SIZE): how fast the drivers could go with an infinitely
 * fast core. For the benchmark; returns a driver's result code. */
int32_t read_file_unhashed(FileRun &run, const char *path, size_t piece_size);

/* How the file drivers read: a block from the stream's position
 * (platform_read_block), a piece of a large file at its offset
 * (platform_read_at). Tests may replace them to make reads fail. */
using BlockReader = int64_t (*)(std::FILE *file, uint8_t *buffer, size_t size);
extern BlockReader file_block_reader;
using PieceReader = int64_t (*)(std::FILE *file, int64_t offset, uint8_t *buffer, size_t size);
extern PieceReader file_piece_reader;

} // namespace tvkengine

#endif
