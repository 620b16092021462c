/* tvk32.cpp -- TVK32, four cascaded 8-bit running sums.
 * The portable loop splits the lanes from the running value once, keeps
 * them as bytes for the whole input, and joins them again at the end; each
 * wraps modulo 256 alone. tvk32_update hands longer inputs to a vector
 * backend when the CPU has one (chosen once, on first use).
 */
#include "digest/tvk32.h"

#include "digest/cpu_features.h"
#include "digest/tvk32_backends.h"

uint32_t tvk32_update_portable(uint32_t value, const uint8_t *input, uint32_t length) {
    uint8_t s0 = static_cast<uint8_t>(value);
    uint8_t s1 = static_cast<uint8_t>(value >> 8);
    uint8_t s2 = static_cast<uint8_t>(value >> 16);
    uint8_t s3 = static_cast<uint8_t>(value >> 24);
    for (uint32_t i = 0; i < length; ++i) {
        s0 = static_cast<uint8_t>(s0 + input[i]);
        s1 = static_cast<uint8_t>(s1 + s0);
        s2 = static_cast<uint8_t>(s2 + s1);
        s3 = static_cast<uint8_t>(s3 + s2);
    }
    return static_cast<uint32_t>(s3) << 24 | static_cast<uint32_t>(s2) << 16 |
           static_cast<uint32_t>(s1) << 8 | s0;
}

namespace {

using Tvk32Function = uint32_t (*)(uint32_t, const uint8_t *, uint32_t);

/* Below this length the vector setup costs more than it saves. */
constexpr uint32_t vector_threshold = 64;

Tvk32Function choose_backend() {
#if defined(__i386__) || defined(__x86_64__)
    const CpuFeatures &f = cpu_features();
    if (f.avx2)
        return tvk32_update_avx2;
    if (f.sse2)
        return tvk32_update_sse2;
#endif
    return tvk32_update_portable;
}

} // namespace

uint32_t tvk32_update(uint32_t value, const uint8_t *input, uint32_t length) {
    if (length < vector_threshold)
        return tvk32_update_portable(value, input, length);
    static const Tvk32Function backend = choose_backend();
    return backend(value, input, length);
}
