// job_runner.cpp -- the event sink and the timer loop.
#include "job_runner.h"

#include "interrupt.h"
#include "utf.h"

#include <ctime>

namespace tvksum {

JobRunner::JobRunner(ProgressBar &bar) : bar_(bar), control_(this) {}

static void sleep_one_tick() {
    timespec ts{0, tvk::Timer::Interval * 1000000L};
    nanosleep(&ts, nullptr); // Ctrl-C cuts it short, which is what we want
}

JobOutcome JobRunner::checksum_file(const AlgoInfo &algo, const std::string &path,
                                    const std::string &display) {
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
    control_.NewCheckSumFile(utf8_to_utf16(algo.job_name).value(), *name);
    bool cancel_sent = false;
    while (control_.Timer1.Enabled()) {
        if (interrupted() && !cancel_sent) {
            control_.CancelExecution();
            cancel_sent = true;
        }
        sleep_one_tick();
        control_.Timer1_Timer();
    }
    bar_.clear();

    if (error_number_ == 9 && cancel_sent) {
        out.kind = JobOutcome::Interrupted;
        out.error_number = error_number_;
        out.error_text = error_text_;
    } else if (error_number_ != 0) {
        out.error_number = error_number_;
        out.error_text = error_text_;
    } else if (!finished_) {
        out.error_text = "the job ended without a result";
        out.engine_broken = true;
    } else if (!is_hex(sum_, algo.digits)) {
        out.error_text = "the engine gave no valid checksum";
        out.engine_broken = true;
    } else {
        out.kind = JobOutcome::Ok;
        out.sum = sum_;
    }
    engine_broken_ = engine_broken_ || out.engine_broken;
    return out;
}

std::string JobRunner::checksum_string(const AlgoInfo &algo, const std::string &text) {
    using Method = tvk::String (tvk::TVKChecksum::*)(tvk::String, tvk::Long);
    Method m = nullptr;
    switch (algo.algo) {
    case Algo::Adler32:
        m = &tvk::TVKChecksum::Adler32String;
        break;
    case Algo::Crc32:
        m = &tvk::TVKChecksum::CRC32String;
        break;
    case Algo::Sha256:
        m = &tvk::TVKChecksum::SHA256String;
        break;
    case Algo::Sha1:
        m = &tvk::TVKChecksum::SHA1String;
        break;
    case Algo::Md5:
        m = &tvk::TVKChecksum::MD5String;
        break;
    case Algo::Md5_32:
        m = &tvk::TVKChecksum::MD5_32String;
        break;
    case Algo::Tvk32:
        m = &tvk::TVKChecksum::TVK32String;
        break;
    }
    const auto wide = utf8_to_utf16(text);
    if (!wide || text.size() > 0x7fffffffu)
        return {};
    const std::string sum =
        utf16_to_utf8((control_.*m)(*wide, static_cast<tvk::Long>(text.size())));
    return is_hex(sum, algo.digits) ? sum : std::string();
}

void JobRunner::Finished(tvk::String &CheckSumString) {
    finished_ = true;
    sum_ = utf16_to_utf8(CheckSumString);
}

void JobRunner::Progress(tvk::Long &Value) {
    bar_.update(Value, display_);
}

void JobRunner::ErrorCode(tvk::Long &ErrorNumber, tvk::String &ErrorDescription) {
    if (error_number_ != 0)
        return; // the first error tells what went wrong
    error_number_ = ErrorNumber;
    error_text_ = utf16_to_utf8(ErrorDescription);
}

} // namespace tvksum
