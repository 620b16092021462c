// worker_pool.h -- several operands at once, in worker processes.
#ifndef TVKSUM_WORKER_POOL_H
#define TVKSUM_WORKER_POOL_H

#include "file_report.h"

#include <cstddef>
#include <functional>

namespace tvksum {

class ControlDriver;

// The engine has one job slot per process, so parallel work means processes:
// `workers` children, each with a control of its own, take the items 0 ..
// count - 1 one at a time, each the next that no other has taken, make their
// reports (make(i, runner)) and send them back through a pipe. The reports
// reach `show` in order of i, whichever child is faster; `show` returns false
// to stop, as does a report with `stop` after it is shown, and the workers
// are then ended.
enum class PoolResult {
    Done,       // every report shown, or `show` stopped, or Ctrl-C ended the run
    NotStarted, // no process or pipe could be made; nothing was shown
    WorkerLost, // a worker ended without a report it owed (it crashed)
};
PoolResult run_in_workers(int workers, std::size_t count,
                          const std::function<FileReport(std::size_t, ControlDriver &)> &make,
                          const std::function<bool(const FileReport &)> &show);

} // namespace tvksum

#endif
