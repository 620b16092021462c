// unicode_folder_test.cpp -- the control and its engine installed in a folder
// whose name the ANSI code page cannot hold (Cyrillic): the engine is found
// and loaded, and files in that folder are checksummed.
#include "test_support.h"

#include "ZipClass.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace tvk_test;
using tvk::TVKChecksum;

namespace {

TEST(CyrillicFolder, TheControlLoadsTheEngineBesideIt) {
    // The folder is the one the build made: "control-Контроль".
    ASSERT_NE(ProgramDirectory().find(u"\u041a\u043e\u043d\u0442\u0440\u043e\u043b\u044c"),
              String::npos);
    tvk::ZipClass host;
    host.Init(false);
    EXPECT_TRUE(host.IsLoaded());
    EXPECT_NE(host.EngineEntry, 0u);
    EXPECT_EQ(host.EnginePath, EngineBesideProgram());
    host.Deinit();
}

TEST(CyrillicFolder, FilesInTheFolderAreChecksummed) {
    const String file = ProgramDirectory() + static_cast<char16_t>(Separator()) + u"input.txt";
    {
        std::ofstream out(std::filesystem::path(file), std::ios::binary);
        out << "abc";
    }
    EventLog events;
    {
        TVKChecksum control(&events);
        EXPECT_EQ(control.MD5String(u"abc", 3), u"900150983cd24fb0d6963f7d28e17f72");
        // Under its own UTF-16 name, also where the folder has no short name.
        EXPECT_EQ(control.MD5File(file), u"900150983cd24fb0d6963f7d28e17f72");
    }
    EXPECT_TRUE(events.Lines.empty());
    std::filesystem::remove(std::filesystem::path(file));
}

} // namespace
