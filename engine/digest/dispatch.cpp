/* dispatch.cpp -- the one place where a backend is chosen: the CPU's
 * instruction sets (cpuid and xgetbv, asked once), the forced backend, and
 * a ladder per dispatched function. A new backend is one rung in its
 * function's ladder (and, for a new instruction set, one bit in detect).
 */
#include "digest/dispatch.h"

#include <atomic>
#include <zlib.h>

#include "digest/backends.h"
#include "digest/tvk32.h"
#include "digest/xxh3.h"

#if TVK_X86
#include <cpuid.h>
#endif

namespace {

#if TVK_X86

uint32_t xcr0() {
    uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    (void)hi;
    return lo;
}

/* XCR0 bits 1 and 2: the system saves SSE and AVX state on task switches;
 * bits 5 to 7: also the AVX-512 mask and ZMM state. */
constexpr uint32_t XCR0_YMM = 0x6;
constexpr uint32_t XCR0_ZMM = 0xe6;

uint32_t detect() {
    uint32_t isa = 0;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return isa;
    if (edx & bit_SSE2)
        isa |= TVK_ISA_SSE2;
    if (ecx & bit_SSSE3)
        isa |= TVK_ISA_SSSE3;
    if (ecx & bit_SSE4_1)
        isa |= TVK_ISA_SSE41;
    if (ecx & bit_SSE4_2)
        isa |= TVK_ISA_SSE42;
    if (ecx & bit_PCLMUL)
        isa |= TVK_ISA_PCLMUL;
    const bool osxsave = (ecx & bit_OSXSAVE) != 0 && (ecx & bit_AVX) != 0;
    const uint32_t saved = osxsave ? xcr0() : 0;

    if (__get_cpuid_max(0, nullptr) >= 7) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        if (ebx & bit_SHA)
            isa |= TVK_ISA_SHA;
        if ((ebx & bit_AVX2) != 0 && (saved & XCR0_YMM) == XCR0_YMM)
            isa |= TVK_ISA_AVX2;
        if ((ebx & bit_AVX512F) != 0 && (saved & XCR0_ZMM) == XCR0_ZMM)
            isa |= TVK_ISA_AVX512;
        if (ecx & bit_VPCLMULQDQ)
            isa |= TVK_ISA_VPCLMUL;
        if ((ebx & bit_AVX512VL) != 0 && (saved & XCR0_ZMM) == XCR0_ZMM)
            isa |= TVK_ISA_AVX512VL;
        if ((ebx & bit_AVX512BW) != 0 && (saved & XCR0_ZMM) == XCR0_ZMM)
            isa |= TVK_ISA_AVX512BW;
        if ((ebx & bit_BMI) != 0 && (ebx & bit_BMI2) != 0)
            isa |= TVK_ISA_BMI;
    }
    return isa;
}

#else

uint32_t detect() {
    return 0;
}

#endif

/* Not yet asked; no instruction set has this bit. */
constexpr uint32_t ISA_UNKNOWN = 1u << 31;

std::atomic<uint32_t> cpu_isa{ISA_UNKNOWN};
std::atomic<Backend> forced_backend{Backend::Automatic};

/* Two threads may ask at once the first time: both store the same value. */
uint32_t isa() {
    uint32_t value = cpu_isa.load(std::memory_order_relaxed);
    if (value == ISA_UNKNOWN) {
        value = detect();
        cpu_isa.store(value, std::memory_order_relaxed);
    }
    return value;
}

/* Whether a rung of a ladder runs its backend. */
[[maybe_unused]] bool use(Backend backend) {
    const Backend forced = forced_backend.load(std::memory_order_relaxed);
    return (forced == Backend::Automatic || forced == backend) && tvk_cpu_has(backend);
}

/* Below this length the vector setup of TVK32 costs more than it saves. */
constexpr uint32_t TVK32_VECTOR_THRESHOLD = 64;

/* Below this length CRC-32C runs faster on the crc32 instruction than by
 * vector folding (measured on Zen 5: the two meet at about 512 bytes). */
constexpr size_t CRC32C_FOLD_THRESHOLD = 512;

} // namespace

bool tvk_cpu_has(Backend backend) {
    const uint32_t needs = static_cast<uint32_t>(backend);
    return (isa() & needs) == needs;
}

bool tvk_force_backend(Backend backend) {
    forced_backend.store(backend, std::memory_order_relaxed);
    return backend == Backend::Automatic || tvk_cpu_has(backend);
}

void sha1_block(uint32_t state[5], const uint8_t *blocks, size_t n) {
#if TVK_X86
    if (use(Backend::ShaNi))
        return sha1_block_shani(state, blocks, n);
#endif
    sha1_block_portable(state, blocks, n);
}

void sha256_block(uint32_t state[8], const uint8_t *blocks, size_t n) {
#if TVK_X86
    if (use(Backend::ShaNi))
        return sha256_block_shani(state, blocks, n);
#endif
    sha256_block_portable(state, blocks, n);
}

void sha512_block(uint64_t state[8], const uint8_t *blocks, size_t n) {
#if TVK_X86
    if (use(Backend::Avx512))
        return sha512_block_avx512(state, blocks, n);
    if (use(Backend::Avx2Bmi))
        return sha512_block_avx2bmi(state, blocks, n);
#endif
    sha512_block_portable(state, blocks, n);
}

