/* dispatcher_fuzzer.cpp -- interface1 of the loaded engine library fed
 * sequences of commands: the checksum and job words, their UTF-16 path
 * forms ("<algo>filew", "newexecutew"), words one edit away from them, and
 * arbitrary bytes, with arguments that always point at valid buffers. File
 * words and jobs get one of three small files or a path under a folder that
 * does not exist, so no job reads anything large or blocks. A model of the
 * job slot says what each answer may be; every job is cancelled and waited
 * out (bounded) before the input ends. */
#include "algorithm_table.h"
#include "engine_library.h"
#include "engine_words.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int MAX_STEPS = 16;
constexpr size_t GUARD_ROOM = 32;
constexpr size_t READ_BLOCK = 4096;
/* Paths of this length or more are refused by "newexecute"; "newexecutew"
 * takes every path made here. */
constexpr size_t PATH_ROOM = 4096;
/* "newexecute" keeps at most this many characters of the initial sum text;
 * "getsum" writes at most that and a zero. */
constexpr size_t SUM_TEXT_ROOM = 300;
/* "getnamea" writes at most this many characters and a zero. */
constexpr size_t NAME_ROOM = 254;
/* A job on these files ends in milliseconds; this is far beyond it. */
constexpr auto JOB_TIME_LIMIT = std::chrono::seconds(20);
constexpr auto JOB_GRACE = std::chrono::milliseconds(20);

const char *const job_words[] = {"getnamea",  "newexecute", "newexecutew", "getreturnvalue",
                                 "getstatus", "getsum",     "getprogress", "pause",
                                 "resume",    "cancel",     "getwidenames"};

struct TestFile {
    std::string path;
    std::vector<uint8_t> content;
};

struct Fixture {
    std::string dir;
    std::vector<TestFile> files;
    std::string missing; // a folder that is never made, with its separator
    std::string program; // what "getnamea" reports
};

Fixture fixture;

void remove_fixture() {
    for (const TestFile &f : fixture.files)
        std::remove(f.path.c_str());
    rmdir(fixture.dir.c_str());
}

void make_fixture() {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tvk-dispatch.XXXXXX";
    FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr, "cannot make a folder from %s", pattern.c_str());
    fixture.dir = pattern;
    fixture.missing = fixture.dir + "/missing/";
    fixture.program = test_program_path().substr(0, NAME_ROOM);
    // Empty, less than a block, and one byte more than a block.
    for (size_t size : {size_t{0}, size_t{97}, READ_BLOCK + 1}) {
        TestFile f;
        f.path = fixture.dir + "/file" + std::to_string(size);
        for (size_t i = 0; i < size; ++i)
            f.content.push_back(static_cast<uint8_t>(i * 7 + i / 251));
        std::FILE *out = std::fopen(f.path.c_str(), "wb");
        FUZZ_CHECK(out != nullptr, "cannot write %s", f.path.c_str());
        FUZZ_CHECK(std::fwrite(f.content.data(), 1, size, out) == size, "short write");
        std::fclose(out);
        fixture.files.push_back(f);
    }
    std::atexit(remove_fixture);
}

/* What "getreturnvalue" and "getsum" may report once no job runs. */
struct Outcome {
    int32_t result;
    std::string sum;
};

/* The job slot as the target believes it to be. */
struct Model {
    bool job_may_run = false;
    bool cancel_sent = false;           // a "cancel" reached the running job
    bool known = true;                  // false: the outcomes are not known
    bool known_at_end = true;           // what known becomes when the job ends
    std::vector<Outcome> done{{0, ""}}; // as the engine starts
    std::vector<Outcome> normal_end;
    std::vector<Outcome> cancelled_end;
};

Model model;

void job_ended() {
    if (!model.job_may_run)
        return;
    model.done = model.normal_end;
    if (model.cancel_sent)
        model.done.insert(model.done.end(), model.cancelled_end.begin(), model.cancelled_end.end());
    model.known = model.known_at_end;
    model.job_may_run = false;
}

