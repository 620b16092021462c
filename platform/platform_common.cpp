/* platform_common.cpp -- the services that are the same on every platform
 * and allocate nothing: block reads through the C runtime, code points
 * of UTF-16 and UTF-8, and the case-blind compare of ASCII texts. The
 * engine links only such services (see platform_text.cpp). */
#include "platform.h"

#include <cctype>
#include <cerrno>

int64_t platform_read_block(std::FILE *file, uint8_t *buffer, size_t size) {
    size_t got = 0;
    for (;;) {
        got += std::fread(buffer + got, 1, size - got, file);
        if (got == size || std::feof(file) != 0 || std::ferror(file) == 0) {
            return static_cast<int64_t>(got);
        }
        // A signal is not a read error: read on (a pipe or a FIFO).
        if (errno != EINTR) {
            return -1;
        }
        std::clearerr(file);
    }
}

char32_t platform_next_code_point(std::u16string_view text, std::size_t &i) {
    const char32_t c = text[i++];
    if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
        return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00u);
    return c;
}

std::size_t platform_put_utf8(char32_t c, char out[4]) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    static const unsigned char lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    const std::size_t count = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    for (std::size_t k = count; k-- > 1;) {
        out[k] = static_cast<char>(0x80 | (c & 0x3F));
        c >>= 6;
    }
    out[0] = static_cast<char>(lead[count] | c);
    return count;
}

bool platform_equal_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
