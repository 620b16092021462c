/* dispatch.h -- which backend (backends.h) runs the dispatched digest
 * functions sha1_block, sha256_block, sha512_block, tvk32_update,
 * crc32_update, adler32_update, xxh3_update (xxh3.h), crc32c_update and
 * crc64nvme_update. Each walks a ladder
 * of backends, fastest first, and runs the first one that the CPU supports
 * (cpuid, asked once per process); the portable core is the last rung.
 * tvk_force_backend narrows the choice to one backend, so that tests and
 * the benchmark can run each of them through this same path.
 */
#ifndef TVK_DIGEST_DISPATCH_H
#define TVK_DIGEST_DISPATCH_H

#include <cstddef>
#include <cstdint>

/* Instruction sets, as bits of what the CPU has and a backend needs. */
enum TvkIsa : uint32_t {
    TVK_ISA_SSE2 = 1u << 0,
    TVK_ISA_SSSE3 = 1u << 1,
    TVK_ISA_SSE41 = 1u << 2,
    TVK_ISA_AVX2 = 1u << 3, /* and the system saves the YMM registers */
    TVK_ISA_SHA = 1u << 4,
    TVK_ISA_PCLMUL = 1u << 5,    /* carry-less multiplication of 64-bit halves */
    TVK_ISA_AVX512 = 1u << 6,    /* AVX-512 F, and the system saves the ZMM registers */
    TVK_ISA_VPCLMUL = 1u << 7,   /* carry-less multiplication on whole vectors */
    TVK_ISA_AVX512VL = 1u << 8,  /* AVX-512 instructions on 128- and 256-bit vectors */
    TVK_ISA_BMI = 1u << 9,       /* BMI1 and BMI2: and-not, rotation without flags */
    TVK_ISA_SSE42 = 1u << 10,    /* the crc32 instruction (CRC-32C) */
    TVK_ISA_AVX512BW = 1u << 11, /* AVX-512 on bytes and 16-bit words */
};

/* The backends, each by the instruction sets it needs. */
enum class Backend : uint32_t {
    Portable = 0,
    Sse2 = TVK_ISA_SSE2,                                         /* TVK32, XXH3 */
    Ssse3 = TVK_ISA_SSSE3,                                       /* Adler-32 */
    Sse41 = TVK_ISA_SSE41 | TVK_ISA_SSSE3 | TVK_ISA_SSE2,        /* BLAKE3 */
    Sse42 = TVK_ISA_SSE42 | TVK_ISA_PCLMUL | TVK_ISA_SSE41,      /* CRC-32C */
    Avx2 = TVK_ISA_AVX2,                                         /* TVK32, Adler-32, XXH3 */
    Avx2Bmi = TVK_ISA_AVX2 | TVK_ISA_BMI,                        /* SHA-512 */
    ShaNi = TVK_ISA_SHA | TVK_ISA_SSSE3 | TVK_ISA_SSE41,         /* SHA-1, SHA-256 */
    Pclmul = TVK_ISA_PCLMUL | TVK_ISA_SSE2,                      /* CRC-32 */
    Vpclmul = TVK_ISA_VPCLMUL | TVK_ISA_AVX512 | TVK_ISA_PCLMUL, /* CRC-32 */
    Avx512 = TVK_ISA_AVX512 | TVK_ISA_AVX512VL | TVK_ISA_AVX2 | TVK_ISA_BMI, /* SHA-512, XXH3 */
    Avx512Bw = TVK_ISA_AVX512BW | TVK_ISA_AVX512,                            /* Adler-32 */
    Automatic = 0xffffffffu, /* the fastest the CPU has */
};

/* Every backend but Automatic, with its name, for tests and the benchmark. */
struct BackendName {
    Backend backend;
    const char *name;
};
inline constexpr BackendName tvk_backends[] = {
    {Backend::Portable, "portable"}, {Backend::Sse2, "sse2"},       {Backend::Ssse3, "ssse3"},
    {Backend::Avx2, "avx2"},         {Backend::ShaNi, "shani"},     {Backend::Pclmul, "pclmul"},
    {Backend::Vpclmul, "vpclmul"},   {Backend::Avx512, "avx512"},   {Backend::Sse41, "sse41"},
    {Backend::Sse42, "sse42"},       {Backend::Avx2Bmi, "avx2bmi"}, {Backend::Avx512Bw, "avx512bw"},
};

/* Whether this CPU (and system) can run the backend. */
bool tvk_cpu_has(Backend backend);

/* From now on every dispatched function runs this backend where it has it
 * and the CPU can, its portable core otherwise; Backend::Automatic restores
 * the normal choice. Returns whether the CPU can run the backend (true for
 * Backend::Automatic). Meant for tests and the
 * benchmark; calls already under way finish on the backend they began on. */
bool tvk_force_backend(Backend backend);

/* The dispatched compression functions over n consecutive 64-byte blocks
 * (128-byte blocks for SHA-512 and SHA-384); tvk32_update is declared in
 * tvk32.h. */
void sha1_block(uint32_t state[5], const uint8_t *blocks, size_t n);
void sha256_block(uint32_t state[8], const uint8_t *blocks, size_t n);
void sha512_block(uint64_t state[8], const uint8_t *blocks, size_t n);

/* CRC-32 and Adler-32 of length more bytes, from a running value (0 and 1
 * at the start), exactly as zlib's crc32() and adler32() give them. */
uint32_t crc32_update(uint32_t crc, const uint8_t *input, size_t length);
uint32_t adler32_update(uint32_t adler, const uint8_t *input, size_t length);

/* The backend that crc32_update or adler32_update would run now. */
Backend crc32_backend();
Backend adler32_backend();

/* CRC-32C (Castagnoli) and CRC-64/NVME of length more bytes in zlib's
 * convention: a running value, 0 at the start, each result the finished
 * CRC so far and the running value for the next piece. */
uint32_t crc32c_update(uint32_t crc, const uint8_t *input, size_t length);
uint64_t crc64nvme_update(uint64_t crc, const uint8_t *input, size_t length);

/* The backend that crc32c_update or crc64nvme_update would run now (on
 * long inputs: CRC-32C takes short ones to Sse42 where the CPU has it). */
Backend crc32c_backend();
Backend crc64nvme_backend();

/* BLAKE3 (blake3.h): the chaining values, 32 bytes each into cvs, of n
 * whole 1024-byte chunks laid end to end and numbered from chunk; or, with
 * parents, of n parent nodes of 64 bytes each (two chaining values). */
void blake3_hash_many(const uint8_t *input, size_t n, uint64_t chunk, bool parents, uint8_t *cvs);

#endif