void job_started(int file, FuzzAlgo algo, const std::string &initial) {
    model.job_may_run = true;
    model.cancel_sent = false;
    model.known = true;
    model.known_at_end = true;
    model.normal_end.clear();
    model.cancelled_end.clear();
    if (file < 0) {
        model.normal_end.push_back({1, initial});
        return;
    }
    const std::vector<uint8_t> &c = fixture.files[static_cast<size_t>(file)].content;
    model.normal_end.push_back({0, reference_text(algo, c.data(), c.size())});
    // A cancel is seen before a block is read: the text of the blocks
    // before it, up to the whole file.
    for (size_t done = 0;; done += READ_BLOCK) {
        const size_t n = std::min(done, c.size());
        model.cancelled_end.push_back({2, reference_text(algo, c.data(), n)});
        if (n == c.size())
            break;
    }
}

struct Path {
    std::string text; // up to its first zero, as the engine reads it
    int file;         // index into fixture.files, -1: cannot be opened
    std::unique_ptr<uint8_t[]> buffer;
    std::unique_ptr<uint8_t[]> wide; // text in UTF-16, each byte a unit, and a zero
};

Path choose_path(FuzzedDataProvider &fdp) {
    Path p;
    p.file = -1;
    std::string bytes;
    switch (fdp.ConsumeIntegralInRange(0, 4)) {
    case 0:
    case 1:
    case 2:
        p.file = fdp.ConsumeIntegralInRange<int>(0, static_cast<int>(fixture.files.size()) - 1);
        bytes = fixture.files[static_cast<size_t>(p.file)].path;
        break;
    case 3:
        bytes = fixture.missing + fdp.ConsumeRandomLengthString(64);
        break;
    default: // around the longest path a job takes
        bytes = fixture.missing;
        bytes.resize(PATH_ROOM + fdp.ConsumeIntegralInRange<size_t>(0, 4) - 2, 'x');
        break;
    }
    p.buffer = exact_copy(bytes.c_str(), bytes.size() + 1);
    p.text = bytes.c_str();
    // Each byte as the unit of the same number: fixture paths stay what
    // they are, other bytes only name other missing files.
    std::u16string units(p.text.begin(), p.text.end());
    for (size_t i = 0; i < p.text.size(); ++i)
        units[i] = static_cast<uint8_t>(p.text[i]);
    p.wide = exact_copy(units.c_str(), (units.size() + 1) * sizeof(char16_t));
    return p;
}

std::string choose_word(FuzzedDataProvider &fdp) {
    const int kind = fdp.ConsumeIntegralInRange(0, 3);
    if (kind == 3)
        return fdp.ConsumeRandomLengthString(24);
    constexpr size_t C = CHECKSUM_WORD_COUNT;
    const size_t pick = fdp.ConsumeIntegralInRange<size_t>(0, 3 * C + std::size(job_words) - 1);
    std::string word = pick < C       ? string_words[pick].word
                       : pick < 2 * C ? file_words[pick - C].word
                       : pick < 3 * C ? std::string(file_words[pick - 2 * C].word) + "w"
                                      : job_words[pick - 3 * C];
    if (kind < 2)
        return word;
    // One edit: a letter in upper case, a byte inserted or appended, the
    // last letter dropped.
    const size_t at = fdp.ConsumeIntegralInRange<size_t>(0, word.size() - 1);
    switch (fdp.ConsumeIntegralInRange(0, 3)) {
    case 0:
        word[at] = static_cast<char>(word[at] ^ 0x20);
        break;
    case 1:
        word.insert(word.begin() + static_cast<long>(at), fdp.ConsumeIntegral<char>());
        break;
    case 2:
        word.push_back(fdp.ConsumeIntegral<char>());
        break;
    default:
        word.pop_back();
        break;
    }
    return word;
}

