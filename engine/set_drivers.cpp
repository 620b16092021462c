/* set_drivers.cpp -- a file read once for a set of algorithms, and the
 * files of a list job read one after another. */
#include "set_drivers.h"

#include "core_set.h"
#include "file_reading.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

namespace tvkengine {

using tvkalgo::LIST_ENTRY_PENDING;

namespace {

template <class Char>
int32_t set_file(FileRun &run, const Char *path, const int32_t *set, char *output) {
    SetCore core(set);
    if (!core.ok()) {
        return JOB_OPEN_FAILED;
    }
    const int32_t result = read_file(run, path, core.read_piece_size(), core);
    if (job_has_text(result)) {
        core.text(output);
    }
    return result;
}

/* Room for the text of one entry: the longest file output. */
constexpr size_t LIST_TEXT_SIZE = 130;

constexpr bool list_texts_fit() {
    for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
        if (row.file_output_size > LIST_TEXT_SIZE) {
            return false;
        }
    }
    return true;
}
static_assert(list_texts_fit(), "an entry's text holds any file output");

/* Trivially destructible: its block is freed without destructors. */
struct EntryResult {
    std::atomic<int32_t> result{LIST_ENTRY_PENDING};
    char text[LIST_TEXT_SIZE] = {}; // written before result (release)
};

/* The last list job's entries, as the caller gave them, and their results.
 * The worker reads them without the lock (no new list replaces them while
 * it holds the slot); "getlistentry" takes it, as a new list may be stored
 * on another thread meanwhile. */
/* malloc and free: nothing here needs the C++ runtime's allocation and
 * its exceptions. */
struct Free {
    void operator()(void *block) const { std::free(block); }
};
template <class T> using Block = std::unique_ptr<T[], Free>;

template <class T> Block<T> allocate(size_t count) {
    return Block<T>(static_cast<T *>(std::malloc(count * sizeof(T))));
}

struct JobList {
    Block<char16_t> units;
    Block<size_t> starts; // each entry's selector unit
    Block<EntryResult> results;
    size_t count = 0;
};

PlatformLock list_lock;
JobList job_list;

const tvkalgo::AlgorithmFacts *row_of(char16_t unit) {
    return tvkalgo::algorithm_of_selector(static_cast<int32_t>(unit));
}

} // namespace

int32_t digest_file_set(FileRun &run, const char *path, const int32_t *set, char *output) {
    return set_file(run, path, set, output);
}

int32_t digest_file_set(FileRun &run, const char16_t *path, const int32_t *set, char *output) {
    return set_file(run, path, set, output);
}

bool store_job_list(const char16_t *entries) {
    size_t count = 0;
    size_t units = 0;
    while (entries[units] != u'\0') {
        if (row_of(entries[units]) == nullptr) {
            return false;
        }
        size_t length = 0;
        while (entries[units + 1 + length] != u'\0') {
            if (++length >= JOB_WIDE_FILE_NAME_SIZE) {
                return false;
            }
        }
        units += length + 2;
        ++count;
    }
    if (count == 0) {
        return false;
    }
    JobList list;
    list.units = allocate<char16_t>(units);
    list.starts = allocate<size_t>(count);
    list.results = allocate<EntryResult>(count);
    if (!list.units || !list.starts || !list.results) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        new (&list.results[i]) EntryResult();
    }
    std::memcpy(list.units.get(), entries, units * sizeof(char16_t));
    for (size_t at = 0; list.count < count; ++list.count) {
        list.starts[list.count] = at;
        at += std::char_traits<char16_t>::length(entries + at + 1) + 2;
    }
    std::lock_guard<PlatformLock> hold(list_lock);
    std::swap(job_list, list);
    return true;
}

int32_t run_job_list(FileRun &run) {
    // The sizes first, so the progress spans the list from the start.
    int64_t total = 0;
    for (size_t i = 0; i < job_list.count; ++i) {
        const int64_t size = platform_path_size(job_list.units.get() + job_list.starts[i] + 1);
        total += size > 0 ? size : 0;
    }
    run.list_total.store(total, std::memory_order_relaxed);
    uint64_t before = 0;
    int32_t outcome = JOB_DONE;
    for (size_t i = 0; i < job_list.count; ++i) {
        EntryResult &entry = job_list.results[i];
        const char16_t *unit = job_list.units.get() + job_list.starts[i];
        // While paused the list moves one entry per sleep, as a file moves
        // one block.
        if (outcome == JOB_DONE && run.pause_flag.load(std::memory_order_acquire) != 0) {
            platform_sleep_ms(PAUSE_SLEEP_MS);
        }
        if (outcome == JOB_DONE && cancelling(run)) {
            outcome = JOB_CANCELLED;
        }
        if (outcome == JOB_CANCELLED) {
            entry.result.store(JOB_CANCELLED, std::memory_order_release);
            continue;
        }
        const int32_t result = drivers_of(row_of(unit[0])->id).wide_file(run, unit + 1, entry.text);
        entry.result.store(result, std::memory_order_release);
        before += run.bytes_done.load(std::memory_order_relaxed);
        run.bytes_done.store(0, std::memory_order_relaxed);
        run.bytes_before.store(before, std::memory_order_relaxed);
        if (result == JOB_CANCELLED) {
            outcome = JOB_CANCELLED;
        }
    }
    return outcome;
}

int32_t job_list_entry(size_t index, char *output) {
    std::lock_guard<PlatformLock> hold(list_lock);
    if (index >= job_list.count) {
        return LIST_ENTRY_PENDING;
    }
    const EntryResult &entry = job_list.results[index];
    const int32_t result = entry.result.load(std::memory_order_acquire);
    if (result == JOB_DONE) {
        std::memcpy(output, entry.text, LIST_TEXT_SIZE);
    }
    return result;
}

} // namespace tvkengine
