/* Published test vectors: RFC 1321 for MD5, FIPS 180-2 and the NIST example
 * messages for SHA-1 and SHA-256, FIPS 180-4's examples for SHA-512 and
 * SHA-384 (abc, the 896-bit message, a million a), and the values the
 * engine documents for CRC-32 and Adler-32 (computed by zlib). Expected digests not printed in
 * the standards were produced with md5sum, sha1sum and sha256sum on the same
 * bytes (sha512sum and sha384sum for the padding boundaries of their
 * 128-byte blocks) and are written here as literals. The SHA vectors are
 * checked on every backend this CPU has. */
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
    const char *sha1 = nullptr;
    const char *sha256 = nullptr;
    const char *sha512 = nullptr;
    const char *sha384 = nullptr;
};

const std::string nist448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const std::string nist896 = "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijk"
                            "lmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";

const std::vector<Vector> &vectors() {
    static const std::vector<Vector> v = {
        {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709",
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
         "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d28"
         "77eec2f63b931bd47417a81a538327af927da3e",
         "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f14"
         "898b95b"},
        {"a", "0cc175b9c0f1b6a831c399e269772661", nullptr, nullptr},
        {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a"
         "3feebbd454d4423643ce80e2a9ac94fa54ca49f",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca13"
         "4c825a7"},
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
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
         "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07f9aa1d3bea5"
         "7789ca031ad85c7a71dd70354ec631238ca3445",
         "3391fdddfc8dc7393707a65b1b4709397cf8b1d162af05abfe8f450de5f36bc6b0455a8520bc4e6f5fe95b1fe"
         "3c8452b"},
        {nist896, "03dd8807a93175fb062dfb55dc7d359c", "a49b2446a02c645bf419f995b67091253a04a259",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1",
         "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e4900f7e4331b99dec"
         "4b5433ac7d329eeb6dd26545e96e55b874be909",
         "09330c33f71147e83d192fc782cd1b4753111b173b3b05d22fa08086e3b0f712fcc7c71a557e2db966c3e9fa9"
         "1746039"},
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
        /* SHA-512's 128-byte blocks: 111 bytes take one pad byte, 112 a
         * second block, 128 a whole block of padding and length. */
        {std::string(111, 'a'), "089f243d1e831c5879aa375ee364a06e", nullptr, nullptr,
         "fa9121c7b32b9e01733d034cfc78cbf67f926c7ed83e82200ef86818196921760b4beff48404df811b9538282"
         "74461673c68d04e297b0eb7b2b4d60fc6b566a2",
         "3c37955051cb5c3026f94d551d5b5e2ac38d572ae4e07172085fed81f8466b8f90dc23a8ffcdea0b8d8e58e8f"
         "dacc80a"},
        {std::string(112, 'a'), "9146ef3527c7cfcc66dc615c3986e391", nullptr, nullptr,
         "c01d080efd492776a1c43bd23dd99d0a2e626d481e16782e75d54c2503b5dc32bd05f0f1ba33e568b88fd2d97"
         "0929b719ecbb152f58f130a407c8830604b70ca",
         "187d4e07cb306103c69967bf544d0dfbe9042577599c73c330abc0cb64c61236d5ed565ee19119d8c31779a38"
         "f791fcd"},
        {std::string(128, 'a'), "e510683b3f5ffe4093d021808bc6ff70", nullptr, nullptr,
         "b73d1929aa615934e61a871596b3f3b33359f42b8175602e89f7e06e5f658a243667807ed300314b95cacdd57"
         "9f3e33abdfbe351909519a846d465c59582f321",
         "edb12730a366098b3b2beac75a3bef1b0969b15c48e2163c23d96994f8d1bef760c7e27f3c464d3829f56c0d5"
         "3808b0b"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21",
         "34aa973cd4c4daa4f61eeb2bdbad27316534016f",
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
         "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432ce"
         "577c31beb009c5c2c49aa2e4eadb217ad8cc09b",
         "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd87"
         "f3d8985"},
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

TEST(DigestVectors, Sha512AndSha384) {
    for_each_backend([] {
        for (const Vector &v : vectors()) {
            if (v.sha512) {
                EXPECT_EQ(digest_hex(Digest::sha512, v.input), v.sha512) << label(v.input);
                EXPECT_EQ(digest_hex(Digest::sha384, v.input), v.sha384) << label(v.input);
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
