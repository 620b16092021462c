// form_test.cpp -- the About form: its controls as laid out, its texts, the
// link actions, the shared instance, and About without an engine.
#include "test_support.h"

#include "Form1.h"

#include <gtest/gtest.h>

using namespace tvk_test;
using tvk::ControlKind;
using tvk::Form1;

namespace {

TEST(AboutForm, ControlsInTabOrderWithTheirKindsPlacesAndFonts) {
    Form1 form;
    struct Expected {
        const char16_t *name;
        ControlKind kind;
        Long left, top, width, height;
        const char16_t *font; // nullptr: the default font
        double size;
        bool underline, centred;
    };
    const Expected expected[] = {
        {u"Text1", ControlKind::MultiLineTextBox, 480, 1680, 3855, 1335, nullptr, 0, false, false},
        {u"Label1", ControlKind::Label, 480, 240, 3855, 375, u"MS Sans Serif", 13.5, false, true},
        {u"Label2", ControlKind::LinkLabel, 1560, 720, 3015, 255, u"MS Sans Serif", 8.25, true,
         false},
        {u"Label4", ControlKind::LinkLabel, 1320, 960, 3255, 255, u"MS Sans Serif", 8.25, true,
         false},
        {u"Label6", ControlKind::Label, 480, 3650, 2295, 255, nullptr, 0, false, false},
        {u"Command1", ControlKind::CommandButton, 3000, 3480, 1335, 375, nullptr, 0, false, false},
    };
    ASSERT_EQ(form.Controls.size(), std::size(expected));
    for (std::size_t i = 0; i < form.Controls.size(); ++i) {
        const auto &c = form.Controls[i];
        const auto &e = expected[i];
        SCOPED_TRACE(Ascii(e.name));
        EXPECT_EQ(c.Name, e.name);
        EXPECT_EQ(c.Kind, e.kind);
        EXPECT_EQ(c.Left, e.left);
        EXPECT_EQ(c.Top, e.top);
        EXPECT_EQ(c.Width, e.width);
        EXPECT_EQ(c.Height, e.height);
        EXPECT_EQ(c.Font.Default, e.font == nullptr);
        if (e.font) {
            EXPECT_EQ(c.Font.Name, e.font);
            EXPECT_DOUBLE_EQ(c.Font.Size, e.size);
            EXPECT_EQ(c.Font.Underline, e.underline);
        }
        EXPECT_EQ(c.Centred, e.centred);
    }
    EXPECT_EQ(Form1::ClientWidth, 4845);
    EXPECT_EQ(Form1::ClientHeight, 4185);
}

TEST(AboutForm, TextsAndTheSixDescriptionLinesWithTheirBlanks) {
    Form1 form;
    EXPECT_EQ(form.Control(u"Label1").Content, u"TVK Software");
    EXPECT_EQ(form.Control(u"Command1").Content, u"Exit");
    EXPECT_EQ(form.Control(u"Label2").Content, Form1::WebAddress);
    EXPECT_EQ(form.Control(u"Label4").Content, Form1::MailAddress);
    EXPECT_EQ(form.Control(u"Label6").Content, Form1::MakerLine);
    const String lines[] = {
        u"ActiveX OCX to compute very fast the checksum of ",
        u"strings or files using Adler32 , CRC32 , MD5 , SHA-1 ",
        u"and SHA-256 , the code is optimized for new AMD ",
        u"and Intel processors and the checksum code is ",
        u"loaded dynamically in the same address space of the ",
        u"application using the control ",
    };
    String joined;
    for (const auto &line : lines)
        joined += line + u"\r\n";
    EXPECT_EQ(form.Control(u"Text1").Content, joined);
}

TEST(AboutForm, LoadSetsTheCaptionAndLinksGoToTheShell) {
    Form1 form;
    std::vector<std::string> calls;
    form.ShellExecute = [&](std::uintptr_t owner, const String &op, const String &fileName,
                            const String &parameters, const String &directory) {
        calls.push_back(std::to_string(owner) + "|" + Ascii(op) + "|" + Ascii(fileName) + "|" +
                        Ascii(parameters) + "|" + Ascii(directory));
    };
    form.Form_Load();
    EXPECT_EQ(form.Caption, u"TVK Checksum OCX 2.7.0");
    form.Window = 42;
    form.Label2_Click();
    form.Label4_Click();
    EXPECT_EQ(calls,
              (std::vector<std::string>{"42|open|" + Ascii(Form1::WebAddress) + "||C:\\",
                                        "42|open|mailto:" + Ascii(Form1::MailAddress) + "||C:\\"}));
}

TEST(AboutForm, ExitReleasesTheSharedInstance) {
    Form1 &first = Form1::Shared();
    EXPECT_TRUE(Form1::Exists());
    EXPECT_EQ(&Form1::Shared(), &first);
    first.Command1_Click();
    EXPECT_FALSE(Form1::Exists());
}

TEST(AboutForm, AboutShowsTheFormWithoutLoadingTheEngine) {
    tvk::TVKChecksum control(nullptr);
    MessageBoxes boxes;
#if !defined(_WIN32)
    testing::internal::CaptureStdout();
#endif
    EXPECT_TRUE(control.About().IsEmpty());
#if defined(_WIN32)
    const auto texts = boxes.Texts(); // the form's window, found and closed
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("TVK Software"), std::string::npos);
#else
    const std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_EQ(shown.rfind("TVK Checksum OCX 2.7.0\n", 0), 0u);
    EXPECT_NE(shown.find("application using the control \n"), std::string::npos);
    EXPECT_TRUE(boxes.Texts().empty());
#endif
    ASSERT_TRUE(Form1::Exists());
    EXPECT_EQ(Form1::Shared().Caption, u"TVK Checksum OCX 2.7.0");
    Form1::Shared().Command1_Click();
}

} // namespace
