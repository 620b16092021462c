/* check_list_fuzzer.cpp -- the line reader of tvksum -c on any list text,
 * with or without -a. Every line it accepts must be consistent (hexadecimal
 * sum of the algorithm's length, the tag agreeing with -a), and the line
 * tvksum itself would write for an entry with a name must read back as the
 * same entry. */
#include "check_line.h"
#include "fuzz_support.h"
#include "sum_line.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>

using namespace checklist;

namespace {

void check_line(std::string_view line, const AlgoInfo *forced) {
    const CheckLine got = read_check_line(line, forced);
    if (got.kind != LineKind::Entry) {
        FUZZ_CHECK(got.algo == nullptr, "a line that is no entry has an algorithm");
        return;
    }
    const CheckEntry &e = got.entry;
    FUZZ_CHECK(got.algo != nullptr, "an entry without an algorithm");
    FUZZ_CHECK(is_hex(e.sum, got.algo->digits), "sum \"%s\" for %s", e.sum.c_str(),
               std::string(got.algo->job_name).c_str());
    FUZZ_CHECK(!forced || got.algo == forced, "-a %s, checked with %s",
               forced ? std::string(forced->job_name).c_str() : "",
               std::string(got.algo->job_name).c_str());
    FUZZ_CHECK(!e.tag || e.tag == got.algo, "tag and algorithm differ");
    if (e.name.empty())
        return; // "MD5 () = SUM": md5sum reads it, and fails to open ''

    std::string again =
        e.tag ? format_tag_line(*e.tag, e.sum, e.name) : format_sum_line(e.sum, e.name);
    FUZZ_CHECK(!again.empty() && again.back() == '\n', "a written line without its line feed");
    again.pop_back();
    FUZZ_CHECK(again.find('\n') == std::string::npos, "a written line holds a line feed");
    const CheckLine back = read_check_line(again, forced);
    FUZZ_CHECK(back.kind == LineKind::Entry && back.entry.sum == e.sum &&
                   back.entry.name == e.name && back.entry.tag == e.tag && back.algo == got.algo,
               "the line written for name \"%s\" does not read back", e.name.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    // 0: no -a; 1 to 7: -a with that algorithm.
    const size_t option = fdp.ConsumeIntegralInRange<size_t>(0, kAlgorithms.size());
    const AlgoInfo *forced = option == 0 ? nullptr : &kAlgorithms[option - 1];
    const std::string list = fdp.ConsumeRemainingBytesAsString();
    // Lines as std::getline splits them: at each line feed, which is dropped.
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find('\n', start);
        if (end == std::string::npos)
            end = list.size();
        // Each line alone in a heap block, so a read past its end is seen.
        const size_t length = end - start;
        const std::unique_ptr<uint8_t[]> line = exact_copy(list.data() + start, length);
        check_line(std::string_view(reinterpret_cast<const char *>(line.get()), length), forced);
        start = end + 1;
    }
    return 0;
}
