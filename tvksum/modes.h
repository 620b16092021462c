// modes.h -- what tvksum does in each of its modes; each returns the exit
// code.
#ifndef TVKSUM_MODES_H
#define TVKSUM_MODES_H

#include "options.h"

namespace tvksum {

class ControlDriver;

int run_sum(const Options &opt, ControlDriver &runner);     // FILE... → sum lines
int run_strings(const Options &opt, ControlDriver &runner); // -s TEXT
int run_check(const Options &opt, ControlDriver &runner);   // -c LIST...

} // namespace tvksum

#endif
