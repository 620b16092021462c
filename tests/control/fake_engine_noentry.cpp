// fake_engine_noentry.cpp -- an engine library without interface1: it loads,
// but the control finds no entry point in it.
#if defined(_WIN32)
#define FAKE_EXPORT __declspec(dllexport)
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" FAKE_EXPORT int interface2(int value) {
    return value;
}
