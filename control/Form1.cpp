// Form1.cpp -- the About form's data and presenter.
#include "Form1.h"

#include "Globals.h"

#include <memory>

namespace tvk {

const String Form1::WebAddress = u"http://www.tvksoftware.example/";
const String Form1::MailAddress = u"info@tvksoftware.example";
const String Form1::MakerLine = u"TVK Software 2001 - 2026";
const String Form1::Description = u"ActiveX OCX to compute very fast the checksum of \r\n"
                                  u"strings or files using Adler32 , CRC32 , MD5 , SHA-1 \r\n"
                                  u"and SHA-256 , the code is optimized for new AMD \r\n"
                                  u"and Intel processors and the checksum code is \r\n"
                                  u"loaded dynamically in the same address space of the \r\n"
                                  u"application using the control \r\n";

namespace {

std::unique_ptr<Form1> &SharedSlot() {
    static std::unique_ptr<Form1> slot;
    return slot;
}

FontSpec SansSerif(double size, bool underline) {
    FontSpec font;
    font.Default = false;
    font.Name = u"MS Sans Serif";
    font.Size = size;
    font.Underline = underline;
    return font;
}

} // namespace

Form1::Form1()
    : Controls{{
          {u"Text1", ControlKind::MultiLineTextBox, 480, 1680, 3855, 1335, Description, {}, false},
          {u"Label1", ControlKind::Label, 480, 240, 3855, 375, u"TVK Software",
           SansSerif(13.5, false), true},
          {u"Label2", ControlKind::LinkLabel, 1560, 720, 3015, 255, WebAddress,
           SansSerif(8.25, true), false},
          {u"Label4", ControlKind::LinkLabel, 1320, 960, 3255, 255, MailAddress,
           SansSerif(8.25, true), false},
          {u"Label6", ControlKind::Label, 480, 3650, 2295, 255, MakerLine, {}, false},
          {u"Command1", ControlKind::CommandButton, 3000, 3480, 1335, 375, u"Exit", {}, false},
      }},
      ShellExecute(Globals::ShellExecuteOpen) {}

Form1 &Form1::Shared() {
    auto &slot = SharedSlot();
    if (!slot)
        slot = std::make_unique<Form1>();
    return *slot;
}

bool Form1::Exists() {
    return SharedSlot() != nullptr;
}

void Form1::ShowModal() {
    Form1 &form = Shared();
    if (!form.Loaded) {
        form.Loaded = true;
        form.Form_Load();
    }
    Globals::ShowAboutForm(form);
}

const FormControl &Form1::Control(const String &name) const {
    for (const auto &control : Controls)
        if (control.Name == name)
            return control;
    return Controls[0];
}

void Form1::Form_Load() {
    Caption = ApplicationTitle();
}

void Form1::Label2_Click() {
    if (ShellExecute)
        ShellExecute(Window, u"open", Control(u"Label2").Content, String(), u"C:\\");
}

void Form1::Label4_Click() {
    if (ShellExecute)
        ShellExecute(Window, u"open", u"mailto:" + Control(u"Label4").Content, String(), u"C:\\");
}

void Form1::Command1_Click() {
    Loaded = false;
    SharedSlot().reset(); // destroys *this
}

String Form1::PlainText(const String &newline) const {
    String text = Control(u"Label1").Content + newline;
    text += Control(u"Label2").Content + newline;
    text += Control(u"Label4").Content + newline + newline;
    String description = Control(u"Text1").Content;
    for (std::size_t at; (at = description.find(u"\r\n")) != String::npos;) {
        text += description.substr(0, at) + newline;
        description.erase(0, at + 2);
    }
    text += description;
    text += newline + Control(u"Label6").Content + newline;
    return text;
}

} // namespace tvk
