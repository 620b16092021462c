// shell_quote.h -- file names in messages, quoted as the GNU tools quote
// them (sha256sum: 'a b': No such file or directory).
#ifndef TVKSUM_SHELL_QUOTE_H
#define TVKSUM_SHELL_QUOTE_H

#include <string>
#include <string_view>

namespace tvksum {

// The name as is when the shell would take it as one plain word; else in
// single quotes ('a b', 'it'\''s' or "it's" when that needs no escapes),
// with control characters and bytes that are no printable character of the
// current locale (LC_CTYPE; in the C locale, every byte above 0x7f) written as
// $'\t' or $'\351' between the quoted parts. A colon counts as special, so
// "NAME: text" cannot be misread; the empty name is ''.
std::string shell_quoted(std::string_view name);

} // namespace tvksum

#endif
