// options.cpp -- parses the command line: short options may be bundled
// ("-qc"), values may be attached ("-amd5", "--algorithm=md5"), "--" ends
// the options.
#include "options.h"

#include "sum_sets.h"

#include <algorithm>
#include <utility>

namespace tvksum {

using namespace checklist; // the list lines and algorithm names tvksum shares with the control

namespace {

struct Parser {
    explicit Parser(const std::vector<std::string> &a) : args(a) {}
    const std::vector<std::string> &args;
    std::size_t pos = 0;
    Options opt;
    bool check = false, strings_given = false, about = false, help = false, version = false;
    // -b (1) or -t (0), the last one given; --tag and --all set binary, as
    // their lines have no text mode; -1: neither.
    int binary = -1;
    std::string error;

    // -c's output: the last of --status, --warn and --quiet counts, as in
    // md5sum.
    void set_output(bool status, bool warn, bool quiet) {
        opt.status = status;
        opt.warn = warn;
        opt.quiet = quiet;
    }

    bool fail(std::string msg) {
        if (error.empty())
            error = std::move(msg);
        return false;
    }

    // -a NAME or -a NAME,NAME...: each name as the control takes it or its
    // tag; no name empty, at most as many as one set of the engine holds.
    bool set_algo(const std::string &list) {
        std::vector<const AlgoInfo *> algos;
        for (std::size_t at = 0; at <= list.size();) {
            const std::size_t end = std::min(list.find(',', at), list.size());
            const std::string name = list.substr(at, end - at);
            const AlgoInfo *a = find_algorithm(name);
            if (!a) {
                std::string names;
                for (const AlgoInfo &row : kAlgorithms)
                    names += (names.empty()                 ? ""
                              : &row == &kAlgorithms.back() ? " or "
                                                            : ", ") +
                             std::string(row.job_name);
                return fail("unknown algorithm '" + name + "' (choose " + names + ")");
            }
            algos.push_back(a);
            at = end + 1;
        }
        if (algos.size() > tvkalgo::SUM_SET_MAX_SIZE)
            return fail("too many algorithms (at most " +
                        std::to_string(tvkalgo::SUM_SET_MAX_SIZE) + ")");
        opt.algos = algos;
        opt.algo = algos.size() == 1 ? algos.front() : nullptr;
        return true;
    }

    bool set_jobs(const std::string &text) {
        int n = 0;
        for (char c : text) {
            if (c < '0' || c > '9' || n > 1000)
                return fail("invalid number of jobs '" + text + "'");
            n = n * 10 + (c - '0');
        }
        if (text.empty() || n < 1 || n > 1000)
            return fail("invalid number of jobs '" + text + "' (1 to 1000)");
        opt.jobs = n;
        return true;
    }

    // Value of an option: the attached text, or the next argument.
    bool value(const std::string &attached, bool has_attached, const std::string &name,
               std::string &out) {
        if (has_attached) {
            out = attached;
            return true;
        }
        if (pos >= args.size())
            return fail("option '" + name + "' requires an argument");
        out = args[pos++];
        return true;
    }

    bool long_option(const std::string &arg) {
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const bool has_value = eq != std::string::npos;
        const std::string attached = has_value ? arg.substr(eq + 1) : std::string();
        std::string v;
        if (name == "--algorithm") {
            return value(attached, has_value, name, v) && set_algo(v);
        }
        if (name == "--string") {
            if (!value(attached, has_value, name, v))
                return false;
            opt.strings.push_back(v);
            strings_given = true;
            return true;
        }
        if (name == "--jobs")
            return value(attached, has_value, name, v) && set_jobs(v);
        if (has_value)
            return fail("option '" + name + "' doesn't allow an argument");
        if (name == "--check")
            check = true;
        else if (name == "--all")
            opt.all = true, binary = 1;
        else if (name == "--tag")
            opt.tag = true, binary = 1;
        else if (name == "--binary")
            binary = 1;
        else if (name == "--text")
            binary = 0;
        else if (name == "--quiet")
            set_output(false, false, true);
        else if (name == "--status")
            set_output(true, false, false);
        else if (name == "--strict")
            opt.strict = true;
        else if (name == "--ignore-missing")
            opt.ignore_missing = true;
        else if (name == "--warn")
            set_output(false, true, false);
        else if (name == "--zero")
            opt.zero = true;
        else if (name == "--recursive")
            opt.recursive = true;
        else if (name == "--dereference")
            opt.follow_links = true;
        else if (name == "--about")
            about = true;
        else if (name == "--help")
            help = true;
        else if (name == "--version")
            version = true;
        else
            return fail("unrecognized option '" + arg + "'");
        return true;
    }

