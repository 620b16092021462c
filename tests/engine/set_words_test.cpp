/* set_words_test.cpp -- several checksums from one read ("setfile",
 * "newexecuteset", "getsums") and list jobs ("newexecutelistw",
 * "getlistentry") through interface1, against the engine's own
 * single-algorithm words on the same bytes. */
#include "algorithm_table.h"
#include "drivers.h"
#include "engine_library.h"
#include "platform.h"
#include "read_ahead.h"
#include "sum_sets.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tvkalgo::algorithm_table;
using tvkalgo::SUM_SET_TEXT_SIZE;
using tvkengine::DIRECT_READ_SIZE;
using tvkengine::READ_AHEAD_RING_SIZE;
constexpr size_t LARGE = tvkengine::READ_AHEAD_MIN_FILE_SIZE;

const EngineLibrary &e() {
    return engine();
}

/* The single file word's text. */
std::string one(const tvkalgo::AlgorithmFacts &row, const std::string &path) {
    char out[301] = {};
    e().call(row.file_word, path.c_str(), out);
    return out;
}

/* The single texts of a set, joined by one blank. */
std::string joined(const std::vector<int32_t> &set, const std::string &path) {
    std::string text;
    for (const int32_t selector : set) {
        text += (text.empty() ? "" : " ") + one(*tvkalgo::algorithm_of_selector(selector), path);
    }
    return text;
}

std::string set_file(std::vector<int32_t> set, const std::string &path) {
    set.push_back(0);
    std::vector<char> out(SUM_SET_TEXT_SIZE, '\0');
    EXPECT_EQ(
        e().call("setfile", path.c_str(), out.data(), reinterpret_cast<uintptr_t>(set.data())), 1);
    return out.data();
}

std::string sums() {
    std::vector<char> out(SUM_SET_TEXT_SIZE, 'x');
    e().call("getsums", out.data(), reinterpret_cast<const void *>(out.size()));
    return out.data();
}

std::vector<int32_t> every_algorithm() {
    std::vector<int32_t> set;
    for (const auto &row : algorithm_table) {
        set.push_back(row.selector);
    }
    return set;
}

TEST(SetWords, EveryPairEqualsItsSingleWords) {
    for (const size_t size : {size_t{0}, size_t{1000}, DIRECT_READ_SIZE + 3}) {
        const std::string path = write_test_file("pairs.bin", pattern_bytes(size));
        for (const auto &a : algorithm_table) {
            for (const auto &b : algorithm_table) {
                const std::vector<int32_t> set{a.selector, b.selector};
                EXPECT_EQ(set_file(set, path), joined(set, path))
                    << size << a.job_name << b.job_name;
            }
        }
    }
}

/* Both threads of a large file, at the ends of pieces and of the ring, as a
 * file word and as a job. */
TEST(SetWords, AllAlgorithmsAtEverySplitPoint) {
    const std::vector<int32_t> all = every_algorithm();
    const size_t ring = READ_AHEAD_RING_SIZE;
    const size_t large = LARGE;
    for (const size_t size :
         {DIRECT_READ_SIZE - 1, DIRECT_READ_SIZE, large - 1, large, large + ring + 1}) {
        const std::string path = write_test_file("split.bin", pattern_bytes(size));
        const std::string expected = joined(all, path);
        EXPECT_EQ(set_file(all, path), expected) << size;
        if (size < large + ring) {
            continue; // the job reads as the file word does
        }
        std::vector<int32_t> set = all;
        set.push_back(0);
        ASSERT_EQ(e().call("newexecuteset", path.c_str(), "initial",
                           reinterpret_cast<uintptr_t>(set.data())),
                  0);
        ASSERT_TRUE(e().wait_idle());
        EXPECT_EQ(e().result(), 0);
        EXPECT_EQ(sums(), expected) << size;
        // "getsum" keeps to its 300 characters.
        EXPECT_EQ(e().sum(), expected.substr(0, 300));
        EXPECT_EQ(e().progress(), 100);
    }
}

