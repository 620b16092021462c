/* checksum_text.cpp -- hexadecimal checksum text, written digit by digit
 * (the same text as printf's "%0.8x" and "%02x", without its cost). */
#include "digest/checksum_text.h"

namespace {
constexpr char hex_digits[] = "0123456789abcdef";
}

void hex32_text(uint32_t value, char out[HEX32_TEXT_SIZE]) {
    for (int i = 7; i >= 0; --i) {
        out[i] = hex_digits[value & 0xf];
        value >>= 4;
    }
    out[8] = '\0';
}

void digest_text(const uint8_t *digest, int n, char *out) {
    for (int i = 0; i < n; ++i) {
        out[2 * i] = hex_digits[digest[i] >> 4];
        out[2 * i + 1] = hex_digits[digest[i] & 0xf];
    }
    out[2 * n] = '\0';
}

void md532_text(const uint8_t *md5_digest, char out[MD532_TEXT_SIZE]) {
    digest_text(md5_digest, MD532_DIGITS / 2, out);
}