uint32_t tvk32_update(uint32_t value, const uint8_t *input, uint32_t length) {
#if TVK_X86
    if (length >= TVK32_VECTOR_THRESHOLD) {
        if (use(Backend::Avx2))
            return tvk32_update_avx2(value, input, length);
        if (use(Backend::Sse2))
            return tvk32_update_sse2(value, input, length);
    }
#endif
    return tvk32_update_portable(value, input, length);
}

uint32_t crc32_zlib(uint32_t crc, const uint8_t *input, size_t length) {
    return static_cast<uint32_t>(crc32_z(crc, input, length));
}

uint32_t adler32_zlib(uint32_t adler, const uint8_t *input, size_t length) {
    return static_cast<uint32_t>(adler32_z(adler, input, length));
}

/* CRC-32 and CRC-64/NVME: the widest carry-less multiplication that folds. */
Backend crc32_backend() {
#if TVK_X86
    if (use(Backend::Vpclmul))
        return Backend::Vpclmul;
    if (use(Backend::Pclmul))
        return Backend::Pclmul;
#endif
    return Backend::Portable;
}

uint32_t crc32_update(uint32_t crc, const uint8_t *input, size_t length) {
#if TVK_X86
    switch (crc32_backend()) {
    case Backend::Vpclmul:
        return crc32_vpclmul(crc, input, length);
    case Backend::Pclmul:
        return crc32_pclmul(crc, input, length);
    default:
        break;
    }
#endif
    return crc32_zlib(crc, input, length);
}

Backend adler32_backend() {
#if TVK_X86
    if (use(Backend::Avx512Bw))
        return Backend::Avx512Bw;
    if (use(Backend::Avx2))
        return Backend::Avx2;
    if (use(Backend::Ssse3))
        return Backend::Ssse3;
#endif
    return Backend::Portable;
}

uint32_t adler32_update(uint32_t adler, const uint8_t *input, size_t length) {
#if TVK_X86
    switch (adler32_backend()) {
    case Backend::Avx512Bw:
        return adler32_avx512bw(adler, input, length);
    case Backend::Avx2:
        return adler32_avx2(adler, input, length);
    case Backend::Ssse3:
        return adler32_ssse3(adler, input, length);
    default:
        break;
    }
#endif
    return adler32_zlib(adler, input, length);
}

/* AVX2 comes before AVX-512 for XXH3: xxHash's AVX-512 loop ran at half the
 * AVX2 speed on Zen 5 (19 against 38 GB/s), and AVX2 is above any page-cache
 * read already. The AVX-512 backend stays for forcing. */
void xxh3_update(Xxh3Context *ctx, const uint8_t *input, uint32_t length) {
#if TVK_X86
    if (use(Backend::Avx2))
        return xxh3_update_avx2(ctx, input, length);
    if (use(Backend::Avx512))
        return xxh3_update_avx512(ctx, input, length);
    if (use(Backend::Sse2))
        return xxh3_update_sse2(ctx, input, length);
#endif
    xxh3_update_portable(ctx, input, length);
}

Backend crc32c_backend() {
#if TVK_X86
    if (use(Backend::Vpclmul))
        return Backend::Vpclmul;
    if (use(Backend::Sse42))
        return Backend::Sse42;
    if (use(Backend::Pclmul))
        return Backend::Pclmul;
#endif
    return Backend::Portable;
}

uint32_t crc32c_update(uint32_t crc, const uint8_t *input, size_t length) {
#if TVK_X86
    switch (crc32c_backend()) {
    case Backend::Vpclmul:
        /* short inputs: the crc32 instruction on three streams is done
         * sooner than the setup and reduction of the vector folds */
        if (length < CRC32C_FOLD_THRESHOLD && use(Backend::Sse42))
            return crc32c_sse42(crc, input, length);
        return crc32c_vpclmul(crc, input, length);
    case Backend::Sse42:
        return crc32c_sse42(crc, input, length);
    case Backend::Pclmul:
        return crc32c_pclmul(crc, input, length);
    default:
        break;
    }
#endif
    return crc32c_portable(crc, input, length);
}

Backend crc64nvme_backend() {
    return crc32_backend();
}

uint64_t crc64nvme_update(uint64_t crc, const uint8_t *input, size_t length) {
#if TVK_X86
    switch (crc64nvme_backend()) {
    case Backend::Vpclmul:
        return crc64nvme_vpclmul(crc, input, length);
    case Backend::Pclmul:
        return crc64nvme_pclmul(crc, input, length);
    default:
        break;
    }
#endif
    return crc64nvme_portable(crc, input, length);
}

/* The widest backend takes whole groups of its lanes, each narrower one
 * the groups of its own that remain, the portable core the last few. */
void blake3_hash_many(const uint8_t *input, size_t n, uint64_t chunk, bool parents, uint8_t *cvs) {
    const size_t stride = parents ? 64 : 1024;
    size_t done = 0;
    [[maybe_unused]] auto rung =
        [&](size_t (*many)(const uint8_t *, size_t, uint64_t, bool, uint8_t *)) {
            done += many(input + done * stride, n - done, chunk + done, parents, cvs + done * 32);
        };
#if TVK_X86
    if (use(Backend::Avx512))
        rung(blake3_hash_many_avx512);
    if (use(Backend::Avx2))
        rung(blake3_hash_many_avx2);
    if (use(Backend::Sse41))
        rung(blake3_hash_many_sse41);
#endif
    blake3_hash_many_portable(input + done * stride, n - done, chunk + done, parents,
                              cvs + done * 32);
}
