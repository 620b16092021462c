// algorithm_names.cpp -- the algorithm names the control takes, alone or in
// a list.
#include "algorithm_names.h"

namespace tvk {

namespace {

// The row whose job name is name[begin, end), any case.
const tvkalgo::AlgorithmFacts *AlgorithmOfRange(const String &name, std::size_t begin,
                                                std::size_t end) {
    for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
        std::size_t i = 0;
        for (; row.job_name[i] != '\0' && begin + i < end; ++i) {
            char16_t c = name[begin + i];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            if (c != static_cast<char16_t>(row.job_name[i]))
                break;
        }
        if (row.job_name[i] == '\0' && begin + i == end)
            return &row;
    }
    return nullptr;
}

} // namespace

AlgorithmList::AlgorithmList(const String &names) {
    std::size_t count = 0;
    for (std::size_t begin = 0;;) {
        std::size_t end = names.find(u',', begin);
        if (end == String::npos)
            end = names.size();
        const tvkalgo::AlgorithmFacts *row = AlgorithmOfRange(names, begin, end);
        if (row == nullptr || count == rows_.size())
            return; // count_ stays 0: no list
        rows_[count] = row;
        selectors_[count] = row->selector;
        ++count;
        if (end == names.size())
            break;
        begin = end + 1;
    }
    selectors_[count] = 0;
    count_ = count;
}

} // namespace tvk
