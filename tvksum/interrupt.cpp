// interrupt.cpp -- the signal handler behind interrupted().
#include "interrupt.h"

#include <csignal>

namespace tvksum {

static volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void tvksum_on_signal(int) {
    g_interrupted = 1;
}

void install_interrupt_handler() {
    struct sigaction sa {};
    sa.sa_handler = tvksum_on_signal;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a blocking read or sleep returns so the loop sees the flag.
    sa.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool interrupted() {
    return g_interrupted != 0;
}

} // namespace tvksum
