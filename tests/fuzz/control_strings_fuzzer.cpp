/* control_strings_fuzzer.cpp -- the seven string methods of the control
 * against the real engine, with any UTF-16 text and any Length (negative,
 * huge, and near the byte count of the converted text).
 *
 * The engine digests exactly the byte count it is given, so the control
 * must keep Length within the narrow text plus the NUL the bridge appends.
 * Two things make an over-read visible:
 *  - every result is compared with the reference digest of the first
 *    clamp(Length, 0, bytes + 1) converted bytes: a count that ran past the
 *    buffer would digest other bytes (this also covers CRC-32 and Adler-32,
 *    whose zlib code AddressSanitizer does not see);
 *  - the bridge itself is driven with a probe entry that checks that each
 *    buffer it hands over is a heap block of exactly the text's bytes and
 *    its NUL, so a read past it hits AddressSanitizer's red zone.
 */
#include "Globals.h"
#include "TVKChecksum.h"
#include "ZipClass.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/allocator_interface.h>

#include <climits>
#include <cstring>

using tvk::Long;
using tvk::String;
using tvk::TVKChecksum;

namespace {

using Method = String (TVKChecksum::*)(String, Long);

struct MethodCase {
    const char16_t *word;
    Method method;
    FuzzAlgo algo;
};

const MethodCase methods[] = {
    {u"crc32string", &TVKChecksum::CRC32String, FuzzAlgo::Crc32},
    {u"tvk32string", &TVKChecksum::TVK32String, FuzzAlgo::Tvk32},
    {u"md532string", &TVKChecksum::MD5_32String, FuzzAlgo::Md5_32},
    {u"md5string", &TVKChecksum::MD5String, FuzzAlgo::Md5},
    {u"sha1string", &TVKChecksum::SHA1String, FuzzAlgo::Sha1},
    {u"sha256string", &TVKChecksum::SHA256String, FuzzAlgo::Sha256},
    {u"adler32string", &TVKChecksum::Adler32String, FuzzAlgo::Adler32},
};

TVKChecksum &control() {
    static TVKChecksum c(nullptr);
    return c;
}

String wide(const std::string &ascii) {
    return String(ascii.begin(), ascii.end());
}

std::string shown(const String &text) {
    std::string out;
    for (char16_t c : text)
        out += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
    return out;
}

/* The probe entry: what the bridge passed, checked against what it should
 * have made, then handed on to the real interface1. */
struct Probe {
    uintptr_t real_entry = 0;
    size_t expected[3] = {};
    bool called = false;
};
Probe probe;

void check_block(uintptr_t address, size_t expected, const char *which) {
    const void *p = reinterpret_cast<const void *>(address);
    FUZZ_CHECK(__sanitizer_get_ownership(p), "the bridge's %s buffer is not a heap block", which);
    const size_t size = __sanitizer_get_allocated_size(p);
    FUZZ_CHECK(size == expected, "the bridge's %s buffer holds %zu bytes, expected %zu", which,
               size, expected);
}

intptr_t probe_entry(uintptr_t a1, uintptr_t a2, uintptr_t a3, uintptr_t a4) {
    probe.called = true;
    check_block(a1, probe.expected[0], "command");
    check_block(a2, probe.expected[1], "text");
    check_block(a3, probe.expected[2], "result");
    return tvk::Globals::CallEntry(probe.real_entry, a1, a2, a3, a4);
}

/* An engine host of its own whose entry is the probe. */
tvk::ZipClass &probed_bridge() {
    static tvk::ZipClass bridge;
    if (probe.real_entry == 0) {
        bridge.Init(false);
        FUZZ_CHECK(bridge.IsLoaded(), "the bridge did not load the engine");
        probe.real_entry = bridge.EngineEntry;
        bridge.EngineEntry = reinterpret_cast<uintptr_t>(&probe_entry);
    }
    return bridge;
}

/* The bridge as the string methods use it, through the probe. */
void check_bridge(const MethodCase &m, const String &text, Long count, const std::string &bytes,
                  const std::string &expected) {
    tvk::ZipClass &bridge = probed_bridge();
    String word = m.word;
    String copy = text;
    String result(300, u' ');
    result += u'\0';
    probe.expected[0] = std::char_traits<char16_t>::length(m.word) + 1;
    probe.expected[1] = bytes.size(); // the narrow text and its NUL
    probe.expected[2] = result.size() + 1;
    probe.called = false;
    bridge.CallWindow2(word, copy, result, count);
    FUZZ_CHECK(probe.called, "the bridge did not call the entry");
    FUZZ_CHECK(result == wide(expected), "bridge %s: \"%s\", expected %s",
               shown(String(m.word)).c_str(), shown(result).c_str(), expected.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    try {
        control().CRC32String(u"", 0);
        probed_bridge();
    } catch (const tvk::RuntimeError &e) {
        fuzz_fail("the control cannot load its engine: %d %s", e.Number,
                  shown(e.Description).c_str());
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const int mode = fdp.ConsumeIntegralInRange(0, 2);
    const int32_t raw = fdp.ConsumeIntegral<int32_t>();
    const int8_t delta = fdp.ConsumeIntegral<int8_t>();
    const std::vector<uint8_t> rest = fdp.ConsumeRemainingBytes<uint8_t>();
    String text;
    for (size_t i = 0; i + 1 < rest.size(); i += 2)
        text += static_cast<char16_t>(rest[i] | rest[i + 1] << 8);

    // The bytes the engine sees: the narrow text and the bridge's NUL.
    std::string bytes = tvk::Globals::ToNarrow(text);
    const long long narrow = static_cast<long long>(bytes.size());
    bytes += '\0';

    long long wanted = raw;
    if (mode == 1) {
        wanted = narrow + delta;
    } else if (mode == 2) {
        const long long edges[] = {INT_MIN, INT_MIN + 1LL, -1,         0,
                                   INT_MAX, narrow,        narrow + 1, narrow + 2};
        wanted = edges[static_cast<uint32_t>(raw) % 8];
    }
    const Long length =
        static_cast<Long>(std::min<long long>(std::max<long long>(wanted, INT_MIN), INT_MAX));
    const long long count = std::min<long long>(std::max<long long>(length, 0), narrow + 1);

    for (const MethodCase &m : methods) {
        const std::string expected = reference_text(
            m.algo, reinterpret_cast<const uint8_t *>(bytes.data()), static_cast<size_t>(count));
        const String before = text;
        String argument = text;
        const String result = (control().*m.method)(argument, length);
        FUZZ_CHECK(argument == before, "the caller's text changed");
        FUZZ_CHECK(result == wide(expected),
                   "%s of %zu units, %lld narrow bytes, Length %d: \"%s\", expected %s",
                   shown(String(m.word)).c_str(), text.size(), narrow, length,
                   shown(result).c_str(), expected.c_str());
    }
    // The bridge with the count the control passes on.
    const MethodCase &m = methods[static_cast<uint32_t>(raw) % 7];
    check_bridge(m, text, static_cast<Long>(count), bytes,
                 reference_text(m.algo, reinterpret_cast<const uint8_t *>(bytes.data()),
                                static_cast<size_t>(count)));
    return 0;
}
