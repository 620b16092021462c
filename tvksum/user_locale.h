// user_locale.h -- the user's locale, taken when a message first needs it.
#ifndef TVKSUM_USER_LOCALE_H
#define TVKSUM_USER_LOCALE_H

namespace tvksum {

// Sets the parts of the user's locale that tvksum uses, once: LC_CTYPE,
// by which names in messages are quoted, and LC_MESSAGES, the language of
// the system's error texts. Nothing else depends on the locale: checksums,
// names on standard output and tvksum's own texts are the same bytes in
// every locale. Loading the two parts costs about as much as the rest of a
// run on one small file, so a run that prints no message never loads them.
void use_user_locale();

// The system's text for an error number (strerror) in the user's language.
const char *system_error_text(int error);

} // namespace tvksum

#endif
