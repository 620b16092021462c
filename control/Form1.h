// Form1.h -- the control's About form: its controls as data, and the
// presenter that answers the form's events. Drawing it is the platform
// view's job (Globals::ShowAboutForm).
#ifndef TVK_CONTROL_FORM1_H
#define TVK_CONTROL_FORM1_H

#include "TVKChecksum.h"

#include <array>
#include <cstdint>
#include <functional>

namespace tvk {

enum class ControlKind { MultiLineTextBox, Label, LinkLabel, CommandButton };

struct FontSpec {
    bool Default = true; // the form's default font; the fields below are unused then
    String Name;
    double Size = 0;
    bool Underline = false;
};

struct FormControl {
    String Name;
    ControlKind Kind;
    Long Left, Top, Width, Height; // twips
    String Content;                // text, caption or link target
    FontSpec Font;
    bool Centred = false;
};

class Form1 {
  public:
    static constexpr Long ClientWidth = 4845;  // twips
    static constexpr Long ClientHeight = 4185; // twips

    // The maker's details shown by the form.
    static const String WebAddress;
    static const String MailAddress;
    static const String MakerLine;
    static const String Description; // six lines, each ended by CR LF

    // The shared instance: created when first needed, released by Exit.
    static Form1 &Shared();
    static bool Exists();
    // Builds the shared instance if needed, loads it and shows it modally.
    static void ShowModal();

    // Controls in tab order: Text1, Label1, Label2, Label4, Label6, Command1.
    std::array<FormControl, 6> Controls;
    const FormControl &Control(const String &name) const;

    String Caption;
    bool Loaded = false;
    std::uintptr_t Window = 0; // the view's window handle, owner of the shell calls

    // The form's events.
    void Form_Load();
    void Label2_Click();
    void Label4_Click();
    // Unloads the form and releases the shared instance: *this is gone after.
    void Command1_Click();
    // The window was closed without Exit.
    void Unload() { Loaded = false; }

    // All texts of the form, one per line, for views that only print.
    String PlainText(const String &newline) const;

    // The shell call behind the two links (Globals::ShellExecuteOpen unless a
    // host or test puts something else here).
    std::function<void(std::uintptr_t owner, const String &operation, const String &file,
                       const String &parameters, const String &directory)>
        ShellExecute;

    Form1();
};

} // namespace tvk

#endif
