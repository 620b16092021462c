/* string_words_fuzzer.cpp -- every string word through interface1 of
 * the loaded engine library, on random bytes at random alignments. The
 * input lies in a heap block of exactly the byte count, so any read past it
 * is reported; every text is compared with the reference, and the bytes of
 * the output buffer after what the word writes must keep their guard. */
#include "engine_library.h"
#include "engine_words.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

namespace {

/* Room after the written bytes in which a stray write would show. */
constexpr size_t GUARD_ROOM = 64;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FUZZ_CHECK(engine().loaded(), "the engine library %s cannot be loaded",
               engine_library_path().c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const size_t offset = fdp.ConsumeIntegralInRange<size_t>(0, 63);
    const size_t shorter = fdp.ConsumeIntegral<uint16_t>();
    const size_t piece = fdp.ConsumeIntegralInRange<size_t>(0, 200);
    const std::vector<uint8_t> bytes = fdp.ConsumeRemainingBytes<uint8_t>();
    const size_t count = bytes.size() - std::min(shorter, bytes.size());

    // offset unused bytes, then exactly count input bytes.
    std::unique_ptr<uint8_t[]> block(new uint8_t[offset + count]);
    std::memset(block.get(), 0, offset);
    if (count > 0)
        std::memcpy(block.get() + offset, bytes.data(), count);
    const uint8_t *input = block.get() + offset;

    for (const ChecksumWord &word : string_words) {
        const std::string expected =
            written_bytes(word, reference_text(word.algo, bytes.data(), count, piece));
        GuardedBuffer out(word.written + GUARD_ROOM);
        const int32_t result = engine().call(word.word, input, out.data(), count);
        FUZZ_CHECK(result == 1, "%s on %zu bytes returned %d", word.word, count, result);
        FUZZ_CHECK(out.holds(expected), "%s on %zu bytes at +%zu wrote \"%s\", expected %s",
                   word.word, count, offset, out.shown().c_str(), expected.c_str());
    }
    return 0;
}
