/* cpu_features.h -- the instruction set extensions the accelerated digest
 * backends need, read from cpuid once per process. On other architectures
 * every answer is false and the portable cores run.
 */
#ifndef TVK_DIGEST_CPU_FEATURES_H
#define TVK_DIGEST_CPU_FEATURES_H

struct CpuFeatures {
    bool sse2;
    bool ssse3;
    bool sse41;
    bool avx2; /* the CPU has it and the system saves the YMM registers */
    bool sha;  /* SHA-1 and SHA-256 instructions (SHA-NI) */
};

const CpuFeatures &cpu_features();

/* SHA-NI with the SSSE3 and SSE4.1 shuffles its backends use. */
inline bool cpu_has_sha_ni() {
    const CpuFeatures &f = cpu_features();
    return f.sha && f.ssse3 && f.sse41;
}

#endif
