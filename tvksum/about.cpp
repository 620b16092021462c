// about.cpp -- the About form's texts from the control's own form data: its
// caption, then the labels and the description in the form's reading order.
#include "about.h"

#include "Form1.h"
#include "utf.h"

namespace tvksum {

std::string about_text() {
    tvk::Form1 form; // a private instance: the shared one is the control's
    form.Form_Load();
    return utf16_to_utf8(form.Caption + u"\n\n" + form.PlainText(u"\n"));
}

} // namespace tvksum
