// stdin_copies.cpp -- standard input read once per "-", in order.
#include "stdin_copies.h"

#include "interrupt.h"

namespace tvksum {

StdinCopies::StdinCopies(std::size_t count, const std::function<bool(std::size_t)> &reads_stdin) {
    for (std::size_t i = 0; i < count && !interrupted(); ++i)
        if (reads_stdin(i))
            copies_[i] = std::make_unique<InputFile>("-");
}

const InputFile *StdinCopies::copy(std::size_t i) const {
    const auto it = copies_.find(i);
    return it == copies_.end() ? nullptr : it->second.get();
}

} // namespace tvksum