    bool short_options(const std::string &arg) {
        for (std::size_t i = 1; i < arg.size(); ++i) {
            const char c = arg[i];
            const bool rest = i + 1 < arg.size();
            const std::string attached = rest ? arg.substr(i + 1) : std::string();
            std::string v;
            switch (c) {
            case 'a':
                return value(attached, rest, "-a", v) && set_algo(v);
            case 's':
                if (!value(attached, rest, "-s", v))
                    return false;
                opt.strings.push_back(v);
                strings_given = true;
                return true;
            case 'j':
                return value(attached, rest, "-j", v) && set_jobs(v);
            case 'c':
                check = true;
                break;
            case 'b':
                binary = 1;
                break;
            case 't':
                binary = 0;
                break;
            case 'w':
                set_output(false, true, false);
                break;
            case 'z':
                opt.zero = true;
                break;
            case 'r':
                opt.recursive = true;
                break;
            case 'L':
                opt.follow_links = true;
                break;
            case 'q':
                set_output(false, false, true);
                break;
            case 'h':
                help = true;
                break;
            default:
                return fail(std::string("invalid option -- '") + c + "'");
            }
        }
        return true;
    }

    bool run() {
        bool options_done = false;
        while (pos < args.size()) {
            const std::string &arg = args[pos++];
            if (options_done || arg == "-" || arg.size() < 2 || arg[0] != '-') {
                opt.files.push_back(arg);
            } else if (arg == "--") {
                options_done = true;
            } else if (arg[1] == '-') {
                if (!long_option(arg))
                    return false;
            } else if (!short_options(arg)) {
                return false;
            }
        }
        return decide_mode();
    }

    bool decide_mode() {
        if (help) {
            opt.mode = Mode::Help;
            return true;
        }
        if (version) {
            opt.mode = Mode::Version;
            return true;
        }
        if (about) {
            opt.mode = Mode::About;
            return true;
        }
        // md5sum's refusals, in its order and words.
        if (binary == 0 && (opt.tag || opt.all))
            return fail(std::string(opt.tag ? "--tag" : "--all") + " does not support --text mode");
        if (check && opt.zero)
            return fail("the --zero option is not supported when verifying checksums");
        if (check && opt.tag)
            return fail("the --tag option is meaningless when verifying checksums");
        if (check && binary >= 0 && !opt.all)
            return fail("the --binary and --text options are meaningless when verifying "
                        "checksums");
        if (!check) {
            const std::pair<bool, const char *> only_check[] = {
                {opt.ignore_missing, "--ignore-missing"},
                {opt.status, "--status"},
                {opt.warn, "--warn"},
                {opt.quiet, "--quiet"},
                {opt.strict, "--strict"}};
            for (const auto &[given, name] : only_check)
                if (given)
                    return fail(std::string("the ") + name +
                                " option is meaningful only when verifying checksums");
        }
        // tvksum's own.
        if (check && strings_given)
            return fail("-c and -s cannot be used together");
        if (check && opt.all)
            return fail("the --all option is meaningless when verifying checksums");
        if (check && opt.recursive)
            return fail("--recursive is meaningless when verifying checksums");
        if (strings_given && opt.recursive)
            return fail("-s cannot be used together with --recursive");
        if (opt.all && !opt.algos.empty())
            return fail("--all and -a cannot be used together");
        if (check && opt.algos.size() > 1)
            return fail("-c takes one algorithm with -a");
        if (strings_given && !opt.files.empty())
            return fail("-s cannot be used together with file names");
        opt.binary = binary == 1 && !opt.tag && !opt.all;
        opt.mode = check ? Mode::Check : strings_given ? Mode::Strings : Mode::Sum;
        if (opt.files.empty() && opt.mode != Mode::Strings)
            opt.files.push_back("-");
        return true;
    }
};

} // namespace

ParseResult parse_options(const std::vector<std::string> &args) {
    Parser p(args);
    ParseResult r;
    if (!p.run())
        r.error = p.error.empty() ? "bad usage" : p.error;
    r.options = p.opt;
    return r;
}

} // namespace tvksum
