/* string_drivers.cpp -- checksum of a byte string in one core call, on the
 * caller's thread, with storage of the call only. */
#include "digest_cores.h"
#include "drivers.h"
#include "output_text.h"

namespace {

template <class Core> void digest_string(const uint8_t *input, char *output, uint32_t count) {
    Core core;
    if (count > 0) {
        core.update(input, count);
    }
    char text[Core::TEXT_SIZE];
    core.text(text);
    put_text(output, text);
}

} // namespace

void digest_string_crc32(const uint8_t *input, char *output, uint32_t count) {
    digest_string<Crc32Core>(input, output, count);
}

void digest_string_adler32(const uint8_t *input, char *output, uint32_t count) {
    digest_string<Adler32Core>(input, output, count);
}

void digest_string_tvk32(const uint8_t *input, char *output, uint32_t count) {
    digest_string<Tvk32Core>(input, output, count);
}

void digest_string_md5(const uint8_t *input, char *output, uint32_t count) {
    digest_string<Md5Core>(input, output, count);
}

void digest_string_md532(const uint8_t *input, char *output, uint32_t count) {
    Md5Core core;
    if (count > 0) {
        core.update(input, count);
    }
    char text[Md5Core::TEXT_SIZE];
    core.text(text);
    put_md532_text(output, text, MD532_STRING_OUTPUT_SIZE);
}

void digest_string_sha1(const uint8_t *input, char *output, uint32_t count) {
    digest_string<Sha1Core>(input, output, count);
}

void digest_string_sha256(const uint8_t *input, char *output, uint32_t count) {
    digest_string<Sha256Core>(input, output, count);
}
