// control_driver.h -- drives the control: background file jobs polled from our
// own loop, and string checksums.
#ifndef TVKSUM_CONTROL_DRIVER_H
#define TVKSUM_CONTROL_DRIVER_H

#include "TVKChecksum.h"
#include "algorithms.h"
#include "job_outcome.h"
#include "progress_bar.h"
#include "side_hasher.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tvksum {

class ControlDriver : private tvk::TVKChecksumEvents {
  public:
    explicit ControlDriver(ProgressBar &bar);

    // Checksums the file at `path`: a small regular file read here and
    // hashed by the control's HashData, a larger one (or one that cannot be
    // read here) through the control's synchronous HashFile, a large one
    // with NewCheckSumFile, delivering Timer1's ticks
    // every 2 ms at most (sooner at first) until the job's Finished event.
    // The output is the same either way. `display` names the file on the progress bar. Ctrl-C
    // cancels a job through CancelExecution. Throws tvk::RuntimeError when
    // the engine library cannot be loaded.
    // `size` is the file's size when the caller has just looked it up, else
    // -1.
    JobOutcome checksum_file(const checklist::AlgoInfo &algo, const std::string &path,
                             const std::string &display, std::int64_t size = -1);
    // The same for several algorithms from one read of the file: HashData
    // for each over the bytes read here, or one HashFile or NewCheckSumFile
    // with the list of their names. The outcome has one checksum per
    // algorithm, in their order.
    JobOutcome checksum_file(const std::vector<const checklist::AlgoInfo *> &algos,
                             const std::string &path, const std::string &display,
                             std::int64_t size = -1);

    // The checksum of the UTF-8 bytes of `text` through the control's
    // HashData; empty for text that is not UTF-8 or when the control gave
    // no valid checksum text.
    std::string checksum_string(const checklist::AlgoInfo &algo, const std::string &text);

    // A job's outcome had engine_broken set: the engine cannot be used.
    bool engine_broken() const { return engine_broken_; }

  private:
    // Whether `path` (of `size` bytes, -1: not known) is answered by the
    // synchronous HashFile.
    bool synchronous(const std::string &path, std::int64_t size) const;
    // The checksums of the first `size` bytes of whole_, one per algorithm,
    // separated by one blank, as HashFile gives them for a list: HashData
    // once per core (MD5 also gives MD5_32), about half of them on the side
    // thread.
    tvk::String sums_of_bytes(const std::vector<const checklist::AlgoInfo *> &algos,
                              std::size_t size);
    void Finished(tvk::String &CheckSumString) override;
    void Progress(tvk::Long &Value) override;
    void ErrorCode(tvk::Long &ErrorNumber, tvk::String &ErrorDescription) override;

    ProgressBar &bar_;
    tvk::TVKChecksum control_;
    std::string display_;
    bool finished_ = false;
    std::string sum_;
    tvk::Long error_number_ = 0;
    std::string error_text_;
    bool engine_broken_ = false;
    std::unique_ptr<SideHasher> side_;       // made for the first file it helps with
    std::unique_ptr<unsigned char[]> whole_; // a small file's bytes
    std::size_t whole_room_ = 0;             // and their room
};

} // namespace tvksum

#endif
