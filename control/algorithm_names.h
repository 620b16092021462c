// algorithm_names.h -- the algorithm names the control takes from its host
// (NewCheckSumFile's CheckSelection, the Algorithm of the second interface):
// the job names of the algorithm table, in any case, nothing trimmed.
#ifndef TVK_CONTROL_ALGORITHM_NAMES_H
#define TVK_CONTROL_ALGORITHM_NAMES_H

#include "TVKChecksum.h"
#include "algorithm_table.h"

namespace tvk {

// The row of the name; nullptr for none.
const tvkalgo::AlgorithmFacts *AlgorithmOfName(const String &name);

// Its selector, the number "newexecute" takes; 0 for no algorithm.
inline Long AlgorithmNumber(const String &name) {
    const tvkalgo::AlgorithmFacts *row = AlgorithmOfName(name);
    return row == nullptr ? 0 : row->selector;
}

} // namespace tvk

#endif
