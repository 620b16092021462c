// fake_engine_noentry.cpp -- a tvkchecksum.dll that loads but has no
// interface1 export.
extern "C" __declspec(dllexport) int tvk_fake_engine_without_entry() {
    return 0;
}
