/* BLAKE3 on the inputs of its published test vectors (byte i is i mod 251),
 * against b3sum's output on the same bytes, on every backend this CPU has:
 * fed whole and in pieces of many sizes, and as subtrees pushed beside
 * pieces fed whole. And blake3_hash_many on each backend against the
 * portable one where no input of a test vector's size reaches: chunk
 * numbers of 2^32 and beyond, in the middle of a group of lanes. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "digest/backends.h"
#include "digest/blake3.h"
#include "digest/checksum_text.h"
#include "each_backend.h"

namespace {

struct Vector {
    size_t length;
    const char *hash;
};

const Vector vectors[] = {
    {0, "af1349b9f5f9a1a6a0404dea36dcc9499bcb25c9adc112b7cc9a93cae41f3262"},
    {1, "2d3adedff11b61f14c886e35afa036736dcd87a74d27b5c1510225d0f592e213"},
    {1023, "10108970eeda3eb932baac1428c7a2163b0e924c9a9e25b35bba72b28f70bd11"},
    {1024, "42214739f095a406f3fc83deb889744ac00df831c10daa55189b5d121c855af7"},
    {1025, "d00278ae47eb27b34faecf67b4fe263f82d5412916c1ffd97c8cb7fb814b8444"},
    {2048, "e776b6028c7cd22a4d0ba182a8bf62205d2ef576467e838ed6f2529b85fba24a"},
    {2049, "5f4d72f40d7a5f82b15ca2b2e44b1de3c2ef86c426c95c1af0b6879522563030"},
    {3072, "b98cb0ff3623be03326b373de6b9095218513e64f1ee2edd2525c7ad1e5cffd2"},
    {3073, "7124b49501012f81cc7f11ca069ec9226cecb8a2c850cfe644e327d22d3e1cd3"},
    {4096, "015094013f57a5277b59d8475c0501042c0b642e531b0a1c8f58d2163229e969"},
    {4097, "9b4052b38f1c5fc8b1f9ff7ac7b27cd242487b3d890d15c96a1c25b8aa0fb995"},
    {5120, "9cadc15fed8b5d854562b26a9536d9707cadeda9b143978f319ab34230535833"},
    {5121, "628bd2cb2004694adaab7bbd778a25df25c47b9d4155a55f8fbd79f2fe154cff"},
    {6144, "3e2e5b74e048f3add6d21faab3f83aa44d3b2278afb83b80b3c35164ebeca205"},
    {6145, "f1323a8631446cc50536a9f705ee5cb619424d46887f3c376c695b70e0f0507f"},
    {7168, "61da957ec2499a95d6b8023e2b0e604ec7f6b50e80a9678b89d2628e99ada77a"},
    {7169, "a003fc7a51754a9b3c7fae0367ab3d782dccf28855a03d435f8cfe74605e7817"},
    {8192, "aae792484c8efe4f19e2ca7d371d8c467ffb10748d8a5a1ae579948f718a2a63"},
    {8193, "bab6c09cb8ce8cf459261398d2e7aef35700bf488116ceb94a36d0f5f1b7bc3b"},
    {16384, "f875d6646de28985646f34ee13be9a576fd515f76b5b0a26bb324735041ddde4"},
    {31744, "62b6960e1a44bcc1eb1a611a8d6235b6b4b78f32e7abc4fb4c6cdcce94895c47"},
    {102400, "bc3e3d41a1146b069abffad3c0d44860cf664390afce4d9661f7902e7943e085"},
    {1048577, "2f053cd7472cf0cd2f9adaf45c1180255b91b9a865404a63671a0ee5f792ed33"},
};

/* Larger inputs, for subtrees of up to a mebibyte beside a tail or none. */
const Vector trees[] = {
    {4194304, "4e94e6f582581a0f3855f3ce504b153e951e65036fe9e2f010b7e25473c54f98"},
    {4197304, "33d9606d86ec3cbec11d1c5133d0993858fddef11c7c9c8fc6ff09cedec29b5c"},
};

std::vector<uint8_t> input_bytes(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i % 251);
    return v;
}

std::string hex(Blake3Context *ctx) {
    uint8_t out[BLAKE3_DIGEST_SIZE];
    blake3_final(ctx, out);
    char text[2 * BLAKE3_DIGEST_SIZE + 1];
    digest_text(out, BLAKE3_DIGEST_SIZE, text);
    return text;
}

/* Fed in pieces of `piece` bytes (0: whole). */
std::string hash_pieces(const std::vector<uint8_t> &data, size_t piece) {
    Blake3Context ctx;
    blake3_init(&ctx);
    const size_t step = piece == 0 ? data.size() : piece;
    for (size_t at = 0; at < data.size(); at += step)
        blake3_update(&ctx, data.data() + at,
                      static_cast<uint32_t>(std::min(step, data.size() - at)));
    return hex(&ctx);
}

TEST(Blake3, VectorsWholeAndInPieces) {
    const size_t pieces[] = {0, 1, 63, 64, 65, 1023, 1024, 1025, 3073, 8193, 65536};
    for_each_backend([&] {
        for (const Vector &v : vectors) {
            const std::vector<uint8_t> data = input_bytes(v.length);
            for (size_t piece : pieces) {
                if (piece < 64 && v.length > 102400)
                    continue; // a million calls prove nothing more
                EXPECT_EQ(hash_pieces(data, piece), v.hash)
                    << v.length << " bytes in pieces of " << piece;
            }
        }
    });
}

/* Aligned pieces of `piece` bytes pushed as subtrees, except the first
 * `fed` of them and the tail, which go through blake3_update; when the
 * pieces cover the input, all are pushed (there are several). */
TEST(Blake3, SubtreesBesideUpdates) {
    const size_t pieces[] = {1024, 2048, 65536, 1048576};
    for_each_backend([&] {
        for (const Vector &v : trees) {
            const std::vector<uint8_t> data = input_bytes(v.length);
            for (size_t piece : pieces) {
                for (size_t fed : {0, 1}) {
                    Blake3Context ctx;
                    blake3_init(&ctx);
                    size_t at = 0;
                    for (; at + piece <= data.size(); at += piece) {
                        if (at < fed * piece) {
                            blake3_update(&ctx, data.data() + at, static_cast<uint32_t>(piece));
                            continue;
                        }
                        uint8_t cv[32];
                        blake3_subtree_cv(data.data() + at, piece, at / 1024, cv);
                        blake3_push_subtree(&ctx, cv, piece / 1024);
                    }
                    blake3_update(&ctx, data.data() + at, static_cast<uint32_t>(data.size() - at));
                    EXPECT_EQ(hex(&ctx), v.hash)
                        << v.length << " bytes, subtrees of " << piece << " after " << fed;
                }
            }
        }
    });
}

TEST(Blake3, HashManyOnEveryBackend) {
    const std::vector<uint8_t> data = input_bytes(40 * 1024);
    const uint64_t firsts[] = {0, 7, (uint64_t{1} << 32) - 5, (uint64_t{1} << 40) + 3};
    for_each_backend([&] {
        for (bool parents : {false, true})
            for (uint64_t first : firsts)
                for (size_t n = 1; n <= (parents ? 640u : 40u); n += parents ? 37 : 1) {
                    std::vector<uint8_t> got(32 * n), want(32 * n);
                    blake3_hash_many(data.data(), n, first, parents, got.data());
                    blake3_hash_many_portable(data.data(), n, first, parents, want.data());
                    EXPECT_EQ(got, want) << n << (parents ? " parents" : " chunks from ") << first;
                }
    });
}

} // namespace
