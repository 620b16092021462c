// check_command.cpp -- verifies checksum lists the way sha256sum -c does:
// "NAME: OK" / "NAME: FAILED" per line, warnings with the counts at the end.
#include "modes.h"

#include "check_line.h"
#include "input_file.h"
#include "interrupt.h"
#include "control_driver.h"
#include "messages.h"
#include "platform.h"
#include "sum_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace tvksum {

namespace {

struct Counts {
    long entries = 0, malformed = 0, unreadable = 0, mismatched = 0, verified = 0;
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

void result(const Options &opt, const std::string &name, const char *what) {
    if (opt.status)
        return;
    std::printf("%s: %s\n", result_name(name).c_str(), what);
}

std::string plural(long n, const char *one, const char *many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Verifies one entry. Returns false when the list cannot go on: Ctrl-C ended
// the job (`rc` 130) or the engine is broken (`rc` 1).
bool verify(const Options &opt, ControlDriver &runner, const CheckEntry &e, const AlgoInfo &algo,
            Counts &c, int &rc) {
    InputFile input(e.name);
    if (!input.error().empty()) {
        if (interrupted()) {
            warn(shown_name(e.name) + ": " + input.error());
            rc = kExitInterrupted;
            return false;
        }
        if (!opt.status)
            warn(shown_name(e.name) + ": " + input.error());
        result(opt, e.name, "FAILED open or read");
        ++c.unreadable;
        return true;
    }
    const JobOutcome out = runner.checksum_file(algo, input.path(), e.name);
    if (out.kind == JobOutcome::Interrupted || out.engine_broken) {
        warn(file_error(e.name, out));
        rc = out.engine_broken ? kExitFailed : kExitInterrupted;
        return false;
    }
    if (out.kind == JobOutcome::Failed) {
        if (opt.ignore_missing && unreadable_reason(e.name) == std::strerror(ENOENT))
            return true;
        if (!opt.status)
            warn(file_error(e.name, out));
        result(opt, e.name, "FAILED open or read");
        ++c.unreadable;
        return true;
    }
    ++c.verified;
    if (platform_equal_nocase(out.sum, e.sum)) {
        if (!opt.quiet)
            result(opt, e.name, "OK");
    } else {
        result(opt, e.name, "FAILED");
        ++c.mismatched;
    }
    return true;
}

// Checks one list. Returns the exit code for it.
int check_list(const Options &opt, ControlDriver &runner, const std::string &list) {
    std::ifstream file;
    std::istream *in = &std::cin;
    if (list != "-") {
        file.open(list, std::ios::binary);
        const std::string reason = unreadable_reason(list);
        if (!file || !reason.empty()) {
            warn(shown_name(list) + ": " + (reason.empty() ? "cannot be read" : reason));
            return kExitFailed;
        }
        in = &file;
    }
    Counts c;
    std::string line;
    long line_number = 0;
    while (std::getline(*in, line)) {
        ++line_number;
        const CheckLine entry = read_check_line(line, opt.algo);
        if (entry.kind == LineKind::Skip)
            continue;
        if (entry.kind == LineKind::Malformed) {
            ++c.malformed;
            if (opt.warn && !opt.status)
                warn(shown_name(list) + ": " + std::to_string(line_number) +
                     ": improperly formatted " +
                     (opt.algo ? std::string(opt.algo->tag) + " " : std::string()) +
                     "checksum line");
            continue;
        }
        ++c.entries;
        int rc = kExitOk;
        if (!verify(opt, runner, entry.entry, *entry.algo, c, rc))
            return rc;
    }
    std::fflush(stdout);
    if (c.entries == 0) {
        warn(shown_name(list) + ": no properly formatted checksum lines found");
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
    if (opt.ignore_missing && c.verified == 0 && c.unreadable == 0) {
        if (!opt.status)
            warn(shown_name(list) + ": no file was verified");
        return kExitFailed;
    }
    const bool bad = c.unreadable || c.mismatched || (opt.strict && c.malformed);
    return bad ? kExitFailed : kExitOk;
}

} // namespace

int run_check(const Options &opt, ControlDriver &runner) {
    int rc = kExitOk;
    for (const std::string &list : opt.files) {
        const int r = check_list(opt, runner, list);
        if (r == kExitInterrupted || interrupted())
            return kExitInterrupted;
        if (runner.engine_broken())
            return kExitFailed;
        if (r != kExitOk)
            rc = r;
    }
    return interrupted() ? kExitInterrupted : rc;
}

} // namespace tvksum
