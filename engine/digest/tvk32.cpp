/* tvk32.cpp -- TVK32, four cascaded 8-bit running sums: the portable loop.
 * It splits the lanes from the running value once, keeps them as bytes for
 * the whole input, and joins them again at the end; each wraps modulo 256
 * alone. tvk32_update (dispatch.cpp) hands longer inputs to a vector
 * backend when the CPU has one.
 */
#include "digest/backends.h"

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
