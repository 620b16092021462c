/* engine_library.h -- the built engine library, loaded the way a host loads
 * it (dlopen / LoadLibrary) and called through interface1 found by name. */
#ifndef TVK_TESTS_ENGINE_LIBRARY_H
#define TVK_TESTS_ENGINE_LIBRARY_H

#include <cstdint>
#include <string>

#if defined(_WIN32)
#define TVK_TEST_ENTRY __stdcall
#else
#define TVK_TEST_ENTRY
#endif

using Interface1 = intptr_t(TVK_TEST_ENTRY *)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);

/* Directory of the running test program, with a trailing separator. */
std::string test_program_dir();
/* The engine library beside the test program. */
std::string engine_library_path();
/* Path of the running test program. */
std::string test_program_path();

class EngineLibrary {
  public:
    explicit EngineLibrary(const std::string &path);
    ~EngineLibrary();
    EngineLibrary(const EngineLibrary &) = delete;
    EngineLibrary &operator=(const EngineLibrary &) = delete;

    bool loaded() const { return entry_ != nullptr; }
    Interface1 entry() const { return entry_; }
    void *handle() const { return handle_; }

    /* Words whose arguments are addresses (or not read). */
    int32_t call(const char *word, const void *a2 = nullptr, const void *a3 = nullptr,
                 uintptr_t a4 = 0) const;

    /* Convenience for the job words. */
    int32_t status() const { return call("getstatus"); }
    int32_t progress() const { return call("getprogress"); }
    int32_t result() const { return call("getreturnvalue"); }
    std::string sum() const;
    /* Polls "getstatus" until 0; false if the job never ends. */
    bool wait_idle() const;

  private:
    void *handle_ = nullptr;
    Interface1 entry_ = nullptr;
};

/* The engine library loaded once for the whole test program. */
EngineLibrary &engine();

void sleep_ms(unsigned milliseconds);

#endif