TEST(SetWords, RefusesSetsNoAlgorithmHas) {
    const std::string path = write_test_file("refused.bin", "abc");
    std::vector<int32_t> too_long(tvkalgo::SUM_SET_MAX_SIZE + 1, 5);
    too_long.push_back(0);
    const std::vector<std::vector<int32_t>> sets = {{0}, {5, 15, 0}, {-1, 0}, too_long};
    for (const auto &set : sets) {
        char out[8] = "same";
        const auto address = reinterpret_cast<uintptr_t>(set.data());
        EXPECT_EQ(e().call("setfile", path.c_str(), out, address), 0);
        EXPECT_STREQ(out, "same");
        EXPECT_EQ(e().call("newexecuteset", path.c_str(), "x", address), 1);
        EXPECT_EQ(e().status(), 0);
    }
}

TEST(SetWords, PausedJobHoldsAndResumesToTheSameSums) {
    const std::vector<int32_t> set{3, 5, 0}; // SHA-256 and MD5 on two threads
    const std::string path = write_test_file("paused.bin", pattern_bytes(LARGE * 2));
    const std::string expected = joined({3, 5}, path);
    for (const bool cancel : {false, true}) {
        ASSERT_EQ(e().call("newexecuteset", path.c_str(), "initial",
                           reinterpret_cast<uintptr_t>(set.data())),
                  0);
        e().call("pause");
        sleep_ms(150);
        const int32_t held = e().progress();
        sleep_ms(150);
        EXPECT_LT(e().progress(), held + 2) << "a paused job moves a block per sleep";
        e().call(cancel ? "cancel" : "resume");
        ASSERT_TRUE(e().wait_idle());
        EXPECT_EQ(e().result(), cancel ? 2 : 0);
        if (!cancel) {
            EXPECT_EQ(sums(), expected);
        }
    }
}

/* The entries of a list: selector, path, zero; a zero ends them. */
std::u16string entries(const std::vector<std::pair<int32_t, std::string>> &files) {
    std::u16string units;
    for (const auto &file : files) {
        units += static_cast<char16_t>(file.first);
        units += platform_from_ansi(file.second);
        units += u'\0';
    }
    return units; // the string's own zero ends the list
}

int32_t entry(size_t index, std::string &text) {
    char out[SUM_SET_TEXT_SIZE] = {};
    const int32_t result = e().call("getlistentry", reinterpret_cast<const void *>(index), out);
    text = out;
    return result;
}

TEST(ListJob, DecidesEveryEntryInOrder) {
    const std::string small = write_test_file("list-small.bin", "hello");
    const std::string empty = write_test_file("list-empty.bin", "");
    const std::string large = write_test_file("list-large.bin", pattern_bytes(LARGE + 5));
    const std::vector<std::pair<int32_t, std::string>> files = {
        {3, small}, {5, missing_test_file()}, {10, empty}, {2, large}, {8, scratch_dir()}};
    const std::u16string list = entries(files);
    ASSERT_EQ(e().call("newexecutelistw", list.c_str(), "initial"), 0);
    ASSERT_TRUE(e().wait_idle());
    EXPECT_EQ(e().result(), 0);
    EXPECT_GE(e().progress(), 99);
    const int32_t expected[] = {0, 1, 0, 0, 1};
    for (size_t i = 0; i < files.size(); ++i) {
        std::string text;
        EXPECT_EQ(entry(i, text), expected[i]) << i;
        if (expected[i] == 0) {
            EXPECT_EQ(text, one(*tvkalgo::algorithm_of_selector(files[i].first), files[i].second));
        }
    }
    std::string text;
    EXPECT_EQ(entry(files.size(), text), tvkalgo::LIST_ENTRY_PENDING);
    // Refused: no entry, or a selector no algorithm has; the last list stays.
    const std::u16string bad = entries({{15, small}});
    for (const char16_t *refused : {u"", bad.c_str()}) {
        EXPECT_EQ(e().call("newexecutelistw", refused, "x"), 1);
    }
    EXPECT_EQ(entry(0, text), 0);
}

TEST(ListJob, CancelDecidesTheRestAsCancelled) {
    const std::string large = write_test_file("list-cancel.bin", pattern_bytes(LARGE * 4));
    const std::string small = write_test_file("list-after.bin", "after");
    const std::u16string list = entries({{5, large}, {5, small}, {3, small}});
    ASSERT_EQ(e().call("newexecutelistw", list.c_str(), "initial"), 0);
    e().call("pause");
    e().call("cancel");
    ASSERT_TRUE(e().wait_idle());
    EXPECT_EQ(e().result(), 2);
    for (size_t i = 0; i < 3; ++i) {
        std::string text;
        EXPECT_EQ(entry(i, text), 2) << i;
    }
}

} // namespace
