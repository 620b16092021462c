// progress_bar.cpp -- renders and redraws the progress line.
#include "progress_bar.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tvksum {

static constexpr int kBarCells = 20;

static bool continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Columns a name takes: one per UTF-8 character (wide characters aside).
static int columns_of(std::string_view s) {
    int n = 0;
    for (char c : s)
        n += continuation(c) ? 0 : 1;
    return n;
}

// The name as it can be drawn on one line: control characters become '?'.
static std::string printable(std::string_view name) {
    std::string out(name);
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return out;
}

std::string render_progress(int percent, std::string_view name, int columns) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kBarCells / 100;
    std::string text = "[";
    text.append(static_cast<std::size_t>(filled), '#');
    text.append(static_cast<std::size_t>(kBarCells - filled), ' ');
    char pct[8];
    std::snprintf(pct, sizeof pct, "] %3d%%", percent);
    text += pct;
    // One column stays free: writing the last column makes some terminals wrap.
    const int room = columns - 1 - static_cast<int>(text.size()) - 1;
    if (room >= 4 && !name.empty()) {
        std::string shown = printable(name);
        text.push_back(' ');
        if (columns_of(shown) <= room) {
            text += shown;
        } else {
            // Keep the end of the name, cut at a character boundary.
            std::size_t from = 0;
            while (columns_of(std::string_view(shown).substr(from)) > room - 3 ||
                   (from < shown.size() && continuation(shown[from])))
                ++from;
            text += "...";
            text.append(shown, from, std::string::npos);
        }
    }
    return text;
}

static int terminal_columns(std::FILE *out) {
    winsize ws{};
    if (ioctl(fileno(out), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

ProgressBar::ProgressBar(std::FILE *out)
    : out_(out), enabled_(isatty(fileno(out)) == 1),
      columns_(enabled_ ? terminal_columns(out) : 80) {}

ProgressBar::ProgressBar(std::FILE *out, bool enabled, int columns)
    : out_(out), enabled_(enabled), columns_(columns) {}

void ProgressBar::update(int percent, std::string_view name) {
    if (!enabled_)
        return;
    std::string text = render_progress(percent, name, columns_);
    if (drawn_ && text == last_)
        return;
    std::fprintf(out_, "\r%s\033[K", text.c_str());
    std::fflush(out_);
    last_ = std::move(text);
    drawn_ = true;
}

void ProgressBar::clear() {
    if (!enabled_ || !drawn_)
        return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    drawn_ = false;
    last_.clear();
}

} // namespace tvksum
