/* platform_text.cpp -- UTF-8 and UTF-16 texts converted as strings, the
 * same on every platform. Kept apart from platform_common.cpp: the
 * strings bring the C++ runtime's allocation and exception code, which
 * the engine library does not link. */
#include "platform.h"

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
