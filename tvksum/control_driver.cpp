// control_driver.cpp -- the event sink and the timer loop.
#include "control_driver.h"

#include "ErrorNumbers.h"
#include "interrupt.h"
#include "utf.h"
#include "whole_file.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <sys/stat.h>
#include <thread>

namespace tvksum {

using namespace checklist; // the list lines and algorithm names tvksum shares with the control

ControlDriver::ControlDriver(ProgressBar &bar) : bar_(bar), control_(this) {}

namespace {

// Files smaller than these are answered by the control's synchronous
// HashFile, at once; larger ones run as a background job, which Ctrl-C can
// cancel and whose progress a bar shows. A file of under 1 MiB is done
// before a bar could be seen; with no bar, the job is kept only where a
// cancel within one block matters.
constexpr std::int64_t kSyncLimitWithBar = std::int64_t{1} << 20;
constexpr std::int64_t kSyncLimitWithoutBar = std::int64_t{64} << 20;
// A regular file smaller than this is read here and its bytes hashed by
// HashData: one open instead of the control's check and the engine's read.
constexpr std::size_t kWholeReadRoom = std::size_t{1} << 20;
// From this many bytes on, several cores of a file hash on two threads:
// below it the hand-over costs about what the second processor saves.
constexpr std::size_t kSideMinSize = 4096;

// The ticks come more often than the timer's interval: this host delivers
// them itself, and a tick costs no more than a few engine calls, so the end
// of a job is seen within kLongestSleep rather than at the next 100 ms. A
// small file's job, which has no synchronous method to go to, ends within a
// few hundred microseconds: for the first kBusyTicks the loop only yields
// the processor between ticks, then it sleeps 50 us, 100, 200 ... up to
// kLongestSleep.
constexpr std::chrono::microseconds kBusyTicks{400};
constexpr long kLongestSleepUs = 2000;
static_assert(kLongestSleepUs <= tvk::Timer::Interval * 1000L);

void wait_for_tick(std::chrono::steady_clock::time_point job_start, int &sleeps) {
    if (std::chrono::steady_clock::now() - job_start < kBusyTicks) {
        std::this_thread::yield();
        return;
    }
    const long us = sleeps < 6 ? std::min(50L << sleeps, kLongestSleepUs) : kLongestSleepUs;
    ++sleeps;
    timespec ts{0, us * 1000L};
    nanosleep(&ts, nullptr); // Ctrl-C cuts it short, which is what we want
}

} // namespace

bool ControlDriver::synchronous(const std::string &path, std::int64_t size) const {
    if (size < 0) {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return true; // the control refuses it at once either way
        size = static_cast<std::int64_t>(st.st_size);
    }
    return size < (bar_.enabled() ? kSyncLimitWithBar : kSyncLimitWithoutBar);
}

JobOutcome ControlDriver::checksum_file(const AlgoInfo &algo, const std::string &path,
                                        const std::string &display, std::int64_t size) {
    return checksum_file(std::vector<const AlgoInfo *>{&algo}, path, display, size);
}

namespace {

// The name of an algorithm as the control takes it.
const tvk::String &job_name_utf16(const AlgoInfo &algo) {
    static const auto names = [] {
        std::array<tvk::String, tvkalgo::algorithm_count> all;
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = utf8_to_utf16(kAlgorithms[i].job_name).value();
        return all;
    }();
    return names[static_cast<std::size_t>(algo.algo)];
}

// The names of the algorithms as the control takes them: one name, or a
// list separated by commas.
tvk::String name_list(const std::vector<const AlgoInfo *> &algos) {
    std::string names;
    for (const AlgoInfo *algo : algos)
        names.append(names.empty() ? "" : ",").append(algo->job_name);
    return utf8_to_utf16(names).value();
}

// The checksum texts of a control's answer for several algorithms, which
// separates them by one blank; empty unless each is one algorithm's digits.
std::vector<std::string> split_sums(const std::string &text,
                                    const std::vector<const AlgoInfo *> &algos) {
    std::vector<std::string> sums;
    std::size_t at = 0;
    for (std::size_t i = 0; i < algos.size(); ++i) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        sums.push_back(text.substr(at, end - at));
        if (!is_hex(sums.back(), algos[i]->digits) ||
            (end == text.size()) != (i + 1 == algos.size()))
            return {};
        at = end + 1;
    }
    return sums;
}

} // namespace

