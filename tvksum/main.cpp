// main.cpp -- tvksum: sha256sum-style checksums through the TVK Checksum
// control.
#include "about.h"
#include "modes.h"
#include "help_text.h"
#include "interrupt.h"
#include "control_driver.h"
#include "messages.h"
#include "options.h"
#include "progress_bar.h"
#include "utf.h"

#include <cstdio>

using namespace tvksum;

static int run(const Options &opt) {
    switch (opt.mode) {
    case Mode::Help:
        std::fputs(help_text().c_str(), stdout);
        return kExitOk;
    case Mode::Version:
        std::fputs(version_text().c_str(), stdout);
        return kExitOk;
    case Mode::About:
        std::fputs(about_text().c_str(), stdout);
        return kExitOk;
    default:
        break;
    }
    ProgressBar bar(stderr);
    ControlDriver runner(bar);
    try {
        if (opt.mode == Mode::Strings)
            return run_strings(opt, runner);
        if (opt.mode == Mode::Check)
            return run_check(opt, runner);
        return run_sum(opt, runner);
    } catch (const tvk::RuntimeError &e) {
        bar.clear();
        warn(utf16_to_utf8(e.Description) + " (run-time error " + std::to_string(e.Number) + ")");
        return kExitFailed;
    }
}

int main(int argc, char **argv) {
    const ParseResult parsed = parse_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        warn(parsed.error);
        std::fputs(try_help_text().c_str(), stderr);
        return kExitUsage;
    }
    install_interrupt_handler();
    int rc = run(parsed.options);
    if (rc == kExitInterrupted)
        rc = interrupted_exit_code(); // 143 after SIGTERM
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        warn("write error on standard output");
        return kExitFailed;
    }
    return rc;
}
