/* platform_common.cpp -- the services that are the same on every platform:
 * block reads through the C runtime, UTF-8 and UTF-16, and the case-blind
 * compare of ASCII texts. */
#include "platform.h"

#include <cctype>
#include <cerrno>

namespace {

/* The length of the run of ASCII units at the start of text: copied as
 * they are, a unit each, without the per-character path below (the
 * control's 300-unit answer buffers are all ASCII). */
template <class Unit> std::size_t ascii_run(const Unit *text, std::size_t size) {
    std::size_t n = 0;
    while (n < size && static_cast<uint32_t>(text[n]) < 0x80) {
        ++n;
    }
    return n;
}

template <class To, class From> void append_ascii(To &out, const From *run, std::size_t n) {
    const std::size_t at = out.size();
    out.resize(at + n);
    for (std::size_t k = 0; k < n; ++k) {
        out[at + k] = static_cast<typename To::value_type>(run[k]);
    }
}

} // namespace

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

std::string platform_utf16_to_utf8(std::u16string_view text, char32_t unpaired) {
    std::string out;
    out.reserve(text.size());
    char bytes[4];
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t run = ascii_run(text.data() + i, text.size() - i);
        if (run > 0) {
            append_ascii(out, text.data() + i, run);
            i += run;
            continue;
        }
        char32_t c = platform_next_code_point(text, i);
        if (platform_is_surrogate(c))
            c = unpaired;
        out.append(bytes, platform_put_utf8(c, bytes));
    }
    return out;
}

std::u16string platform_utf8_to_utf16(std::string_view bytes, bool *malformed) {
    std::u16string out;
    out.reserve(bytes.size());
    bool bad = false;
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (b < 0x80) {
            const std::size_t run = ascii_run(bytes.data() + i, n - i);
            append_ascii(out, bytes.data() + i, run);
            i += run;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, c = b & 0x1Fu, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, c = b & 0x0Fu, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, c = b & 0x07u, least = 0x10000;
        } else {
            out += u'\xFFFD';
            bad = true;
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k <= extra && i + k < n; ++k) {
            const unsigned char t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80)
                break;
            c = (c << 6) | (t & 0x3Fu);
        }
        i += k; // the lead byte and the continuation bytes seen
        if (k <= extra || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'\xFFFD';
            bad = true;
        } else if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    if (malformed != nullptr)
        *malformed = bad;
    return out;
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