const ChecksumWord *find_word(const std::array<ChecksumWord, CHECKSUM_WORD_COUNT> &table,
                              const std::string &word) {
    for (const ChecksumWord &w : table)
        if (word == w.word)
            return &w;
    return nullptr;
}

/* The file word whose UTF-16 form ("crc32filew") this is. */
const ChecksumWord *find_wide_file_word(const std::string &word) {
    if (word.empty() || word.back() != 'w')
        return nullptr;
    return find_word(file_words, word.substr(0, word.size() - 1));
}

int32_t call(const std::string &word, const void *a2, const void *a3, uintptr_t a4) {
    const std::unique_ptr<uint8_t[]> w = exact_copy(word.c_str(), word.size() + 1);
    return engine().call(reinterpret_cast<const char *>(w.get()), a2, a3, a4);
}

void string_word(FuzzedDataProvider &fdp, const ChecksumWord &w) {
    const std::string bytes = fdp.ConsumeRandomLengthString(300);
    const size_t count = fdp.ConsumeIntegralInRange<size_t>(0, bytes.size());
    const std::unique_ptr<uint8_t[]> input = exact_copy(bytes.data(), count);
    GuardedBuffer out(w.written + GUARD_ROOM);
    const int32_t r = call(w.word, input.get(), out.data(), count);
    const std::string expected = written_bytes(
        w, reference_text(w.algo, reinterpret_cast<const uint8_t *>(bytes.data()), count));
    FUZZ_CHECK(r == 1, "%s returned %d", w.word, r);
    FUZZ_CHECK(out.holds(expected), "%s on %zu bytes wrote \"%s\"", w.word, count,
               out.shown().c_str());
}

void file_word(FuzzedDataProvider &fdp, const ChecksumWord &w, const std::string &word, bool wide) {
    const Path path = choose_path(fdp);
    GuardedBuffer out(w.written + GUARD_ROOM);
    const int32_t r = call(word, wide ? path.wide.get() : path.buffer.get(), out.data(), 0);
    FUZZ_CHECK(r == 1, "%s returned %d", w.word, r);
    if (path.file < 0) {
        FUZZ_CHECK(out.untouched(), "%s on a missing file wrote \"%s\"", w.word,
                   out.shown().c_str());
        return;
    }
    const std::vector<uint8_t> &c = fixture.files[static_cast<size_t>(path.file)].content;
    const std::string expected = written_bytes(w, reference_text(w.algo, c.data(), c.size()));
    // While a job runs the word is refused and writes nothing.
    FUZZ_CHECK(out.holds(expected) || (model.job_may_run && out.untouched()),
               "%s on %s wrote \"%s\"", w.word, path.text.c_str(), out.shown().c_str());
}

void new_execute(FuzzedDataProvider &fdp, bool wide) {
    const Path path = choose_path(fdp);
    const std::string initial_bytes = fdp.ConsumeRandomLengthString(400);
    const std::unique_ptr<uint8_t[]> initial =
        exact_copy(initial_bytes.c_str(), initial_bytes.size() + 1);
    const int32_t selector = fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange<int32_t>(-1, 9)
                                               : fdp.ConsumeIntegral<int32_t>();
    const std::string kept = std::string(initial_bytes.c_str()).substr(0, SUM_TEXT_ROOM);
    FuzzAlgo algo = FuzzAlgo::Crc32;
    const bool fits = wide || path.text.size() < PATH_ROOM;
    const bool valid = selector_algo(selector, algo);

    const bool was_running = model.job_may_run;
    const int32_t r =
        call(wide ? "newexecutew" : "newexecute", wide ? path.wide.get() : path.buffer.get(),
             initial.get(), static_cast<uintptr_t>(static_cast<intptr_t>(selector)));
    FUZZ_CHECK(r == 0 || r == 1, "newexecute returned %d", r);
    if (r == 0) {
        FUZZ_CHECK(fits && valid, "newexecute started a job with selector %d on a path of %zu",
                   selector, path.text.size());
        job_started(path.file, algo, kept);
        return;
    }
    if (was_running) {
        // Refused because the job still runs (nothing changed), or refused
        // after it ended, having stored the texts of a bad selector.
        if (fits && !valid)
            model.known_at_end = false;
        return;
    }
    FUZZ_CHECK(!(fits && valid), "newexecute refused selector %d on %s", selector,
               path.text.c_str());
    if (fits) // a bad selector: the texts are stored all the same
        for (Outcome &o : model.done)
            o.sum = kept;
}

