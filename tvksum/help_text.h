// help_text.h -- --help and --version.
#ifndef TVKSUM_HELP_TEXT_H
#define TVKSUM_HELP_TEXT_H

#include <string>

namespace tvksum {

std::string help_text();
std::string version_text();
// The hint after a usage error.
std::string try_help_text();

} // namespace tvksum

#endif
