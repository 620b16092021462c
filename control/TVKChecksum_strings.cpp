// TVKChecksum_strings.cpp -- the nine string checksum methods.
#include "TVKChecksum.h"

#include "Globals.h"
#include "ZipClass.h"

namespace tvk {

// One engine call: the text, a result buffer of 300 blanks and a NUL, and
// the byte count. The engine's reply value is not used.
String TVKChecksum::StringChecksum(const char16_t *word, String &TheString, Long Length) {
    String text = TheString; // the bridge's conversions stay away from the caller's copy
    Host().Init(false);
    String result(300, u' ');
    result += u'\0';
    // The engine digests exactly Length bytes: keep them inside the buffer
    // the bridge makes (the narrow text and its NUL).
    const auto available = static_cast<long long>(Globals::ToNarrow(text).size()) + 1;
    if (Length < 0)
        Length = 0;
    else if (Length > available)
        Length = static_cast<Long>(available);
    String command = word;
    Host().CallWindow2(command, text, result, Length);
    return result;
}

String TVKChecksum::CRC32String(String TheString, Long Length) {
    return StringChecksum(u"crc32string", TheString, Length);
}
String TVKChecksum::TVK32String(String TheString, Long Length) {
    return StringChecksum(u"tvk32string", TheString, Length);
}
String TVKChecksum::MD5_32String(String TheString, Long Length) {
    return StringChecksum(u"md532string", TheString, Length);
}
String TVKChecksum::MD5String(String TheString, Long Length) {
    return StringChecksum(u"md5string", TheString, Length);
}
String TVKChecksum::SHA1String(String TheString, Long Length) {
    return StringChecksum(u"sha1string", TheString, Length);
}
String TVKChecksum::SHA256String(String TheString, Long Length) {
    return StringChecksum(u"sha256string", TheString, Length);
}
String TVKChecksum::Adler32String(String TheString, Long Length) {
    return StringChecksum(u"adler32string", TheString, Length);
}
String TVKChecksum::SHA512String(String TheString, Long Length) {
    return StringChecksum(u"sha512string", TheString, Length);
}
String TVKChecksum::SHA384String(String TheString, Long Length) {
    return StringChecksum(u"sha384string", TheString, Length);
}

} // namespace tvk
