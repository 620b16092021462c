/* crc64nvme.cpp -- the portable CRC-64/NVME core. */
#include "digest/backends.h"
#include "digest/crc_slice8.h"

namespace {

constexpr CrcSlice8Tables<Crc64NvmePolynomial> tables;

} // namespace

uint64_t crc64nvme_portable(uint64_t crc, const uint8_t *input, size_t length) {
    return crc_slice8(tables, crc, input, length);
}
