// interrupt.h -- Ctrl-C as a request to cancel the running job.
#ifndef TVKSUM_INTERRUPT_H
#define TVKSUM_INTERRUPT_H

namespace tvksum {

// SIGINT (and SIGTERM) then only set a flag; the job loop cancels the job
// and winds down. A second Ctrl-C ends the program at once.
void install_interrupt_handler();
bool interrupted();
// 128 + the signal's number (130 for Ctrl-C), the shell's convention.
int interrupted_exit_code();

} // namespace tvksum

#endif
