/* tvk32_lanes.h -- TVK32 over whole chunks of K bytes, for the vector
 * backends.
 *
 * Running the cascade position by position over a sequence of chunks (a
 * vector of K byte lanes each: v0 += x; v1 += v0; v2 += v1; v3 += v2, all
 * modulo 256) gives, for lane l, A_j[l] = sum over chunks of C(q + j, j) x,
 * where q counts the chunks after that one. The byte's distance from the
 * end of the input is r = K q + t with t = K - 1 - l, and its weight in
 * lane s_k of TVK32 is C(r + k, k), a polynomial of degree k in q. Written in
 * the basis C(q + j, j) its coefficients c_kj(t) are integers, so
 *   s_k = sum over l and j of c_kj(t) A_j[l]   (mod 256).
 * The coefficients are computed here at compile time; a backend keeps the
 * four byte vectors, applies the weights once per call and then joins the
 * result to the running value with tvk32_join. Everything here has internal
 * linkage: each backend compiles it with its own instruction set.
 */
#ifndef TVK_DIGEST_TVK32_LANES_H
#define TVK_DIGEST_TVK32_LANES_H

#include <cstdint>

namespace {

/* C(r + k, k) for any integer r (k <= 3), exact. */
constexpr int64_t tvk32_rising(int64_t r, int k) {
    int64_t v = 1;
    int64_t f = 1;
    for (int i = 1; i <= k; ++i) {
        v *= r + i;
        f *= i;
    }
    return v / f;
}

/* weight[k - 1][j][l]: c_kj(K - 1 - l) modulo 256, for k = 1..3, j = 0..3. */
template <int K> struct Tvk32Weights { alignas(32) uint16_t weight[3][4][K]; };

template <int K> constexpr Tvk32Weights<K> tvk32_make_weights() {
    Tvk32Weights<K> w{};
    for (int k = 1; k <= 3; ++k) {
        for (int l = 0; l < K; ++l) {
            const int64_t t = K - 1 - l;
            /* Solve sum_j c_j C(q + j, j) = C(K q + t + k, k) at q = -1..-4,
             * where basis j vanishes for q = -1..-j: a triangular system
             * whose diagonal is +-1. */
            int64_t c[4] = {0, 0, 0, 0};
            for (int m = 1; m <= 4; ++m) {
                int64_t rest = tvk32_rising(-K * m + t, k);
                for (int j = 0; j < m - 1; ++j)
                    rest -= c[j] * tvk32_rising(-m, j);
                c[m - 1] = rest * tvk32_rising(-m, m - 1); /* the diagonal is its own inverse */
            }
            for (int j = 0; j < 4; ++j)
                w.weight[k - 1][j][l] = static_cast<uint16_t>(((c[j] % 256) + 256) % 256);
        }
    }
    return w;
}

/* C(n + 1, 2) and C(n + 2, 3) modulo 256 for any 64-bit n: the products are
 * taken modulo 256 times the divisor, which keeps the division exact. */
constexpr uint32_t tvk32_c2(uint64_t n) {
    const uint64_t m = 512;
    return static_cast<uint32_t>(((n + 1) % m) * (n % m) % m / 2);
}
constexpr uint32_t tvk32_c3(uint64_t n) {
    const uint64_t m = 1536;
    return static_cast<uint32_t>(((n + 2) % m) * ((n + 1) % m) % m * (n % m) % m / 6);
}

/* The running value after n bytes whose lanes, taken from start 0, are
 * s0..s3, when the running value before them was value. */
inline uint32_t tvk32_join(uint32_t value, uint64_t n, uint32_t s0, uint32_t s1, uint32_t s2,
                           uint32_t s3) {
    const uint32_t a = value & 0xff, b = value >> 8 & 0xff, c = value >> 16 & 0xff;
    const uint32_t d = value >> 24;
    const auto n1 = static_cast<uint32_t>(n % 256);
    const uint32_t n2 = tvk32_c2(n), n3 = tvk32_c3(n);
    s0 += a;
    s1 += b + n1 * a;
    s2 += c + n1 * b + n2 * a;
    s3 += d + n1 * c + n2 * b + n3 * a;
    return (s3 & 0xff) << 24 | (s2 & 0xff) << 16 | (s1 & 0xff) << 8 | (s0 & 0xff);
}

} // namespace

#endif
