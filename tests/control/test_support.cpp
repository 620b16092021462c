// test_support.cpp -- the shared pieces of the control tests.
#include "test_support.h"

#include "Globals.h"
#include "tvk_version.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#if defined(_WIN32)
#include "win_dialogs.h"
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace tvk_test {

std::string Ascii(const String &text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

String Wide(const std::string &ascii) {
    return String(ascii.begin(), ascii.end());
}

void EventLog::Finished(String &CheckSumString) {
    Lines.push_back("Finished " + Ascii(CheckSumString));
    if (OnFinished)
        OnFinished(CheckSumString);
}

void EventLog::Progress(Long &Value) {
    Lines.push_back("Progress " + std::to_string(Value));
    if (OnProgress)
        OnProgress(Value);
}

void EventLog::ErrorCode(Long &ErrorNumber, String &ErrorDescription) {
    Lines.push_back("ErrorCode " + std::to_string(ErrorNumber) + " " + Ascii(ErrorDescription));
}

void EventLog::FileChecked(String &FileName, String &Result) {
    Lines.push_back("FileChecked " + Ascii(FileName) + ": " + Ascii(Result));
    if (OnFileChecked)
        OnFileChecked();
}

#if defined(_WIN32)
struct MessageBoxes::Impl {
    DialogWatcher watcher{TVK_PRODUCT_TITLE};
};
MessageBoxes::MessageBoxes() : impl_(std::make_unique<Impl>()) {}
MessageBoxes::~MessageBoxes() = default;
std::vector<std::string> MessageBoxes::Texts() {
    return impl_->watcher.Texts();
}

char Separator() {
    return '\\';
}
#else
struct MessageBoxes::Impl {
    bool capturing = true;
    std::vector<std::string> texts;
};
MessageBoxes::MessageBoxes() : impl_(std::make_unique<Impl>()) {
    testing::internal::CaptureStderr();
}
MessageBoxes::~MessageBoxes() {
    Texts();
}
std::vector<std::string> MessageBoxes::Texts() {
    if (impl_->capturing) {
        impl_->capturing = false;
        std::istringstream in(testing::internal::GetCapturedStderr());
        const std::string prefix = TVK_PRODUCT_TITLE ": ";
        for (std::string line; std::getline(in, line);)
            if (line.compare(0, prefix.size(), prefix) == 0)
                impl_->texts.push_back(line.substr(prefix.size()));
    }
    return impl_->texts;
}

char Separator() {
    return '/';
}
#endif

// The control is linked into the test program: its module is the program.
String ProgramDirectory() {
    const String path = tvk::Globals::ControlModuleFileName();
    return path.substr(0, path.find_last_of(static_cast<char16_t>(Separator())));
}

String EngineBesideProgram() {
    return ProgramDirectory() + static_cast<char16_t>(Separator()) + tvk::Globals::EngineFileName;
}

namespace {

class EnginePin : public ::testing::Environment {
  public:
    void SetUp() override {
        module_ = tvk::Globals::LoadLibraryPath(EngineBesideProgram());
        ASSERT_NE(module_, 0u) << "the engine library is not beside the test program";
    }
    void TearDown() override { tvk::Globals::FreeLibraryHandle(module_); }

  private:
    std::uintptr_t module_ = 0;
};

} // namespace

::testing::Environment *NewEnginePin() {
    return new EnginePin;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        Root = base / ("tvkcontrol-test-" + std::to_string(counter++) + "-" +
                       std::to_string(std::hash<String>{}(ProgramDirectory()) % 100000));
        if (std::filesystem::create_directory(Root))
            break;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
}

String TempDir::Path(const std::string &name) const {
    return (Root / name).u16string();
}

String TempDir::File(const std::string &name, const std::string &content) const {
    std::ofstream out(Root / name, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return Path(name);
}

String TempDir::Path(const String &name) const {
    return (Root / std::filesystem::path(name)).make_preferred().u16string();
}

String TempDir::File(const String &name, const std::string &content) const {
    const auto path = Root / std::filesystem::path(name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write the test file " + Ascii(name));
    return Path(name);
}

FakeEngine::FakeEngine() : path_(EngineBesideProgram()) {
    Load();
    Reset();
}

void FakeEngine::Load() {
    module_ = tvk::Globals::LoadLibraryPath(path_);
    set_ = reinterpret_cast<FakeSet>(tvk::Globals::GetProcAddressNarrow(module_, "fake_set"));
    setText_ =
        reinterpret_cast<FakeSetText>(tvk::Globals::GetProcAddressNarrow(module_, "fake_set_text"));
    log_ = reinterpret_cast<FakeLog>(tvk::Globals::GetProcAddressNarrow(module_, "fake_log"));
    if (!set_ || !setText_ || !log_)
        throw std::runtime_error("the scripted fake engine is not beside the test: " +
                                 tvk::Globals::ToNarrow(path_));
}

bool FakeEngine::HeldByOthers() {
    tvk::Globals::FreeLibraryHandle(module_);
#if defined(_WIN32)
    const bool loaded =
        GetModuleHandleW(reinterpret_cast<const wchar_t *>(path_.c_str())) != nullptr;
#else
    const std::string narrow = tvk::Globals::ToNarrow(path_);
    void *again = dlopen(narrow.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (again != nullptr)
        dlclose(again);
    const bool loaded = again != nullptr;
#endif
    Load(); // the same library again, or a fresh copy if it was unloaded
    return loaded;
}

FakeEngine::~FakeEngine() {
    tvk::Globals::FreeLibraryHandle(module_);
}

std::vector<std::string> FakeEngine::Log() const {
    const int length = log_(nullptr, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    log_(&text[0], length + 1);
    text.resize(static_cast<std::size_t>(length));
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace tvk_test
