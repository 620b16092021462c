/* byte_order.h -- 32- and 64-bit words to and from bytes, independent of the host's
 * byte order, and the rotation the digests use. Compilers turn these into
 * single loads, stores and rotates where the host allows it.
 */
#ifndef TVK_DIGEST_BYTE_ORDER_H
#define TVK_DIGEST_BYTE_ORDER_H

#include <cstdint>

inline uint32_t load_le32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t load_le64(const uint8_t *p) {
    return static_cast<uint64_t>(load_le32(p + 4)) << 32 | load_le32(p);
}

inline uint32_t load_be32(const uint8_t *p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline void store_le32(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline void store_be32(uint8_t *p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

inline uint64_t load_be64(const uint8_t *p) {
    return static_cast<uint64_t>(load_be32(p)) << 32 | load_be32(p + 4);
}

inline void store_be64(uint8_t *p, uint64_t v) {
    store_be32(p, static_cast<uint32_t>(v >> 32));
    store_be32(p + 4, static_cast<uint32_t>(v));
}

inline uint64_t rotr64(uint64_t v, int n) {
    return v >> n | v << (64 - n);
}

inline uint32_t rotl32(uint32_t v, int n) {
    return v << n | v >> (32 - n);
}
inline uint32_t rotr32(uint32_t v, int n) {
    return v >> n | v << (32 - n);
}

#endif
