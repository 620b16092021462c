// algorithm_names.cpp -- the algorithm names the control takes.
#include "algorithm_names.h"

namespace tvk {

const tvkalgo::AlgorithmFacts *AlgorithmOfName(const String &name) {
    for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
        std::size_t i = 0;
        for (; row.job_name[i] != '\0' && i < name.size(); ++i) {
            char16_t c = name[i];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            if (c != static_cast<char16_t>(row.job_name[i]))
                break;
        }
        if (row.job_name[i] == '\0' && i == name.size())
            return &row;
    }
    return nullptr;
}

} // namespace tvk
