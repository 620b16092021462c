/* dispatch.h -- which backend (backends.h) runs the dispatched digest
 * functions sha1_block, sha256_block and tvk32_update. Each walks a ladder
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
};

/* The backends, each by the instruction sets it needs. */
enum class Backend : uint32_t {
    Portable = 0,
    Sse2 = TVK_ISA_SSE2,                                 /* TVK32 */
    Avx2 = TVK_ISA_AVX2,                                 /* TVK32 */
    ShaNi = TVK_ISA_SHA | TVK_ISA_SSSE3 | TVK_ISA_SSE41, /* SHA-1, SHA-256 */
    Automatic = 0xffffffffu,                             /* the fastest the CPU has */
};

/* Every backend but Automatic, with its name, for tests and the benchmark. */
struct BackendName {
    Backend backend;
    const char *name;
};
inline constexpr BackendName tvk_backends[] = {
    {Backend::Portable, "portable"},
    {Backend::Sse2, "sse2"},
    {Backend::Avx2, "avx2"},
    {Backend::ShaNi, "shani"},
};

/* Whether this CPU (and system) can run the backend. */
bool tvk_cpu_has(Backend backend);

/* From now on every dispatched function runs this backend where it has it
 * and the CPU can, its portable core otherwise; Backend::Automatic restores
 * the normal choice. Returns whether the CPU can run the backend (true for
 * Backend::Automatic). Meant for tests and the
 * benchmark; calls already under way finish on the backend they began on. */
bool tvk_force_backend(Backend backend);

/* The dispatched compression functions over n consecutive 64-byte blocks;
 * tvk32_update is declared in tvk32.h. */
void sha1_block(uint32_t state[5], const uint8_t *blocks, size_t n);
void sha256_block(uint32_t state[8], const uint8_t *blocks, size_t n);

#endif
