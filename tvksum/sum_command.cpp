// sum_command.cpp -- checksums of files and of strings, printed as
// sha256sum prints them.
#include "modes.h"

#include "file_report.h"
#include "file_walk.h"
#include "input_file.h"
#include "interrupt.h"
#include "control_driver.h"
#include "messages.h"
#include "stdin_copies.h"
#include "sum_line.h"
#include "utf.h"
#include "worker_pool.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace tvksum {

using namespace checklist; // the list lines and algorithm names tvksum shares with the control

static std::vector<const AlgoInfo *> chosen_algorithms(const Options &opt) {
    std::vector<const AlgoInfo *> list;
    if (opt.all) {
        for (const AlgoInfo &a : kAlgorithms)
            list.push_back(&a);
    } else if (!opt.algos.empty()) {
        list = opt.algos;
    } else {
        list.push_back(&info(Algo::Sha256));
    }
    return list;
}

// Several algorithms (--all, -a NAME,NAME) write tagged lines, which say
// whose checksum each is.
static std::string sum_line(const Options &opt, const AlgoInfo &algo, const std::string &sum,
                            const std::string &name) {
    return (opt.all || opt.tag || opt.algos.size() > 1)
               ? format_tag_line(algo, sum, name, opt.zero)
               : format_sum_line(sum, name, opt.zero, opt.binary);
}

static void print_line(const Options &opt, const AlgoInfo &algo, const std::string &sum,
                       const std::string &name) {
    const std::string line = sum_line(opt, algo, sum, name);
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// The lines of one operand, or why it failed; `prepared` is its copy of
// standard input, if made already.
static FileReport sum_file(const Options &opt, const std::vector<const AlgoInfo *> &algos,
                           ControlDriver &runner, const Operand &op,
                           const InputFile *prepared = nullptr) {
    FileReport r;
    const std::string &name = op.name;
    if (!op.error.empty()) {
        r.err = warning_line(shown_name(name) + ": " + op.error);
        r.rc = kExitFailed;
        return r;
    }
    std::optional<InputFile> own;
    const InputFile &input = prepared ? *prepared : own.emplace(name);
    if (!input.error().empty()) {
        r.err = warning_line(shown_name(name) + ": " + input.error());
        r.rc = kExitFailed;
        return r;
    }
    // Every algorithm from one read of the file.
    const JobOutcome out = runner.checksum_file(algos, input.path(), name, input.size());
    if (out.kind == JobOutcome::Ok) {
        for (std::size_t i = 0; i < algos.size(); ++i)
            r.out += sum_line(opt, *algos[i], out.sums[i], name);
        return r;
    }
    r.err = warning_line(file_error(name, out));
    r.rc = out.kind == JobOutcome::Interrupted ? kExitInterrupted : kExitFailed;
    r.stop = out.kind == JobOutcome::Interrupted || out.engine_broken;
    return r;
}

void show_report(const FileReport &report) {
    std::fwrite(report.out.data(), 1, report.out.size(), stdout);
    if (!report.err.empty()) {
        std::fflush(stdout); // keep the order of lines when both go to one place
        std::fwrite(report.err.data(), 1, report.err.size(), stderr);
    }
}

int run_sum(const Options &opt, ControlDriver &runner) {
    const auto algos = chosen_algorithms(opt);
    const std::vector<Operand> operands =
        expand_operands(opt.files, opt.recursive, opt.follow_links);
    int rc = kExitOk;
    const auto show = [&rc](const FileReport &r) {
        show_report(r);
        if (r.rc != kExitOk && rc != kExitInterrupted)
            rc = r.rc;
        return !r.stop;
    };
    std::optional<StdinCopies> stdin_copies;
    const auto make = [&](std::size_t i, ControlDriver &worker_runner) {
        const InputFile *prepared = stdin_copies ? stdin_copies->copy(i) : nullptr;
        return sum_file(opt, algos, worker_runner, operands[i], prepared);
    };

    PoolResult pooled = PoolResult::NotStarted;
    if (opt.jobs > 1 && operands.size() > 1) {
        const int workers = static_cast<int>(std::min<std::size_t>(opt.jobs, operands.size()));
        stdin_copies.emplace(operands.size(), [&](std::size_t i) {
            return operands[i].name == "-" && operands[i].error.empty();
        });
        pooled = run_in_workers(workers, operands.size(), make, show);
        if (pooled == PoolResult::WorkerLost) {
            warn("a worker process ended unexpectedly");
            rc = kExitFailed;
        }
    }
    if (pooled == PoolResult::NotStarted) {
        for (std::size_t i = 0; i < operands.size() && !interrupted(); ++i)
            if (!show(make(i, runner)))
                break;
    }
    std::fflush(stdout);
    return interrupted() ? kExitInterrupted : rc;
}

int run_strings(const Options &opt, ControlDriver &runner) {
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
