// job_outcome.h -- how one checksum job of the control ended.
#ifndef TVKSUM_JOB_OUTCOME_H
#define TVKSUM_JOB_OUTCOME_H

#include <string>
#include <vector>

namespace tvksum {

struct JobOutcome {
    enum Kind { Ok, Failed, Interrupted } kind = Failed;
    std::vector<std::string> sums; // Ok: the checksum texts, one per algorithm asked for
    long error_number = 0;         // Failed, Interrupted: the control's ErrorNumber (0: none)
    std::string error_text;        // Failed, Interrupted: what to tell the user
    // The engine answered nonsense (no checksum text at all): every further
    // job would fail the same way, so the host stops.
    bool engine_broken = false;
};

} // namespace tvksum

#endif
