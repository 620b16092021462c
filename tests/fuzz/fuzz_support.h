/* fuzz_support.h -- shared pieces of the fuzz targets: failing with a
 * message, reference checksum texts, and output buffers with a guard. */
#ifndef TVK_TESTS_FUZZ_SUPPORT_H
#define TVK_TESTS_FUZZ_SUPPORT_H

#include "algorithm_table.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

/* Reports a broken expectation and aborts, so libFuzzer keeps the input. */
[[noreturn]] void fuzz_fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzz_fail(__VA_ARGS__);                                                                \
    } while (0)

using FuzzAlgo = tvkalgo::Algorithm;

/* The checksum text (digits only) of count bytes, computed with zlib and
 * the digest library's portable functions, fed in pieces of piece bytes
 * (0: in one call) so the chaining of the cores is exercised too. */
std::string reference_text(FuzzAlgo algo, const uint8_t *bytes, size_t count, size_t piece = 0);

/* An output buffer on the heap, of exactly size bytes, every byte set to a
 * guard value that no checksum text contains. */
class GuardedBuffer {
  public:
    static constexpr uint8_t GUARD = 0xa5;
    explicit GuardedBuffer(size_t size);
    char *data() { return bytes_.get(); }
    size_t size() const { return size_; }
    /* The buffer starts with exactly these bytes and the rest is guard. */
    bool holds(const std::string &written) const;
    bool untouched() const { return holds(std::string()); }
    /* The bytes up to the first guard byte, for messages. */
    std::string shown() const;

  private:
    std::unique_ptr<char[]> bytes_;
    size_t size_;
};

/* count bytes of text on the heap in a buffer of exactly that size, so a
 * read past them is an AddressSanitizer report. */
std::unique_ptr<uint8_t[]> exact_copy(const void *text, size_t count);

#endif
