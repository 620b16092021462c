/* Feeding the digests in pieces: every split gives the one-call result, and
 * lengths around the block size and the file drivers' 4096-byte reads match
 * md5sum, sha1sum, sha256sum and zlib on the same bytes (pattern_bytes; the
 * literals below were produced with those tools). */
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <zlib.h>

#include "digest_hex.h"
#include "each_backend.h"

namespace {

struct PatternCase {
    size_t size;
    const char *md5;
    const char *sha1;
    const char *sha256;
    uint32_t crc;
    uint32_t adler;
};

const PatternCase pattern_cases[] = {
    {1, "8bb6c17838643f9691cc6a4de6c51709", "8dc00598417d4eb788a77ac6ccef3cb484905d8b",
     "e77b9a9ae9e30b0dbdb6f510a264ef9de781501d7b6b92ae89eb059c5ab743db", 0xa2681b02, 0x00060006},
    {55, "044ed7f5b2b80547d9179a9ae0e8cb3c", "bf6dff18fef220099fde97515a8cdb6829714e6b",
     "06347ab40fd1d65e0f7d608fb04516e3c03cc2f8af967347560ee8bd2d4d5596", 0xd48e6641, 0x0d701bcf},
    {56, "f45a8d63324bd7463b87a4cc2958298e", "4b3828ac2b3e4463f9f74c1bd0e90c3f44b9a78a",
     "bcb7e16da77e5a775e46468cf57954ed5bd16738d1a58db0f349c8ec4294c339", 0x9a6457a0, 0x2a251cb5},
    {57, "a808d80359e352bf0bb673651179923c", "8fa76e75c7fc3c70bce42abb7119d84c19ee0d58",
     "f9fe1789177febe876c63a0d97b3712c039323c90b52a5dcee499ec4f68810e5", 0x9747d7af, 0x47671d42},
    {63, "57d6369a0c3e370ede585d6cfaa8abce", "3aa9f02562daec424bc856d679204ba68cf88c02",
     "2e2a4ff74e2135c9f702c0edab733757bc42d988f8ec08daa124c9f21db52a37", 0xc299468c, 0x011b2043},
    {64, "0271002d8921538270daf6892f30f32d", "f5528efb5f0266e8b779ee23163e4d8c450bcfb0",
     "9576b904c4a4e240634df33eb7ea481b6bc468d159e0c0cb21dec1a5f0a82954", 0xccc184a3, 0x217c2061},
    {65, "2d12b43dd3bfa5e0bc3e66f67bc36821", "71ded8e74cac74e4742cf0fd1f25580f7277657c",
     "bda2c808b63c8c8311a584fd63343e7fc570ad4d6172c7d028b6698ff820a593", 0x761fea64, 0x42a22126},
    {119, "b0edeed0bce65f1320b465817003934f", "e860a5be385751ebeeaf09df1bb998d481c66694",
     "ff298ca19ae1cc13d784cc874d54b1eea1a06212d67a561a70967ce074beb6e1", 0xf16729dc, 0x2af53c6f},
    {120, "d9f5fc8fb34ffe338b3cea47fef622fe", "7bc66376416137fb123d5b4f735e67fed5de9644",
     "436287aed4eb9ab2b5a2dbc136f07aaeae0a57959af3b8be74726f5bb2b996b7", 0x62231086, 0x680a3d15},
    {127, "d48264d8d83f551b86c810702b5afd6a", "789d7cd88b283c8e277a0be39639d349f80b696b",
     "9d3ab39f19237615953782daf05c9b77f51e25da134d27a15bd9fbbf0789cfdb", 0x31e9654a, 0x23af40e3},
    {128, "d3a2663ff733d8a08fbcd42e32a96818", "abe44529ef92ea0bd13369d9bea35141ed58365b",
     "4db5d76fe4c9aefda7142721f4c0e2941d93600d33824a2e4ccf3fbec81df7fa", 0x255151b5, 0x657041c1},
    {4095, "4f9a6ef02c1828a1c63b573dc10a2d3e", "7ef725495d746b9063df891be2893a9f81e4e711",
     "60e0658a4faf46f679ed4aca0d68702cc06fdf880ef377ab8208b827886148d6", 0x8ebb115e, 0xc6fffe79},
    {4096, "bc57e7ed5dfafaec8577ac501ad113b3", "e72af7e6b08e2f4129fcc52cb1476e575e831ad1",
     "cb85c9fbe2a933e84eab189d778a6f2370872843001ed52ff2b9d9824722c419", 0x94e5eae5, 0xc678ff6a},
    {4097, "5ad8bedacef07c1d42b5e5824aaf9c7e", "ee0e08b5486c6170c2506abe3252009e432e4a43",
     "d00e2b97ca1b08543ebffbf90e59e17d811bc73fbe031ab67dcce0fb651afc58", 0xa44a4bf7, 0xc696001e},
    {100003, "5c41c8810c2cfb528c00c1211807cb20", "fffa6e61158a93d4b4899e001784f2d806f7008c",
     "4c1bc2b61633d4a450851ab2220666eba9f838756c21eeb746ffbfc4c632ee40", 0x462196c5, 0x836f9d8e},
};

const Digest all_digests[] = {Digest::md5, Digest::sha1, Digest::sha256, Digest::sha512,
                              Digest::sha384};

/* Pieces of 4096 bytes, as the file drivers read. */
std::vector<size_t> file_reads(size_t size) {
    return std::vector<size_t>(size / 4096, 4096);
}

TEST(DigestChaining, PatternMatchesSystemTools) {
    for (const PatternCase &c : pattern_cases) {
        const std::vector<uint8_t> data = pattern_bytes(c.size);
        const uint8_t *p = data.data();
        EXPECT_EQ(digest_hex(Digest::md5, p, c.size), c.md5) << c.size;
        EXPECT_EQ(digest_hex(Digest::sha1, p, c.size), c.sha1) << c.size;
        EXPECT_EQ(digest_hex(Digest::sha256, p, c.size), c.sha256) << c.size;
        EXPECT_EQ(digest_pieces(Digest::md5, p, c.size, file_reads(c.size)), c.md5) << c.size;
        EXPECT_EQ(digest_pieces(Digest::sha1, p, c.size, file_reads(c.size)), c.sha1) << c.size;
        EXPECT_EQ(digest_pieces(Digest::sha256, p, c.size, file_reads(c.size)), c.sha256) << c.size;
        EXPECT_EQ(crc32(0, p, static_cast<uInt>(c.size)), c.crc) << c.size;
        EXPECT_EQ(adler32(1, p, static_cast<uInt>(c.size)), c.adler) << c.size;
    }
}

/* Two pieces at every split point, and three pieces at every pair of split
 * points, of an input that spans three blocks. */
TEST(DigestChaining, EverySplitPointEqualsOneCall) {
    const size_t size = 150;
    const std::vector<uint8_t> data = pattern_bytes(size);
    for (Digest kind : all_digests) {
        const std::string whole = digest_hex(kind, data.data(), size);
        for (size_t i = 0; i <= size; ++i)
            ASSERT_EQ(digest_pieces(kind, data.data(), size, {i}), whole) << i;
        for (size_t i = 0; i <= size; i += 7)
            for (size_t j = 0; i + j <= size; ++j)
                ASSERT_EQ(digest_pieces(kind, data.data(), size, {i, j}), whole) << i << "+" << j;
    }
}

TEST(DigestChaining, OddPiecesOfTheNistMessage) {
    const std::string s = "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijk"
                          "lmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
    const auto *p = reinterpret_cast<const uint8_t *>(s.data());
    const std::vector<size_t> pieces = {1, 62, 1, 34};
    EXPECT_EQ(digest_pieces(Digest::sha256, p, s.size(), pieces),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(digest_pieces(Digest::sha1, p, s.size(), pieces),
              "a49b2446a02c645bf419f995b67091253a04a259");
    EXPECT_EQ(digest_pieces(Digest::md5, p, s.size(), pieces), "03dd8807a93175fb062dfb55dc7d359c");
}

TEST(DigestChaining, RandomPiecesEqualOneCall) {
    std::mt19937 rng(20261208);
    const std::vector<uint8_t> data = pattern_bytes(20000);
    for (int round = 0; round < 30; ++round) {
        const size_t size = std::uniform_int_distribution<size_t>(0, data.size())(rng);
        std::vector<size_t> pieces;
        for (size_t done = 0; done < size;) {
            size_t n = std::uniform_int_distribution<size_t>(0, 300)(rng);
            n = std::min(n, size - done);
            pieces.push_back(n);
            done += n;
        }
        for (Digest kind : all_digests)
            ASSERT_EQ(digest_pieces(kind, data.data(), size, pieces),
                      digest_hex(kind, data.data(), size))
                << size;
    }
}

/* Bytes of a 64-bit linear congruential generator (Knuth's MMIX constants,
 * from 0x243f6a8885a308d3), the top byte of each state: easy to make again
 * outside. */
std::vector<uint8_t> lcg_bytes(size_t n) {
    std::vector<uint8_t> v(n);
    uint64_t x = 0x243f6a8885a308d3;
    for (auto &b : v) {
        x = x * 6364136223846793005u + 1442695040888963407u;
        b = static_cast<uint8_t>(x >> 56);
    }
    return v;
}

/* SHA-512 and SHA-384 of the first 0 to 1000 of those bytes, through every
 * backend: the CRC-32 of the 1001 texts one after another equals that of
 * OpenSSL's texts (Python's hashlib on the same bytes). And two pieces at
 * every split point, of every length up to 300 (two and a half blocks) and
 * of 1000 bytes, give the one-call text. */
TEST(DigestChaining, Sha512OfEveryLengthMatchesOpenSsl) {
    const size_t most = 1000;
    const std::vector<uint8_t> data = lcg_bytes(most);
    const struct {
        Digest kind;
        uint32_t crc_of_texts;
    } cases[] = {{Digest::sha512, 0xf5231706}, {Digest::sha384, 0x027a69ab}};
    for_each_backend([&] {
        for (const auto &c : cases) {
            uLong crc = crc32(0, Z_NULL, 0);
            for (size_t n = 0; n <= most; ++n) {
                const std::string text = digest_hex(c.kind, data.data(), n);
                crc = crc32(crc, reinterpret_cast<const Bytef *>(text.data()),
                            static_cast<uInt>(text.size()));
            }
            EXPECT_EQ(crc, c.crc_of_texts);
        }
        std::vector<size_t> sizes(301);
        for (size_t n = 0; n < sizes.size(); ++n)
            sizes[n] = n;
        sizes.push_back(most);
        for (size_t size : sizes) {
            const std::string whole = digest_hex(Digest::sha512, data.data(), size);
            for (size_t i = 0; i <= size; ++i)
                ASSERT_EQ(digest_pieces(Digest::sha512, data.data(), size, {i}), whole)
                    << size << " split at " << i;
        }
    });
}

/* Zero bytes are data like any other: a string of them is not empty input. */
TEST(DigestChaining, ZeroBytesAreHashed) {
    const uint8_t zeros[3] = {0, 0, 0};
    EXPECT_EQ(digest_hex(Digest::md5, zeros, 3), "693e9af84d3dfcc71e640e005bdc5e2e");
    EXPECT_NE(digest_hex(Digest::sha1, zeros, 3), digest_hex(Digest::sha1, zeros, 0));
    EXPECT_NE(digest_hex(Digest::sha256, zeros, 3), digest_hex(Digest::sha256, zeros, 2));
}

/* The byte count carries from its low word into its high word. */
TEST(DigestChaining, ByteCountCarriesIntoHighWord) {
    Sha256Context ctx;
    sha256_init(&ctx);
    ctx.total[0] = 0xffffffc0u; /* a whole number of blocks, near 4 GiB */
    const std::vector<uint8_t> data = pattern_bytes(100);
    sha256_update(&ctx, data.data(), 100);
    EXPECT_EQ(ctx.total[1], 1u);
    EXPECT_EQ(ctx.total[0], 100u - 64u);
}

} // namespace
