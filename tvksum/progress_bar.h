// progress_bar.h -- a one-line progress bar on standard error.
#ifndef TVKSUM_PROGRESS_BAR_H
#define TVKSUM_PROGRESS_BAR_H

#include <cstdio>
#include <string>
#include <string_view>

namespace tvksum {

// The bar's text for `percent` (clamped to 0..100) and the file name, at
// most `columns` characters wide (the name is shortened from the left):
// "[#########           ]  45% name".
std::string render_progress(int percent, std::string_view name, int columns);

// Draws on `out` only when it is a terminal; otherwise every call is a no-op.
class ProgressBar {
  public:
    explicit ProgressBar(std::FILE *out);
    ProgressBar(std::FILE *out, bool enabled, int columns);
    void update(int percent, std::string_view name);
    void clear(); // erases the line, so messages start at column 0
    bool enabled() const { return enabled_; }

  private:
    std::FILE *out_;
    bool enabled_;
    int columns_;
    bool drawn_ = false;
    std::string last_;
};

} // namespace tvksum

#endif
