// interrupt.cpp -- the signal handler behind interrupted().
#include "interrupt.h"

#include <csignal>

namespace tvksum {

static volatile std::sig_atomic_t g_signal = 0;

extern "C" void tvksum_on_signal(int sig) {
    g_signal = sig;
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
    return g_signal != 0;
}

int interrupted_exit_code() {
    return 128 + (g_signal != 0 ? g_signal : SIGINT);
}

} // namespace tvksum