/* Once no job runs, the result and the sum must be among the outcomes. */
void check_done(int32_t result, const GuardedBuffer *sum) {
    if (model.job_may_run || !model.known)
        return;
    for (const Outcome &o : model.done) {
        if (sum ? sum->holds(o.sum + '\0') : o.result == result)
            return;
    }
    if (sum)
        fuzz_fail("getsum wrote \"%s\"; first expected \"%s\"", sum->shown().c_str(),
                  model.done.front().sum.c_str());
    fuzz_fail("getreturnvalue gave %d; first expected %d", result, model.done.front().result);
}

void get_sum() {
    GuardedBuffer out(SUM_TEXT_ROOM + 1 + GUARD_ROOM);
    const int32_t r = call("getsum", out.data(), nullptr, 0);
    FUZZ_CHECK(r == 0, "getsum returned %d", r);
    // Whatever the state: at most 300 characters and a zero, nothing after.
    size_t last = out.size();
    while (last > 0 && static_cast<uint8_t>(out.data()[last - 1]) == GuardedBuffer::GUARD)
        --last;
    FUZZ_CHECK(last > 0 && last <= SUM_TEXT_ROOM + 1 && out.data()[last - 1] == '\0',
               "getsum wrote %zu bytes: \"%s\"", last, out.shown().c_str());
    check_done(0, &out);
}

void job_word(FuzzedDataProvider &fdp, const std::string &word) {
    if (word == "newexecute" || word == "newexecutew") {
        new_execute(fdp, word == "newexecutew");
    } else if (word == "getnamea") {
        GuardedBuffer out(NAME_ROOM + 1 + GUARD_ROOM);
        const int32_t r = call(word, out.data(), nullptr, 0);
        FUZZ_CHECK(r == 1, "getnamea returned %d", r);
        FUZZ_CHECK(out.holds(fixture.program + '\0'), "getnamea wrote \"%s\"", out.shown().c_str());
    } else if (word == "getreturnvalue") {
        const int32_t r = call(word, nullptr, nullptr, 0);
        FUZZ_CHECK(r >= 0 && r <= 2, "getreturnvalue gave %d", r);
        check_done(r, nullptr);
    } else if (word == "getstatus") {
        const int32_t r = call(word, nullptr, nullptr, 0);
        FUZZ_CHECK(r == 0 || (r == 1 && model.job_may_run), "getstatus gave %d", r);
        if (r == 0)
            job_ended();
    } else if (word == "getsum") {
        get_sum();
    } else if (word == "getwidenames") {
        const int32_t r = call(word, nullptr, nullptr, 0);
        FUZZ_CHECK(r == 1, "getwidenames gave %d", r);
    } else if (word == "getprogress") {
        const int32_t r = call(word, nullptr, nullptr, 0);
        FUZZ_CHECK(r >= 0 && r <= 100, "getprogress gave %d", r);
    } else { // "pause", "resume", "cancel"
        const int32_t r = call(word, nullptr, nullptr, 0);
        FUZZ_CHECK(r == 0, "%s returned %d", word.c_str(), r);
        if (word == "cancel" && model.job_may_run)
            model.cancel_sent = true;
    }
}

/* An HMAC word: the key and data from the input. A keyed algorithm writes
 * its digits and zeros up to the string output size exactly, answering 1;
 * the others answer 0 and write nothing. */
