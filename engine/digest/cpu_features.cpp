/* cpu_features.cpp -- cpuid and xgetbv, asked once. */
#include "digest/cpu_features.h"

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

#if defined(__i386__) || defined(__x86_64__)

/* XCR0 bits 1 and 2: the system saves SSE and AVX state on task switches. */
bool os_saves_ymm() {
    uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    (void)hi;
    return (lo & 0x6) == 0x6;
}

CpuFeatures detect() {
    CpuFeatures f{};
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return f;
    f.sse2 = (edx & bit_SSE2) != 0;
    f.ssse3 = (ecx & bit_SSSE3) != 0;
    f.sse41 = (ecx & bit_SSE4_1) != 0;
    const bool osxsave = (ecx & bit_OSXSAVE) != 0 && (ecx & bit_AVX) != 0;

    if (__get_cpuid_max(0, nullptr) >= 7) {
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        f.sha = (ebx & bit_SHA) != 0;
        f.avx2 = (ebx & bit_AVX2) != 0 && osxsave && os_saves_ymm();
    }
    return f;
}

#else

CpuFeatures detect() {
    return CpuFeatures{};
}

#endif

} // namespace

const CpuFeatures &cpu_features() {
    static const CpuFeatures features = detect();
    return features;
}
