/* string_drivers.cpp -- checksum of a byte string in one core call, on the
 * caller's thread, with storage of the call only. */
#include "digest_cores.h"
#include "drivers.h"
#include "output_text.h"

namespace tvkengine {

using tvkalgo::Algorithm;
using tvkalgo::facts;

namespace {

template <class Core, Algorithm A>
void digest_string(const uint8_t *input, char *output, uint32_t count) {
    static_assert(Core::TEXT_SIZE > facts(A).digits, "the core's text holds the digits");
    Core core;
    if (count > 0) {
        core.update(input, count);
    }
    char text[Core::TEXT_SIZE];
    core.text(text);
    put_text(output, text, facts(A).digits, facts(A).string_output_size);
}

} // namespace

#define TVK_DEFINE_STRING_DRIVER(Id, word, core, ...)                                              \
    void digest_string_##word(const uint8_t *input, char *output, uint32_t count) {                \
        digest_string<core##Core, Algorithm::Id>(input, output, count);                            \
    }
TVK_ALGORITHMS(TVK_DEFINE_STRING_DRIVER)
#undef TVK_DEFINE_STRING_DRIVER

} // namespace tvkengine
