/* loader_posix.cpp -- the load and unload notifications of the engine
 * library on Linux. The worker thread writes the thread lines itself. */
#include "platform.h"

namespace {

__attribute__((constructor)) void on_process_attach() {
    platform_debug_line("DLL_PROCESS_ATTACH \n");
}

__attribute__((destructor)) void on_process_detach() {
    platform_debug_line("DLL_PROCESS_DETACH \n");
}

} // namespace
