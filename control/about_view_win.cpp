// about_view_win.cpp -- a plain stand-in for the About dialog: the form's
// texts in a modal message box.
#include "Form1.h"
#include "Globals.h"

namespace tvk {
namespace Globals {

void ShowAboutForm(Form1 &form) {
    MessageBoxOk(form.PlainText(u"\r\n"), form.Caption);
    form.Unload();
}

} // namespace Globals
} // namespace tvk
