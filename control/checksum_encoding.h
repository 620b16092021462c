// checksum_encoding.h -- how the second interface's members present a
// checksum: the engine's hex digits as they are, or the bytes they stand
// for in Base64 (RFC 4648 section 4, padded) or base64url (section 5,
// unpadded).
#ifndef TVK_CONTROL_CHECKSUM_ENCODING_H
#define TVK_CONTROL_CHECKSUM_ENCODING_H

#include "TVKChecksum.h"

#include <optional>

namespace tvk {

enum class ChecksumEncoding { Hex, Base64, Base64Url };

// The encoding of a name, any case: "hex", "base64", "base64url".
std::optional<ChecksumEncoding> EncodingOfName(const String &name);

// The checksum text (an even number of lower-case hex digits) in the
// encoding; nullopt when the text is no such digits.
std::optional<String> EncodeChecksum(const String &hex, ChecksumEncoding encoding);

} // namespace tvk

#endif
