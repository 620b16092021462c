// test_support.h -- shared pieces of the control tests: an event sink that
// records, the message boxes of the engine host, temporary files, and the
// scripted fake engine's controls.
#ifndef TVK_TESTS_CONTROL_TEST_SUPPORT_H
#define TVK_TESTS_CONTROL_TEST_SUPPORT_H

#include "TVKChecksum.h"
#include "fake_engine.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing {
class Environment;
}

namespace tvk_test {

// Lines as the tests record and compare them (events, engine calls).
using Lines = std::vector<std::string>;

using tvk::Long;
using tvk::String;

// ASCII both ways; other characters are shown as \uXXXX.
std::string Ascii(const String &text);
String Wide(const std::string &ascii);

// Records every event as one line ("Progress 0", "ErrorCode 8 <text>",
// "Finished <text>", "FileChecked <name>: <result>") and then runs the test's handler, if any.
class EventLog : public tvk::TVKChecksumEvents {
  public:
    void Finished(String &CheckSumString) override;
    void Progress(Long &Value) override;
    void ErrorCode(Long &ErrorNumber, String &ErrorDescription) override;
    void FileChecked(String &FileName, String &Result) override;

    std::vector<std::string> Lines;
    std::function<void(String &)> OnFinished;
    std::function<void(Long &)> OnProgress;
    std::function<void()> OnFileChecked;
};

// Collects the texts of the message boxes shown with the control's caption
// while it lives: from standard error on Linux, from real (closed by a
// watcher thread) boxes on Windows.
class MessageBoxes {
  public:
    MessageBoxes();
    ~MessageBoxes();
    // Stops collecting and hands back the texts, in order.
    std::vector<std::string> Texts();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Directory of the test program, found without the control's help, and the
// engine library's full path beside it.
String ProgramDirectory();
char Separator();
String EngineBesideProgram();

// An environment that keeps one reference to that engine for the whole run,
// for AddGlobalTestEnvironment: the engine's worker thread may still be
// returning when a control frees the library.
::testing::Environment *NewEnginePin();

// A fresh directory, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    // Writes a file of that content and answers its full path.
    String File(const std::string &name, const std::string &content) const;
    String Path(const std::string &name) const;
    // The same for a name of any characters (a relative path, '/' between
    // folders); the folders on the way are made.
    String File(const String &name, const std::string &content) const;
    String Path(const String &name) const;
    std::filesystem::path Root;
};

// The scripted fake engine that the control loaded (the same library, found
// beside the test program).
class FakeEngine {
  public:
    FakeEngine();
    ~FakeEngine();
    void Set(const char *key, int value) const { set_(key, value); }
    void SetText(const char *key, const char *text) const { setText_(key, text); }
    void Reset() const { set_("reset", 0); }
    std::vector<std::string> Log() const;
    // Whether the library stays loaded without this object's own reference,
    // that is, whether someone else (the control) still holds it.
    bool HeldByOthers();

  private:
    void Load();
    String path_;
    std::uintptr_t module_ = 0;
    FakeSet set_ = nullptr;
    FakeSetText setText_ = nullptr;
    FakeLog log_ = nullptr;
};

} // namespace tvk_test

#endif
