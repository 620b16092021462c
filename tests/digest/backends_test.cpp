/* Every accelerated backend against its portable twin: random data, random
 * lengths, random misalignment, fed in random pieces, both called directly
 * and forced through the dispatched function. A backend whose instructions
 * this CPU lacks is skipped. */
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <type_traits>
#include <vector>

#include "digest/backends.h"
#include "digest/digest_update.h"
#include "digest/dispatch.h"
#include "digest/sha1.h"
#include "digest/sha256.h"
#include "digest/sha512.h"
#include "digest/tvk32.h"

namespace {

/* Skips a test whose backend this CPU cannot run. On 32-bit Windows a
 * GoogleTest skip (like any reported failure) brings the process down under
 * the qemu-user Wine the tests run in, so there the test returns with a
 * note on standard output instead. */
#if defined(_WIN32) && defined(__i386__)
#define SKIP_WITHOUT(feature, why)                                                                 \
    if (!(feature)) {                                                                              \
        std::printf("[  SKIPPED ] %s\n", why);                                                     \
        return;                                                                                    \
    }
#else
#define SKIP_WITHOUT(feature, why)                                                                 \
    if (!(feature))                                                                                \
    GTEST_SKIP() << why
#endif

/* Forces a backend for the life of one test. */
class ForcedBackend {
  public:
    explicit ForcedBackend(Backend backend) { tvk_force_backend(backend); }
    ~ForcedBackend() { tvk_force_backend(Backend::Automatic); }
    ForcedBackend(const ForcedBackend &) = delete;
    ForcedBackend &operator=(const ForcedBackend &) = delete;
};

std::vector<uint8_t> random_bytes(std::mt19937 &rng, size_t n) {
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = static_cast<uint8_t>(rng());
    return v;
}

/* Splits [0, size) into random pieces of up to max_piece bytes. */
std::vector<size_t> random_pieces(std::mt19937 &rng, size_t size, size_t max_piece) {
    std::vector<size_t> pieces;
    for (size_t done = 0; done < size;) {
        size_t n = std::uniform_int_distribution<size_t>(0, max_piece)(rng);
        n = std::min(n, size - done);
        pieces.push_back(n);
        done += n;
    }
    return pieces;
}

/* The block functions themselves, on random chaining values and n blocks at
 * a random offset. */
template <int Words, typename Fn> void compare_blocks(Fn accelerated, Fn portable, unsigned seed) {
    std::mt19937 rng(seed);
    const std::vector<uint8_t> data = random_bytes(rng, 64 * 40 + 16);
    for (int round = 0; round < 200; ++round) {
        uint32_t a[Words], b[Words];
        for (int i = 0; i < Words; ++i)
            a[i] = b[i] = static_cast<uint32_t>(rng());
        const size_t offset = rng() % 16;
        const size_t blocks = 1 + rng() % 40;
        accelerated(a, data.data() + offset, blocks);
        portable(b, data.data() + offset, blocks);
        for (int i = 0; i < Words; ++i)
            ASSERT_EQ(a[i], b[i]) << "word " << i << ", " << blocks << " blocks at +" << offset;
    }
}

/* Whole digests through the shared update and final logic with each block
 * function, fed in random pieces. */
template <typename Context, typename Fn>
auto chained_state(Context ctx, Fn block, const uint8_t *data, const std::vector<size_t> &pieces) {
    size_t done = 0;
    for (size_t n : pieces) {
        digest_update_blocks<sizeof ctx.buffer>(&ctx, data + done, static_cast<uint32_t>(n), block);
        done += n;
    }
    using Word = std::remove_reference_t<decltype(ctx.state[0])>;
    return std::vector<Word>(std::begin(ctx.state), std::end(ctx.state));
}

#if TVK_X86

TEST(DigestBackends, Sha1ShaNiMatchesPortable) {
    SKIP_WITHOUT(tvk_cpu_has(Backend::ShaNi), "no SHA-NI on this CPU");
    const ForcedBackend forced(Backend::ShaNi);
    compare_blocks<5>(sha1_block_shani, sha1_block_portable, 1);
    compare_blocks<5>(sha1_block, sha1_block_portable, 7);

    std::mt19937 rng(2);
    for (int round = 0; round < 20; ++round) {
        const std::vector<uint8_t> data = random_bytes(rng, rng() % 20000);
        const std::vector<size_t> pieces = random_pieces(rng, data.size(), 5000);
        Sha1Context ctx;
        sha1_init(&ctx);
        EXPECT_EQ(chained_state(ctx, sha1_block_shani, data.data(), pieces),
                  chained_state(ctx, sha1_block_portable, data.data(), pieces));
        EXPECT_EQ(chained_state(ctx, sha1_block, data.data(), pieces),
                  chained_state(ctx, sha1_block_portable, data.data(), pieces));
    }
}

TEST(DigestBackends, Sha256ShaNiMatchesPortable) {
    SKIP_WITHOUT(tvk_cpu_has(Backend::ShaNi), "no SHA-NI on this CPU");
    const ForcedBackend forced(Backend::ShaNi);
    compare_blocks<8>(sha256_block_shani, sha256_block_portable, 3);
    compare_blocks<8>(sha256_block, sha256_block_portable, 8);

    std::mt19937 rng(4);
    for (int round = 0; round < 20; ++round) {
        const std::vector<uint8_t> data = random_bytes(rng, rng() % 20000);
        const std::vector<size_t> pieces = random_pieces(rng, data.size(), 5000);
        Sha256Context ctx;
        sha256_init(&ctx);
        EXPECT_EQ(chained_state(ctx, sha256_block_shani, data.data(), pieces),
                  chained_state(ctx, sha256_block_portable, data.data(), pieces));
        EXPECT_EQ(chained_state(ctx, sha256_block, data.data(), pieces),
                  chained_state(ctx, sha256_block_portable, data.data(), pieces));
    }
}

/* A SHA-512 backend against the portable core: the block function on
 * random chaining values and 1 to 40 blocks (whole groups of lanes and
 * every remainder) at random offsets, and whole digests fed in random
 * pieces through the dispatched function. */
void compare_sha512(Backend backend, void (*block)(uint64_t *, const uint8_t *, size_t),
                    unsigned seed) {
    std::mt19937 rng(seed);
    const std::vector<uint8_t> data = random_bytes(rng, SHA512_BLOCK_SIZE * 40 + 16);
    for (int round = 0; round < 200; ++round) {
        uint64_t a[8], b[8];
        for (int i = 0; i < 8; ++i)
            a[i] = b[i] = static_cast<uint64_t>(rng()) << 32 | rng();
        const size_t offset = rng() % 16;
        const size_t blocks = 1 + round % 40;
        block(a, data.data() + offset, blocks);
        sha512_block_portable(b, data.data() + offset, blocks);
        for (int i = 0; i < 8; ++i)
            ASSERT_EQ(a[i], b[i]) << "word " << i << ", " << blocks << " blocks at +" << offset;
    }
    for (int round = 0; round < 20; ++round) {
        const std::vector<uint8_t> input = random_bytes(rng, rng() % 40000);
        const std::vector<size_t> pieces = random_pieces(rng, input.size(), 9000);
        Sha512Context ctx;
        sha512_init(&ctx);
        tvk_force_backend(Backend::Portable);
        const auto expected = chained_state(ctx, sha512_block, input.data(), pieces);
        tvk_force_backend(backend);
        EXPECT_EQ(chained_state(ctx, sha512_block, input.data(), pieces), expected);
    }
    tvk_force_backend(Backend::Automatic);
}

TEST(DigestBackends, Sha512Avx2BmiMatchesPortable) {
    SKIP_WITHOUT(tvk_cpu_has(Backend::Avx2Bmi), "no AVX2 with BMI on this CPU");
    compare_sha512(Backend::Avx2Bmi, sha512_block_avx2bmi, 11);
}

TEST(DigestBackends, Sha512Avx512MatchesPortable) {
    SKIP_WITHOUT(tvk_cpu_has(Backend::Avx512), "no AVX-512VL with BMI on this CPU");
    compare_sha512(Backend::Avx512, sha512_block_avx512, 12);
}

void compare_tvk32(uint32_t (*backend)(uint32_t, const uint8_t *, uint32_t), unsigned seed) {
    std::mt19937 rng(seed);
    for (int round = 0; round < 300; ++round) {
        /* short inputs around the chunk sizes, and long ones */
        const size_t size = round < 200 ? rng() % 200 : rng() % 70000;
        const size_t offset = rng() % 32;
        const std::vector<uint8_t> buffer = random_bytes(rng, size + offset);
        const uint8_t *data = buffer.data() + offset;
        const uint32_t start = round % 3 == 0 ? 0 : static_cast<uint32_t>(rng());

        ASSERT_EQ(backend(start, data, static_cast<uint32_t>(size)),
                  tvk32_update_portable(start, data, static_cast<uint32_t>(size)))
            << size << " bytes at +" << offset;

        uint32_t chained = start;
        size_t done = 0;
        for (size_t n : random_pieces(rng, size, 3000)) {
            chained = backend(chained, data + done, static_cast<uint32_t>(n));
            done += n;
        }
        ASSERT_EQ(chained, tvk32_update_portable(start, data, static_cast<uint32_t>(size)))
            << size << " bytes in pieces";
    }
    /* All bytes 0xff: the largest sums the lanes can see. */
    const std::vector<uint8_t> ones(100000, 0xff);
    EXPECT_EQ(backend(0, ones.data(), 100000), tvk32_update_portable(0, ones.data(), 100000));
}

TEST(DigestBackends, Tvk32Sse2MatchesPortable) {
    SKIP_WITHOUT(tvk_cpu_has(Backend::Sse2), "no SSE2 on this CPU");
    compare_tvk32(tvk32_update_sse2, 5);
    const ForcedBackend forced(Backend::Sse2);
    compare_tvk32(tvk32_update, 9);
}

TEST(DigestBackends, Tvk32Avx2MatchesPortable) {
    SKIP_WITHOUT(tvk_cpu_has(Backend::Avx2), "no AVX2 on this CPU");
    compare_tvk32(tvk32_update_avx2, 6);
    const ForcedBackend forced(Backend::Avx2);
    compare_tvk32(tvk32_update, 10);
}

#endif

} // namespace
