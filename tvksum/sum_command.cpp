// sum_command.cpp -- checksums of files and of strings, printed as
// sha256sum prints them.
#include "commands.h"

#include "input_file.h"
#include "interrupt.h"
#include "job_runner.h"
#include "messages.h"
#include "sum_line.h"
#include "utf.h"

#include <cstdio>
#include <vector>

namespace tvksum {

static std::vector<const AlgoInfo *> chosen_algorithms(const Options &opt) {
    std::vector<const AlgoInfo *> list;
    if (opt.all) {
        for (const AlgoInfo &a : kAlgorithms)
            list.push_back(&a);
    } else {
        list.push_back(opt.algo ? opt.algo : &info(Algo::Sha256));
    }
    return list;
}

static void print_line(const Options &opt, const AlgoInfo &algo, const std::string &sum,
                       const std::string &name) {
    const std::string line =
        (opt.all || opt.tag) ? format_tag_line(algo, sum, name) : format_sum_line(sum, name);
    std::fwrite(line.data(), 1, line.size(), stdout);
}

int run_sum(const Options &opt, JobRunner &runner) {
    const auto algos = chosen_algorithms(opt);
    int rc = kExitOk;
    for (const std::string &name : opt.files) {
        if (interrupted())
            break;
        InputFile input(name);
        if (!input.error().empty()) {
            warn(shown_name(name) + ": " + input.error());
            rc = kExitFailed;
            continue;
        }
        for (const AlgoInfo *algo : algos) {
            const std::string shown =
                opt.all ? name + " (" + std::string(algo->job_name) + ")" : name;
            const JobOutcome out = runner.checksum_file(*algo, input.path(), shown);
            if (out.kind == JobOutcome::Ok) {
                print_line(opt, *algo, out.sum, name);
                continue;
            }
            warn(file_error(name, out));
            if (out.kind == JobOutcome::Interrupted)
                return kExitInterrupted;
            if (out.engine_broken)
                return kExitFailed;
            rc = kExitFailed;
            break;
        }
    }
    std::fflush(stdout);
    return interrupted() ? kExitInterrupted : rc;
}

int run_strings(const Options &opt, JobRunner &runner) {
    const auto algos = chosen_algorithms(opt);
    for (const std::string &text : opt.strings)
        if (!utf8_to_utf16(text)) {
            warn("the text given with -s is not valid UTF-8");
            return kExitUsage;
        }
    for (const std::string &text : opt.strings) {
        for (const AlgoInfo *algo : algos) {
            const std::string sum = runner.checksum_string(*algo, text);
            if (sum.empty()) {
                warn("the engine gave no valid checksum");
                return kExitFailed;
            }
            print_line(opt, *algo, sum, "-");
        }
    }
    std::fflush(stdout);
    return kExitOk;
}

} // namespace tvksum