bool hmac_word(FuzzedDataProvider &fdp, const std::string &word) {
    for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
        if (word != row.hmac_word)
            continue;
        const std::string key = fdp.ConsumeRandomLengthString(300);
        const std::string data = fdp.ConsumeRandomLengthString(1000);
        const std::unique_ptr<uint8_t[]> k = exact_copy(key.data(), key.size());
        const std::unique_ptr<uint8_t[]> d = exact_copy(data.data(), data.size());
        const uintptr_t block[4] = {reinterpret_cast<uintptr_t>(k.get()), key.size(),
                                    reinterpret_cast<uintptr_t>(d.get()), data.size()};
        GuardedBuffer out(row.string_output_size);
        const int32_t r = call(word, block, out.data(), fdp.ConsumeIntegral<uint32_t>());
        if (row.hmac_block == 0) {
            FUZZ_CHECK(r == 0 && out.untouched(), "%s answered %d", row.hmac_word, r);
            return true;
        }
        FUZZ_CHECK(r == 1, "%s answered %d", row.hmac_word, r);
        std::string written(out.data(), row.string_output_size);
        for (size_t i = 0; i < row.string_output_size; ++i) {
            const char c = written[i];
            const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
            FUZZ_CHECK(i < row.digits ? digit : c == '\0', "%s wrote %s", row.hmac_word,
                       out.shown().c_str());
        }
        return true;
    }
    return false;
}

void unknown_word(FuzzedDataProvider &fdp, const std::string &word) {
    GuardedBuffer a2(64), a3(64);
    const int32_t r = call(word, a2.data(), a3.data(), fdp.ConsumeIntegral<uint32_t>());
    FUZZ_CHECK(r == 0, "unknown word of %zu bytes returned %d", word.size(), r);
    FUZZ_CHECK(a2.untouched() && a3.untouched(), "unknown word of %zu bytes wrote", word.size());
}

bool is_job_word(const std::string &word) {
    for (const char *w : job_words)
        if (word == w)
            return true;
    return false;
}

/* Cancels a job that may run and waits, bounded, until the engine has none;
 * then the outcome must be one the model allows. */
void settle() {
    if (model.job_may_run) {
        // A job on these files that is not paused ends within a few
        // milliseconds; give it that chance before cancelling it.
        const auto start = std::chrono::steady_clock::now();
        while (call("getstatus", nullptr, nullptr, 0) != 0) {
            const auto waited = std::chrono::steady_clock::now() - start;
            FUZZ_CHECK(waited < JOB_TIME_LIMIT, "the job did not end");
            if (waited > JOB_GRACE && !model.cancel_sent) {
                call("cancel", nullptr, nullptr, 0);
                model.cancel_sent = true;
            }
            usleep(100);
        }
        job_ended();
    }
    check_done(call("getreturnvalue", nullptr, nullptr, 0), nullptr);
    get_sum();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FUZZ_CHECK(engine().loaded(), "the engine library %s cannot be loaded",
               engine_library_path().c_str());
    make_fixture();
    // A file that cannot be opened makes the engine print a line on
    // standard output; thousands of them would only bury libFuzzer's own.
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    for (int step = 0; step < MAX_STEPS && fdp.remaining_bytes() > 0; ++step) {
        const std::string word = choose_word(fdp);
        const std::string matched = word.c_str(); // the engine reads up to the zero
        if (const ChecksumWord *w = find_word(string_words, matched))
            string_word(fdp, *w);
        else if (const ChecksumWord *f = find_word(file_words, matched))
            file_word(fdp, *f, matched, false);
        else if (const ChecksumWord *g = find_wide_file_word(matched))
            file_word(fdp, *g, matched, true);
        else if (is_job_word(matched))
            job_word(fdp, matched);
        else if (!hmac_word(fdp, matched))
            unknown_word(fdp, word);
    }
    settle();
    return 0;
}
