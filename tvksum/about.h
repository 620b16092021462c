// about.h -- the About form's content as plain text, for --about.
#ifndef TVKSUM_ABOUT_H
#define TVKSUM_ABOUT_H

#include <string>

namespace tvksum {

std::string about_text();

} // namespace tvksum

#endif
