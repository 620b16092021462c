// stdin_copies.h -- standard input for the "-" items of a run in workers.
#ifndef TVKSUM_STDIN_COPIES_H
#define TVKSUM_STDIN_COPIES_H

#include "input_file.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>

namespace tvksum {

// Workers are processes of their own that would all read the one standard
// input at once. So it is read here, before they start, for each item that
// names it, in item order: the first gets all of it, each later one what is
// left then (nothing, unless a terminal gives more), as one process going
// through the items would read it. The copies are files the workers inherit.
class StdinCopies {
  public:
    // `reads_stdin(i)` for the items 0 .. count - 1.
    StdinCopies(std::size_t count, const std::function<bool(std::size_t)> &reads_stdin);

    // Item i's copy, or nullptr when item i does not read standard input.
    const InputFile *copy(std::size_t i) const;

  private:
    std::map<std::size_t, std::unique_ptr<InputFile>> copies_;
};

} // namespace tvksum

#endif
