// about_view_posix.cpp -- the About form without a window system: its texts
// on standard output. Nothing waits for a user; the form counts as closed.
#include "Form1.h"
#include "Globals.h"

#include <cstdio>

namespace tvk {
namespace Globals {

void ShowAboutForm(Form1 &form) {
    const std::string text = ToNarrow(form.Caption + u"\n\n" + form.PlainText(u"\n"));
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    form.Unload();
}

} // namespace Globals
} // namespace tvk
