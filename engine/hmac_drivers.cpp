/* hmac_drivers.cpp -- HMAC (RFC 2104) over the message digest cores, on the
 * caller's thread, with storage of the call only:
 *   H((K0 ^ opad) || H((K0 ^ ipad) || data))
 * where K0 is the key, or its digest when it is longer than the block,
 * padded with zero bytes to the block size of the algorithm table. */
#include "digest_cores.h"
#include "drivers.h"
#include "output_text.h"

#include <cstring>

namespace tvkengine {

using tvkalgo::Algorithm;
using tvkalgo::facts;

namespace {

/* The cores take at most 4 GiB - 1 bytes per update. */
template <class Core> void update_all(Core &core, const uint8_t *input, size_t size) {
    constexpr size_t piece = size_t{1} << 30;
    while (size > 0) {
        const size_t n = size < piece ? size : piece;
        core.update(input, static_cast<uint32_t>(n));
        input += n;
        size -= n;
    }
}

template <class Core, Algorithm A>
bool hmac(const uint8_t *key, size_t key_size, const uint8_t *data, size_t data_size,
          char *output) {
    constexpr size_t block = facts(A).hmac_block;
    if constexpr (block == 0) {
        return false;
    } else {
        static_assert(Core::SIZE <= block, "a digest fits in the block");
        uint8_t k0[block] = {};
        if (key_size > block) {
            Core shortened;
            update_all(shortened, key, key_size);
            shortened.digest(k0);
        } else if (key_size > 0) {
            std::memcpy(k0, key, key_size);
        }
        uint8_t pad[block];
        for (size_t i = 0; i < block; ++i)
            pad[i] = static_cast<uint8_t>(k0[i] ^ 0x36);
        Core inner;
        inner.update(pad, block);
        update_all(inner, data, data_size);
        uint8_t inner_digest[Core::SIZE];
        inner.digest(inner_digest);

        for (size_t i = 0; i < block; ++i)
            pad[i] = static_cast<uint8_t>(k0[i] ^ 0x5c);
        Core outer;
        outer.update(pad, block);
        outer.update(inner_digest, Core::SIZE);
        char text[Core::TEXT_SIZE];
        outer.text(text);
        put_text(output, text, facts(A).digits, facts(A).string_output_size);
        return true;
    }
}

} // namespace

#define TVK_HMAC_DRIVER(Id, word, core, ...) hmac<core##Core, Algorithm::Id>,
const HmacDriver hmac_drivers[] = {TVK_ALGORITHMS(TVK_HMAC_DRIVER)};
#undef TVK_HMAC_DRIVER

} // namespace tvkengine
