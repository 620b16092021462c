// verify_list.cpp -- a host of the control that verifies one checksum list
// with NewVerifyList, ticking Timer1 as fast as it can (the tests' host
// loop), and prints "NAME: RESULT" per line and then the summary, as
// sha256sum -c prints its lines (bench/small_files.sh times the two).
//   tvk_verify_list LIST
// Exit status: 0 when every line is OK, 1 otherwise.
#include "TVKChecksum.h"

#include "platform.h"

#include <cstdio>
#include <string>
#include <thread>

namespace {

std::string Utf8(const tvk::String &text) {
    return platform_utf16_to_utf8(text, U'\uFFFD');
}

class Printer : public tvk::TVKChecksumEvents {
  public:
    void Finished(tvk::String &CheckSumString) override { summary = Utf8(CheckSumString); }
    void Progress(tvk::Long &) override {}
    void ErrorCode(tvk::Long &, tvk::String &ErrorDescription) override {
        std::fprintf(stderr, "%s\n", Utf8(ErrorDescription).c_str());
        failed = true;
    }
    void FileChecked(tvk::String &FileName, tvk::String &Result) override {
        const std::string result = Utf8(Result);
        std::printf("%s: %s\n", Utf8(FileName).c_str(), result.c_str());
        failed = failed || result != "OK";
    }
    std::string summary;
    bool failed = false;
};

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tvk_verify_list LIST\n");
        return 2;
    }
    Printer printer;
    tvk::TVKChecksum control(&printer);
    control.NewVerifyList(platform_utf8_to_utf16(argv[1], nullptr));
    while (control.Timer1.Enabled()) {
        control.Timer1_Timer();
        std::this_thread::yield();
    }
    std::printf("%s\n", printer.summary.c_str());
    return printer.failed ? 1 : 0;
}
