// TVKChecksum_data.cpp -- the members of the second interface that take any
// algorithm by name: checksums of the caller's bytes or UTF-8 text, of a
// file, and HMAC, each in the encoding the caller asks for; and SHA-512 and
// SHA-384 of a file.
#include "TVKChecksum.h"

#include "ErrorNumbers.h"
#include "ZipClass.h"
#include "algorithm_names.h"
#include "algorithm_table.h"
#include "checksum_encoding.h"
#include "platform.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace tvk {

namespace {

String Ascii(const char *text) {
    return String(text, text + std::char_traits<char>::length(text));
}

// The bytes of a Data or Key argument: the caller's own, or the text's UTF-8
// form held in `utf8` for the call. False when the argument has no bytes or
// more than the engine's words take (4 GiB - 1).
bool BytesOf(const DataArgument &argument, std::string &utf8, const unsigned char *&bytes,
             std::size_t &size) {
    static const unsigned char none = 0;
    switch (argument.kind) {
    case DataArgument::Kind::Invalid:
        return false;
    case DataArgument::Kind::Text:
        utf8 = platform_utf16_to_utf8(argument.text, U'\xFFFD');
        bytes = reinterpret_cast<const unsigned char *>(utf8.data());
        size = utf8.size();
        break;
    case DataArgument::Kind::Bytes:
        bytes = argument.bytes != nullptr ? argument.bytes : &none;
        size = argument.bytes != nullptr ? argument.size : 0;
        break;
    }
    return size <= std::numeric_limits<std::uint32_t>::max();
}

std::uintptr_t Address(const void *p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

} // namespace

String TVKChecksum::SHA512File(String InputFile) {
    return FileChecksum(u"sha512file", InputFile);
}
String TVKChecksum::SHA384File(String InputFile) {
    return FileChecksum(u"sha384file", InputFile);
}

// The shared start of the three: the algorithm (7 when unknown, a list
// where one algorithm is wanted, or without HMAC when one is wanted), then
// the encoding (11). Raises the refusal.
bool TVKChecksum::AcceptRequest(const AlgorithmList &algorithms, bool listed, bool keyed,
                                const String &Encoding, ChecksumEncoding &encoding,
                                const DataArgument *const *arguments, std::size_t count) {
    Long error = 0;
    const std::optional<ChecksumEncoding> named = EncodingOfName(Encoding);
    if (algorithms.Count() == 0 || (!listed && algorithms.Count() > 1) ||
        (keyed && algorithms[0].hmac_block == 0))
        error = Error::InvalidSelection;
    for (std::size_t i = 0; error == 0 && i < count; ++i)
        if (arguments[i]->kind == DataArgument::Kind::Invalid)
            error = Error::InvalidData;
    if (error == 0 && !named)
        error = Error::InvalidEncoding;
    if (error != 0) {
        ReportError(error);
        return false;
    }
    encoding = *named;
    return true;
}

// The engine's text in the encoding; an answer that is no checksum text
// (an engine that does not know the word) is reported as the algorithm's.
String TVKChecksum::Presented(const String &hex, ChecksumEncoding encoding, Long failure) {
    const std::optional<String> text = EncodeChecksum(hex, encoding);
    if (!text) {
        ReportError(failure);
        return String();
    }
    return *text;
}

// The engine's text of a set, its checksums separated by one blank, each
// in the encoding; a text that is not one checksum of each algorithm's
// length per name of the list is no answer for the file.
String TVKChecksum::PresentedSet(const String &hex, const AlgorithmList &algorithms,
                                 ChecksumEncoding encoding) {
    String text;
    std::size_t at = 0;
    for (std::size_t i = 0; i < algorithms.Count(); ++i) {
        const std::size_t digits = algorithms[i].digits;
        const bool last = i + 1 == algorithms.Count();
        std::optional<String> one;
        if (hex.size() >= at + digits &&
            (last ? hex.size() == at + digits : hex[at + digits] == u' '))
            one = EncodeChecksum(hex.substr(at, digits), encoding);
        if (!one) {
            Long error = Error::InputFileInvalid;
            ReportError(error);
            return String();
        }
        text += i == 0 ? u"" : u" ";
        text += *one;
        at += digits + 1;
    }
    return text;
}

String TVKChecksum::HashData(String Algorithm, const DataArgument &Data, String Encoding) {
    const AlgorithmList algorithms(Algorithm);
    ChecksumEncoding encoding{};
    const DataArgument *arguments[] = {&Data};
    if (!AcceptRequest(algorithms, false, false, Encoding, encoding, arguments, 1))
        return String();
    std::string utf8;
    const unsigned char *bytes = nullptr;
    std::size_t size = 0;
    if (!BytesOf(Data, utf8, bytes, size)) {
        Long error = Error::InvalidData;
        ReportError(error);
        return String();
    }
    Host().Init(false);
    String hex;
    Host().CallWindowAddress(Ascii(algorithms[0].string_word), Address(bytes), size, hex);
    return Presented(hex, encoding, Error::InvalidSelection);
}

String TVKChecksum::HashFile(String Algorithm, String InputFile, String Encoding) {
    const AlgorithmList algorithms(Algorithm);
    ChecksumEncoding encoding{};
    if (!AcceptRequest(algorithms, true, false, Encoding, encoding, nullptr, 0))
        return String();
    if (algorithms.Count() > 1) {
        const String hex = FileSetChecksum(algorithms, InputFile);
        if (hex.empty())
            return String(); // FileSetChecksum has raised ErrorCode
        return PresentedSet(hex, algorithms, encoding);
    }
    const String word = Ascii(algorithms[0].file_word);
    const String hex = FileChecksum(word.c_str(), InputFile);
    if (hex.empty())
        return String(); // FileChecksum has raised ErrorCode
    return Presented(hex, encoding, Error::InputFileInvalid);
}

String TVKChecksum::HMAC(String Algorithm, const DataArgument &Key, const DataArgument &Data,
                         String Encoding) {
    const AlgorithmList algorithms(Algorithm);
    ChecksumEncoding encoding{};
    const DataArgument *arguments[] = {&Key, &Data};
    if (!AcceptRequest(algorithms, false, true, Encoding, encoding, arguments, 2))
        return String();
    std::string key_utf8, data_utf8;
    const unsigned char *key = nullptr, *data = nullptr;
    std::size_t key_size = 0, data_size = 0;
    if (!BytesOf(Key, key_utf8, key, key_size) || !BytesOf(Data, data_utf8, data, data_size)) {
        Long error = Error::InvalidData;
        ReportError(error);
        return String();
    }
    Host().Init(false);
    const std::uintptr_t block[4] = {Address(key), key_size, Address(data), data_size};
    String hex;
    Host().CallWindowAddress(Ascii(algorithms[0].hmac_word), Address(block), 0, hex);
    return Presented(hex, encoding, Error::InvalidSelection);
}

} // namespace tvk
