/* reference_sums.cpp -- reference checksum texts for the engine tests. */
#include "reference_sums.h"

#include "digest/backends.h"
#include "digest/digest_update.h"
#include "digest/md5.h"
#include "digest/sha1.h"
#include "digest/sha256.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

namespace {

struct Words {
    const char *string_word;
    const char *file_word;
};

const Words words[SELECTOR_COUNT] = {
    {"adler32string", "adler32file"}, {"crc32string", "crc32file"}, {"sha256string", "sha256file"},
    {"sha1string", "sha1file"},       {"md5string", "md5file"},     {"md532string", "md532file"},
    {"tvk32string", "tvk32file"},
};

std::string hex32(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string hex_bytes(const uint8_t *bytes, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

/* A running checksum of one selector: fed piece by piece, its text can be
 * read at any point without ending it. */
class RunningSum {
  public:
    explicit RunningSum(int selector) : selector_(selector) {
        adler_ = static_cast<uint32_t>(adler32(0, nullptr, 0));
        crc_ = static_cast<uint32_t>(crc32(0, nullptr, 0));
        md5_init(&md5_);
        sha1_init(&sha1_);
        sha256_init(&sha256_);
    }

    void update(const uint8_t *bytes, size_t count) {
        const auto n = static_cast<uint32_t>(count);
        switch (selector_) {
        case 1:
            adler_ = static_cast<uint32_t>(adler32(adler_, bytes, n));
            break;
        case 2:
            crc_ = static_cast<uint32_t>(crc32(crc_, bytes, n));
            break;
        case 3:
            digest_update(&sha256_, bytes, n, sha256_block_portable);
            break;
        case 4:
            digest_update(&sha1_, bytes, n, sha1_block_portable);
            break;
        case 5:
        case 6:
            md5_update(&md5_, bytes, n);
            break;
        default:
            tvk32_ = tvk32_update_portable(tvk32_, bytes, n);
            break;
        }
    }

    std::string text() const {
        switch (selector_) {
        case 1:
            return hex32(adler_);
        case 2:
            return hex32(crc_);
        case 3: {
            Sha256Context ctx = sha256_;
            uint8_t digest[SHA256_DIGEST_SIZE];
            sha256_final(&ctx, digest);
            return hex_bytes(digest, sizeof digest);
        }
        case 4: {
            Sha1Context ctx = sha1_;
            uint8_t digest[SHA1_DIGEST_SIZE];
            sha1_final(&ctx, digest);
            return hex_bytes(digest, sizeof digest);
        }
        case 5:
        case 6: {
            Md5Context ctx = md5_;
            uint8_t digest[MD5_DIGEST_SIZE];
            md5_final(&ctx, digest);
            // MD5_32 is the first four digest bytes.
            return hex_bytes(digest, selector_ == 5 ? sizeof digest : 4);
        }
        default:
            return hex32(tvk32_);
        }
    }

  private:
    int selector_;
    uint32_t adler_ = 0;
    uint32_t crc_ = 0;
    uint32_t tvk32_ = 0;
    Md5Context md5_;
    Sha1Context sha1_;
    Sha256Context sha256_;
};

} // namespace

const char *string_word_of(int selector) {
    return words[selector - 1].string_word;
}

const char *file_word_of(int selector) {
    return words[selector - 1].file_word;
}

std::string reference_sum(int selector, const uint8_t *bytes, size_t count) {
    RunningSum sum(selector);
    sum.update(bytes, count);
    return sum.text();
}

std::vector<std::string> block_prefix_sums(int selector, const std::vector<uint8_t> &bytes,
                                           size_t block) {
    RunningSum sum(selector);
    std::vector<std::string> texts{sum.text()};
    for (size_t done = 0; done < bytes.size();) {
        const size_t n = std::min(block, bytes.size() - done);
        sum.update(bytes.data() + done, n);
        done += n;
        texts.push_back(sum.text());
    }
    return texts;
}
