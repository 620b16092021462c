/* crc32c.cpp -- the portable CRC-32C (Castagnoli) core. */
#include "digest/backends.h"
#include "digest/crc_slice8.h"

namespace {

constexpr CrcSlice8Tables<Crc32cPolynomial> tables;

} // namespace

uint32_t crc32c_portable(uint32_t crc, const uint8_t *input, size_t length) {
    return crc_slice8(tables, crc, input, length);
}
