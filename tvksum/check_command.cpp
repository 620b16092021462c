// check_command.cpp -- verifies checksum lists the way md5sum -c does:
// "NAME: OK" / "NAME: FAILED" per line, warnings with the counts at the end;
// with -j, the files of a list are verified by several workers at once and
// reported in list order.
#include "modes.h"

#include "check_line.h"
#include "file_report.h"
#include "input_file.h"
#include "interrupt.h"
#include "control_driver.h"
#include "list_reader.h"
#include "messages.h"
#include "platform.h"
#include "shell_quote.h"
#include "stdin_copies.h"
#include "sum_line.h"
#include "worker_pool.h"
#include "user_locale.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace tvksum {

using namespace checklist; // the list lines and algorithm names tvksum shares with the control

namespace {

// What a line of the list counted as.
enum Tally : int { kSkipped, kMalformed, kUnreadable, kMismatched, kMatched };

struct Counts {
    long entries = 0, malformed = 0, unreadable = 0, mismatched = 0, matched = 0;
};

// A line of the list that is no comment or blank.
struct ListLine {
    long number = 0;
    CheckLine line;
};

// A name in "NAME: OK" lines; one holding a line feed is escaped.
std::string result_name(const std::string &name) {
    if (name.find('\n') == std::string::npos)
        return name;
    std::string out = "\\";
    for (char c : name) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
    return out;
}

std::string result(const Options &opt, const std::string &name, const char *what) {
    return opt.status ? std::string() : result_name(name) + ": " + what + "\n";
}

std::string plural(long n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A file that could not be opened or read: its message (also with
// --status, as md5sum prints them), then "FAILED open or read".
void unreadable(const Options &opt, const std::string &name, const std::string &message,
                FileReport &r) {
    r.err = warning_line(message);
    r.out = result(opt, name, "FAILED open or read");
    r.tally = kUnreadable;
}

// Verifies one entry; `prepared` is its copy of standard input, if made
// already. A report with `stop` ends the list: Ctrl-C ended the job (rc 130)
// or the engine is broken (rc 1).
FileReport verify(const Options &opt, ControlDriver &runner, const CheckEntry &e,
                  const AlgoInfo &algo, const InputFile *prepared) {
    FileReport r;
    std::optional<InputFile> own;
    const InputFile &input = prepared ? *prepared : own.emplace(e.name);
    if (!input.error().empty()) {
        if (interrupted()) {
            r.err = warning_line(shown_name(e.name) + ": " + input.error());
            r.rc = kExitInterrupted;
            r.stop = true;
            return r;
        }
        unreadable(opt, e.name, shown_name(e.name) + ": " + input.error(), r);
        return r;
    }
    const JobOutcome out = runner.checksum_file(algo, input.path(), e.name, input.size());
    if (out.kind == JobOutcome::Interrupted || out.engine_broken) {
        r.err = warning_line(file_error(e.name, out));
        r.rc = out.engine_broken ? kExitFailed : kExitInterrupted;
        r.stop = true;
        return r;
    }
    if (out.kind == JobOutcome::Failed) {
        if (opt.ignore_missing && unreadable_reason(e.name) == system_error_text(ENOENT))
            return r; // kSkipped
        unreadable(opt, e.name, listed_file_error(e.name, out), r);
        return r;
    }
    if (platform_equal_nocase(out.sums.front(), e.sum)) {
        r.tally = kMatched;
        if (!opt.quiet)
            r.out = result(opt, e.name, "OK");
    } else {
        r.tally = kMismatched;
        r.out = result(opt, e.name, "FAILED");
    }
    return r;
}

FileReport check_line(const Options &opt, ControlDriver &runner, const std::string &shown_list,
                      const ListLine &l, const InputFile *prepared = nullptr) {
    if (l.line.kind == LineKind::Entry)
        return verify(opt, runner, l.line.entry, *l.line.algo, prepared);
    FileReport r;
    r.tally = kMalformed;
    if (opt.warn && !opt.status)
        r.err = warning_line(
            shown_list + ": " + std::to_string(l.number) + ": improperly formatted " +
            (opt.algo ? std::string(opt.algo->tag) + " " : std::string()) + "checksum line");
    return r;
}

// Shows a line's report, the message before the result as md5sum writes
// them, and counts it. False when the list cannot go on.
bool show_check(const FileReport &r, Counts &c, int &rc) {
    if (!r.err.empty()) {
        std::fflush(stdout); // keep the order of lines when both go to one place
        std::fwrite(r.err.data(), 1, r.err.size(), stderr);
    }
    std::fwrite(r.out.data(), 1, r.out.size(), stdout);
    switch (r.tally) {
    case kMalformed:
        ++c.malformed;
        return true;
    case kUnreadable:
        ++c.unreadable;
        break;
    case kMismatched:
        ++c.mismatched;
        break;
    case kMatched:
        ++c.matched;
        break;
    default:
        break;
    }
    if (r.stop) {
        rc = r.rc;
        return false;
    }
    ++c.entries;
    return true;
}

// The counts at the end of a list, and its exit code.
int finish_list(const Options &opt, const std::string &shown_list, const Counts &c) {
    std::fflush(stdout);
    if (c.entries == 0) {
        warn(shown_list + ": no properly formatted checksum lines found");
        return kExitFailed;
    }
    if (!opt.status) {
        if (c.malformed)
            warn("WARNING: " + plural(c.malformed, "line is improperly formatted",
                                      "lines are improperly formatted"));
        if (c.unreadable)
            warn("WARNING: " + plural(c.unreadable, "listed file could not be read",
                                      "listed files could not be read"));
        if (c.mismatched)
            warn("WARNING: " + plural(c.mismatched, "computed checksum did NOT match",
                                      "computed checksums did NOT match"));
    }
    // As md5sum counts it: no file matched, whatever else happened.
    if (opt.ignore_missing && c.matched == 0) {
        if (!opt.status)
            warn(shown_list + ": no file was verified");
        return kExitFailed;
    }
    const bool bad = c.unreadable || c.mismatched || (opt.strict && c.malformed);
    return bad ? kExitFailed : kExitOk;
}

// A list and how its lines are read.
struct ListInput {
    ListReader reader;
    bool from_stdin; // a "-" entry of it is improperly formatted
    BlankForm &form; // shared by the lists of a run
    long number = 0; // of the last line read
};

// Reads the next line that is no comment or empty line; false at the end of
// the list or at a read error.
bool next_line(ListInput &in, const Options &opt, ListLine &out) {
    std::string text;
    while (in.reader.next(text)) {
        out.number = ++in.number;
        out.line = read_check_line(text, opt.algo, in.form);
        // Standard input cannot be both the list and a file in it.
        if (in.from_stdin && out.line.kind == LineKind::Entry && out.line.entry.name == "-")
            out.line = CheckLine{LineKind::Malformed, {}, nullptr};
        if (out.line.kind != LineKind::Skip)
            return true;
    }
    return false;
}

// The end of a list that could not be read to its end: md5sum's message,
// without the counts.
int read_error(const std::string &shown_list) {
    if (interrupted())
        return kExitInterrupted;
    warn(shown_list + ": read error");
    return kExitFailed;
}

// Checks one list. Returns the exit code for it; `stopped` tells that no
// further list can be checked (Ctrl-C, or the engine is broken).
int check_list(const Options &opt, ControlDriver &runner, const std::string &list, BlankForm &form,
               bool &stopped) {
    // The list's name as md5sum shows it.
    const std::string shown_list = shell_quoted(list == "-" ? "standard input" : list);
    ListInput in{ListReader(list), list == "-", form};
    if (!in.reader.open_error().empty()) {
        warn(shown_list + ": " + in.reader.open_error());
        return kExitFailed;
    }
    Counts c;
    int rc = kExitOk;
    ListLine l;
    if (opt.jobs <= 1) {
        // One file after another, as the list is read.
        while (next_line(in, opt, l))
            if (!show_check(check_line(opt, runner, shown_list, l), c, rc)) {
                stopped = true;
                return rc;
            }
        return in.reader.failed() ? read_error(shown_list) : finish_list(opt, shown_list, c);
    }
    std::vector<ListLine> lines;
    while (next_line(in, opt, l))
        lines.push_back(l);
    const auto reads_stdin = [&](std::size_t i) {
        return lines[i].line.kind == LineKind::Entry && lines[i].line.entry.name == "-";
    };
    const StdinCopies stdin_copies(lines.size(), reads_stdin);
    const auto make = [&](std::size_t i, ControlDriver &worker_runner) {
        return check_line(opt, worker_runner, shown_list, lines[i], stdin_copies.copy(i));
    };
    const auto show = [&](const FileReport &r) {
        if (show_check(r, c, rc))
            return true;
        stopped = true;
        return false;
    };
    const std::size_t workers = std::min<std::size_t>(opt.jobs, lines.size());
    PoolResult pooled = PoolResult::NotStarted;
    if (workers > 1)
        pooled = run_in_workers(static_cast<int>(workers), lines.size(), make, show);
    if (pooled == PoolResult::WorkerLost) {
        warn("a worker process ended unexpectedly");
        stopped = true;
        return kExitFailed;
    }
    if (pooled == PoolResult::NotStarted) {
        for (std::size_t i = 0; i < lines.size() && !interrupted(); ++i)
            if (!show(make(i, runner)))
                break;
    }
    if (stopped || interrupted())
        return interrupted() ? kExitInterrupted : rc;
    return in.reader.failed() ? read_error(shown_list) : finish_list(opt, shown_list, c);
}

} // namespace

int run_check(const Options &opt, ControlDriver &runner) {
    int rc = kExitOk;
    BlankForm form = BlankForm::Undecided;
    for (const std::string &list : opt.files) {
        bool stopped = false;
        const int r = check_list(opt, runner, list, form, stopped);
        if (r == kExitInterrupted || interrupted())
            return kExitInterrupted;
        if (stopped)
            return r;
        if (r != kExitOk)
            rc = r;
    }
    return interrupted() ? kExitInterrupted : rc;
}

} // namespace tvksum