JobOutcome ControlDriver::checksum_file(const std::vector<const AlgoInfo *> &algos,
                                        const std::string &path, const std::string &display,
                                        std::int64_t size) {
    display_ = display;
    finished_ = false;
    sum_.clear();
    error_number_ = 0;
    error_text_.clear();

    JobOutcome out;
    const auto name = utf8_to_utf16(path);
    if (!name) {
        out.error_text = "the file name is not valid UTF-8";
        return out;
    }
    bool cancel_sent = false;
    long long whole = -1;
    if (size >= 0 && static_cast<std::uint64_t>(size) < kWholeReadRoom) {
        // Room for the file and a byte more, kept for the next file; not
        // cleared, as the read fills what is used.
        const std::size_t room = static_cast<std::size_t>(size) + 1;
        if (room > whole_room_) {
            whole_room_ = std::max(room, std::min(whole_room_ * 2, kWholeReadRoom));
            whole_.reset(new unsigned char[whole_room_]);
        }
        whole = read_whole_file(path, whole_.get(), whole_room_);
    }
    if (whole >= 0 || synchronous(path, size)) {
        // The bytes read here are hashed once per algorithm; else the
        // control reads the file once for all of them.
        const tvk::String sums = whole >= 0 ? sums_of_bytes(algos, static_cast<std::size_t>(whole))
                                            : control_.HashFile(name_list(algos), *name, u"hex");
        if (error_number_ == 0) {
            finished_ = true;
            sum_ = utf16_to_utf8(sums);
        } else if ((whole >= 0 || error_number_ == tvk::Error::InputFileInvalid) &&
                   checksum_string(*algos.front(), std::string()).empty()) {
            // The control words an engine it cannot call (no interface1)
            // as an invalid selection of bytes or an invalid input file;
            // that it cannot hash an empty string either tells them apart.
            out.error_text = "the engine gave no valid checksum";
            out.engine_broken = engine_broken_ = true;
            return out;
        }
    } else {
        control_.NewCheckSumFile(name_list(algos), *name);
        const auto job_start = std::chrono::steady_clock::now();
        int sleeps = 0;
        while (control_.Timer1.Enabled()) {
            if (interrupted() && !cancel_sent) {
                control_.CancelExecution();
                cancel_sent = true;
            }
            wait_for_tick(job_start, sleeps);
            control_.Timer1_Timer();
        }
        bar_.clear();
    }

    if (error_number_ == tvk::Error::UserAbort && cancel_sent) {
        out.kind = JobOutcome::Interrupted;
        out.error_number = error_number_;
        out.error_text = error_text_;
    } else if (error_number_ != 0) {
        out.error_number = error_number_;
        out.error_text = error_text_;
    } else if (!finished_) {
        out.error_text = "the job ended without a result";
        out.engine_broken = true;
    } else if ((out.sums = split_sums(sum_, algos)).empty()) {
        out.error_text = "the engine gave no valid checksum";
        out.engine_broken = true;
    } else {
        out.kind = JobOutcome::Ok;
    }
    engine_broken_ = engine_broken_ || out.engine_broken;
    return out;
}

tvk::String ControlDriver::sums_of_bytes(const std::vector<const AlgoInfo *> &algos,
                                         std::size_t size) {
    // The longest row of each core asked for: its text serves the others.
    std::array<const AlgoInfo *, tvkalgo::algorithm_count> longest{};
    std::vector<std::size_t> cores;
    for (const AlgoInfo *algo : algos) {
        if (longest[algo->core] == nullptr)
            cores.push_back(algo->core);
        if (longest[algo->core] == nullptr || longest[algo->core]->digits < algo->digits)
            longest[algo->core] = algo;
    }
    const auto bytes = tvk::DataArgument::Bytes(whole_.get(), size);
    // Several cores over enough bytes: the side thread hashes about half of
    // their cost (the algorithm table's cost column), the costliest first
    // to the lighter side.
    std::array<bool, tvkalgo::algorithm_count> on_side{};
    std::vector<std::size_t> side_cores;
    std::vector<tvk::String> side_names, side_texts;
    if (cores.size() > 1 && size >= kSideMinSize) {
        std::vector<std::size_t> by_cost = cores;
        std::sort(by_cost.begin(), by_cost.end(), [](std::size_t a, std::size_t b) {
            return tvkalgo::algorithm_table[a].cost > tvkalgo::algorithm_table[b].cost;
        });
        std::uint32_t load[2] = {0, 0};
        for (const std::size_t core : by_cost) {
            const bool side = load[1] < load[0];
            load[side] += tvkalgo::algorithm_table[core].cost;
            if (side) {
                on_side[core] = true;
                side_cores.push_back(core);
                side_names.push_back(job_name_utf16(*longest[core]));
            }
        }
        side_texts.resize(side_cores.size());
        if (!side_)
            side_ = std::make_unique<SideHasher>();
        side_->start(side_names, bytes, side_texts);
    }
    std::array<tvk::String, tvkalgo::algorithm_count> texts;
    for (const std::size_t core : cores)
        if (!on_side[core] && error_number_ == 0)
            texts[core] = control_.HashData(job_name_utf16(*longest[core]), bytes, u"hex");
    if (!side_cores.empty()) {
        side_->wait();
        for (std::size_t i = 0; i < side_cores.size(); ++i)
            texts[side_cores[i]] = std::move(side_texts[i]);
    }
    tvk::String sums;
    for (std::size_t i = 0; i < algos.size() && error_number_ == 0; ++i) {
        tvk::String &text = texts[algos[i]->core];
        // The side's control gave none: hashed here, where a failure is
        // reported.
        if (text.empty())
            text = control_.HashData(job_name_utf16(*longest[algos[i]->core]), bytes, u"hex");
        sums.append(i == 0 ? u"" : u" ").append(text, 0, algos[i]->digits);
    }
    return sums;
}

std::string ControlDriver::checksum_string(const AlgoInfo &algo, const std::string &text) {
    if (!utf8_to_utf16(text))
        return {};
    const std::string sum = utf16_to_utf8(control_.HashData(
        job_name_utf16(algo), tvk::DataArgument::Bytes(text.data(), text.size()), u"hex"));
    return is_hex(sum, algo.digits) ? sum : std::string();
}

void ControlDriver::Finished(tvk::String &CheckSumString) {
    finished_ = true;
    sum_ = utf16_to_utf8(CheckSumString);
}

void ControlDriver::Progress(tvk::Long &Value) {
    bar_.update(Value, display_);
}

void ControlDriver::ErrorCode(tvk::Long &ErrorNumber, tvk::String &ErrorDescription) {
    if (error_number_ != 0)
        return; // the first error tells what went wrong
    error_number_ = ErrorNumber;
    error_text_ = utf16_to_utf8(ErrorDescription);
}

} // namespace tvksum
