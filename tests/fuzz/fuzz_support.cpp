/* fuzz_support.cpp -- failing, reference texts and guarded buffers. */
#include "fuzz_support.h"

#include "digest/backends.h"
#include "digest/blake3.h"
#include "digest/checksum_text.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"
#include "digest/sha512.h"
#include "digest/xxh3.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <zlib.h>

void fuzz_fail(const char *format, ...) {
    std::fflush(stdout);
    std::fputs("FUZZ CHECK FAILED: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

namespace {

/* Calls feed(pointer, length) over the bytes in pieces of at most piece. */
template <typename Feed>
void in_pieces(const uint8_t *bytes, size_t count, size_t piece, Feed feed) {
    if (piece == 0)
        piece = count;
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(piece, count - done);
        feed(bytes + done, static_cast<uint32_t>(n));
        done += n;
    }
}

std::string hex32(uint32_t value) {
    char text[HEX32_TEXT_SIZE];
    hex32_text(value, text);
    return text;
}

template <typename Context, int Size, typename Init, typename Update, typename Final>
std::string digest(const uint8_t *bytes, size_t count, size_t piece, Init init, Update update,
                   Final final) {
    Context ctx;
    init(&ctx);
    in_pieces(bytes, count, piece, [&](const uint8_t *p, uint32_t n) { update(&ctx, p, n); });
    uint8_t out[Size];
    final(&ctx, out);
    char text[2 * Size + 1];
    digest_text(out, Size, text);
    return text;
}

} // namespace

std::string reference_text(FuzzAlgo algo, const uint8_t *bytes, size_t count, size_t piece) {
    switch (algo) {
    case FuzzAlgo::Crc32: {
        uLong value = crc32(0, nullptr, 0);
        in_pieces(bytes, count, piece,
                  [&](const uint8_t *p, uint32_t n) { value = crc32(value, p, n); });
        return hex32(static_cast<uint32_t>(value));
    }
    case FuzzAlgo::Adler32: {
        uLong value = adler32(0, nullptr, 0);
        in_pieces(bytes, count, piece,
                  [&](const uint8_t *p, uint32_t n) { value = adler32(value, p, n); });
        return hex32(static_cast<uint32_t>(value));
    }
    case FuzzAlgo::Tvk32: {
        uint32_t value = 0;
        in_pieces(bytes, count, piece, [&](const uint8_t *p, uint32_t n) {
            value = tvk32_update_portable(value, p, n);
        });
        return hex32(value);
    }
    case FuzzAlgo::Md5:
        return digest<Md5Context, MD5_DIGEST_SIZE>(bytes, count, piece, md5_init, md5_update,
                                                   md5_final);
    case FuzzAlgo::Md5_32:
        return reference_text(FuzzAlgo::Md5, bytes, count, piece).substr(0, MD532_DIGITS);
    case FuzzAlgo::Sha1:
        return digest<Sha1Context, SHA1_DIGEST_SIZE>(bytes, count, piece, sha1_init, sha1_update,
                                                     sha1_final);
    case FuzzAlgo::Sha256:
        return digest<Sha256Context, SHA256_DIGEST_SIZE>(bytes, count, piece, sha256_init,
                                                         sha256_update, sha256_final);
    case FuzzAlgo::Sha512:
        return digest<Sha512Context, SHA512_DIGEST_SIZE>(bytes, count, piece, sha512_init,
                                                         sha512_update, sha512_final);
    case FuzzAlgo::Sha384:
        return digest<Sha512Context, SHA384_DIGEST_SIZE>(bytes, count, piece, sha384_init,
                                                         sha512_update, sha384_final);
    case FuzzAlgo::Blake3:
        return digest<Blake3Context, BLAKE3_DIGEST_SIZE>(bytes, count, piece, blake3_init,
                                                         blake3_update, blake3_final);
    case FuzzAlgo::Xxh3:
        return digest<Xxh3Context, XXH3_DIGEST_SIZE>(bytes, count, piece, xxh3_init,
                                                     xxh3_update_portable, xxh3_final);
    case FuzzAlgo::Xxh128:
        return digest<Xxh3Context, XXH128_DIGEST_SIZE>(bytes, count, piece, xxh3_init,
                                                       xxh3_update_portable, xxh128_final);
    case FuzzAlgo::Crc32c: {
        uint32_t value = 0;
        in_pieces(bytes, count, piece,
                  [&](const uint8_t *p, uint32_t n) { value = crc32c_portable(value, p, n); });
        return hex32(value);
    }
    case FuzzAlgo::Crc64nvme: {
        uint64_t value = 0;
        in_pieces(bytes, count, piece,
                  [&](const uint8_t *p, uint32_t n) { value = crc64nvme_portable(value, p, n); });
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
        return text;
    }
    }
    fuzz_fail("unknown algorithm %d", static_cast<int>(algo));
}

GuardedBuffer::GuardedBuffer(size_t size) : bytes_(new char[size]), size_(size) {
    std::memset(bytes_.get(), GUARD, size);
}

bool GuardedBuffer::holds(const std::string &written) const {
    if (written.size() > size_ || std::memcmp(bytes_.get(), written.data(), written.size()) != 0)
        return false;
    for (size_t i = written.size(); i < size_; ++i)
        if (static_cast<uint8_t>(bytes_[i]) != GUARD)
            return false;
    return true;
}

std::string GuardedBuffer::shown() const {
    std::string out;
    for (size_t i = 0; i < size_ && static_cast<uint8_t>(bytes_[i]) != GUARD; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes_[i]);
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

std::unique_ptr<uint8_t[]> exact_copy(const void *text, size_t count) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[count]);
    if (count > 0)
        std::memcpy(copy.get(), text, count);
    return copy;
}
