/* Published test vectors: RFC 1321 for MD5, FIPS 180-2 and the NIST example
 * messages for SHA-1 and SHA-256, and the values the engine documents for
 * CRC-32 and Adler-32 (computed by zlib). Expected digests not printed in
 * the standards were produced with md5sum, sha1sum and sha256sum on the same
 * bytes and are written here as literals. The SHA vectors are checked on
 * every backend this CPU has. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "digest_hex.h"
#include "each_backend.h"

namespace {

struct Vector {
    std::string input;
    const char *md5;
    const char *sha1;
    const char *sha256;
};

const std::string nist448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const std::string nist896 = "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijk"
                            "lmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

const std::vector<Vector> &vectors() {
    static const std::vector<Vector> v = {
        {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"a", "0cc175b9c0f1b6a831c399e269772661", nullptr, nullptr},
        {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0", nullptr, nullptr},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b",
         "32d10c7b8cf96570ca04ce37f2a19d84240d3a89",
         "71c480df93d6ae2f1efad1447c66c9525e316218cf51fc8d9ed832f2daf18b73"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f", "761c457bf73b14d27e9e9265c46f4b4dda11f940",
         "db4bfcbd4da0cd85a60c3c37d3fbd8805c77f15fc6b1fdfe614ee0a7c8fdb4c0"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a", "50abf5706a150990a08b2c5ea40fa0e585554732",
         "f371bc4a311f2b009eef952dd83ca80e2b60026c8e935592d0f9c308453c813e"},
        {nist448, "8215ef0796a20bcaaae116d3876c664a", "84983e441c3bd26ebaae4aa1f95129e5e54670f1",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {nist896, "03dd8807a93175fb062dfb55dc7d359c", "a49b2446a02c645bf419f995b67091253a04a259",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6",
         "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12",
         "d7a8fbb307d7809469ca9abcb0082e4f8d5651e46d3cdb762d02d0bf37c9e592"},
        {"123456789", "25f9e794323b453885f5181f1b624d0b",
         "f7c3bc1d808e04732adf679965ccc34ca7ae3441",
         "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225"},
        /* Padding boundaries: 55 bytes take one pad byte, 56 a second block,
         * 64 a whole block of padding and length. */
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65",
         "c1c8bbdc22796e28c0e15163d20899b65621d65a",
         "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218",
         "c2db330f6083854c99d4b5bfb6e8f29f201be699",
         "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367",
         "0098ba824b5c16427bd7a1122a5a442a25ec644d",
         "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21",
         "34aa973cd4c4daa4f61eeb2bdbad27316534016f",
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    return v;
}

std::string label(const std::string &s) {
    return s.size() <= 20 ? '"' + s + '"' : std::to_string(s.size()) + " bytes";
}

TEST(DigestVectors, Md5) {
    for (const Vector &v : vectors())
        EXPECT_EQ(digest_hex(Digest::md5, v.input), v.md5) << label(v.input);
}

TEST(DigestVectors, Sha1) {
    for_each_backend([] {
        for (const Vector &v : vectors()) {
            if (v.sha1) {
                EXPECT_EQ(digest_hex(Digest::sha1, v.input), v.sha1) << label(v.input);
            }
        }
    });
}

TEST(DigestVectors, Sha256) {
    for_each_backend([] {
        for (const Vector &v : vectors()) {
            if (v.sha256) {
                EXPECT_EQ(digest_hex(Digest::sha256, v.input), v.sha256) << label(v.input);
            }
        }
    });
}

/* CRC-32 and Adler-32 are zlib's; these pin its start values and chaining
 * convention as the engine uses them (CRC from 0, Adler-32 from 1). */
TEST(DigestVectors, ZlibChecksums) {
    struct Case {
        const char *input;
        uint32_t crc;
        uint32_t adler;
    };
    const Case cases[] = {{"", 0x00000000, 0x00000001},
                          {"a", 0xe8b7be43, 0x00620062},
                          {"abc", 0x352441c2, 0x024d0127},
                          {"123456789", 0xcbf43926, 0x091e01de},
                          {"message digest", 0x20159d7f, 0x29750586}};
    for (const Case &c : cases) {
        const auto *p = reinterpret_cast<const Bytef *>(c.input);
        const auto n = static_cast<uInt>(std::string(c.input).size());
        EXPECT_EQ(crc32(0, p, n), c.crc) << c.input;
        EXPECT_EQ(adler32(1, p, n), c.adler) << c.input;
        EXPECT_EQ(crc32(crc32(0, p, n / 2), p + n / 2, n - n / 2), c.crc) << c.input;
        EXPECT_EQ(adler32(adler32(1, p, n / 2), p + n / 2, n - n / 2), c.adler) << c.input;
    }
    EXPECT_EQ(adler32(0, Z_NULL, 0), 1u);
}

} // namespace
