/* checksum_text.h -- results as checksum text: lower-case hexadecimal digits
 * followed by a zero byte.
 *   hex32_text   a 32-bit value as printf "%0.8x" prints it: 8 digits, most
 *                significant first, leading zeros kept (CRC-32, Adler-32,
 *                TVK32).
 *   digest_text  a digest byte by byte in order, each as "%02x": 2n digits
 *                (MD5 32, SHA-1 40, SHA-256 64).
 *   md532_text   MD5_32: the first 8 digits of the MD5 text of a digest,
 *                that is digest bytes 0 to 3.
 * The caller supplies room for the digits and the zero.
 */
#ifndef TVK_DIGEST_CHECKSUM_TEXT_H
#define TVK_DIGEST_CHECKSUM_TEXT_H

#include <cstdint>

constexpr int HEX32_TEXT_SIZE = 9; /* 8 digits and the zero */
constexpr int MD532_TEXT_SIZE = 9; /* 8 digits and the zero */
constexpr int MD532_DIGITS = 8;

void hex32_text(uint32_t value, char out[HEX32_TEXT_SIZE]);
void digest_text(const uint8_t *digest, int n, char *out);
void md532_text(const uint8_t *md5_digest, char out[MD532_TEXT_SIZE]);

#endif
