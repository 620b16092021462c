// algorithm_names.h -- the algorithm names the control takes from its host
// (NewCheckSumFile's CheckSelection, the Algorithm of the second interface):
// the job names of the algorithm table, in any case, nothing trimmed; and
// comma-separated lists of them ("sha-256,md5"), which NewCheckSumFile and
// HashFile take for several checksums from one read.
#ifndef TVK_CONTROL_ALGORITHM_NAMES_H
#define TVK_CONTROL_ALGORITHM_NAMES_H

#include "TVKChecksum.h"
#include "algorithm_table.h"
#include "sum_sets.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tvk {

// The rows of a list of names separated by commas, in its order; a name
// may come more than once. A list of one name is that name alone: its row
// and its selector, the number "newexecute" takes.
class AlgorithmList {
  public:
    // Empty (Count() 0) when a name is unknown or empty (",md5", "md5,,sha-1",
    // "md5,"), when a blank stands anywhere, or for more names than one set
    // of the engine holds.
    explicit AlgorithmList(const String &names);

    std::size_t Count() const { return count_; }
    const tvkalgo::AlgorithmFacts &operator[](std::size_t i) const { return *rows_[i]; }
    // The set the engine's set words take: the selectors, then a 0.
    const std::int32_t *Selectors() const { return selectors_.data(); }

  private:
    std::array<const tvkalgo::AlgorithmFacts *, tvkalgo::SUM_SET_MAX_SIZE> rows_{};
    std::array<std::int32_t, tvkalgo::SUM_SET_MAX_SIZE + 1> selectors_{};
    std::size_t count_ = 0;
};

} // namespace tvk

#endif
