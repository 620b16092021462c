// user_locale.cpp -- the user's locale, taken when a message first needs it.
#include "user_locale.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <mutex>

namespace tvksum {

void use_user_locale() {
    // setlocale is not safe while another thread reads the locale; the
    // threads tvksum starts hash bytes and read no locale.
    static std::once_flag taken;
    std::call_once(taken, [] {
        const int error = errno; // a caller may still read it
        std::setlocale(LC_CTYPE, "");
        std::setlocale(LC_MESSAGES, "");
        errno = error;
    });
}

const char *system_error_text(int error) {
    use_user_locale();
    return std::strerror(error);
}

} // namespace tvksum
