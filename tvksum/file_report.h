// file_report.h -- what checksumming one operand gave, held until it is shown
// (in order, also when several worker processes make the reports).
#ifndef TVKSUM_FILE_REPORT_H
#define TVKSUM_FILE_REPORT_H

#include <string>

namespace tvksum {

struct FileReport {
    std::string out;   // checksum lines, for standard output
    std::string err;   // warning lines, for standard error
    int rc = 0;        // kExitOk, kExitFailed or kExitInterrupted
    bool stop = false; // no further operand: Ctrl-C, or the engine is broken
    int tally = 0;     // what the item counts as, for the caller's totals
};

// Shows a report: its lines on standard output, then its warnings.
void show_report(const FileReport &report);

} // namespace tvksum

#endif
