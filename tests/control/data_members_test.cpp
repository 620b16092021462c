// data_members_test.cpp -- the second interface's members against the real
// engine: HashData on bytes and UTF-8 texts, HMAC on the RFC 2202 and RFC
// 4231 cases, the encodings, HashFile and the SHA-512/384 methods, and every
// refusal. Part of the real engine's program, which keeps the engine loaded. The expected values
// come from Python's hashlib, hmac, zlib and base64 on the same bytes (the RFC cases equal the
// RFCs' own).
#include "test_support.h"

#include "Globals.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace tvk_test;
using tvk::DataArgument;
using tvk::TVKChecksum;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Rep(unsigned char byte, std::size_t count) {
    return Bytes(count, byte);
}
Bytes Seq(unsigned first, std::size_t count) {
    Bytes b;
    for (std::size_t i = 0; i < count; ++i)
        b.push_back(static_cast<unsigned char>(first + i));
    return b;
}
Bytes Str(const std::string &text) {
    return Bytes(text.begin(), text.end());
}
DataArgument Of(const Bytes &b) {
    return DataArgument::Bytes(b.data(), b.size());
}

struct TextCase {
    const char *name;
    const char16_t *algorithm;
    String text; // hashed as UTF-8
    const char16_t *encoding;
    const char *expected;
};

TEST(DataMembers, TextsAreHashedAsTheirUtf8Bytes) {
    EventLog events;
    TVKChecksum control(&events);
    const TextCase cases[] = {
        {"greek", u"sha-256", u"Καλημέρα κόσμε", u"hex",
         "a9ebbb0a7e55ff9a320b9503d18d0d75a2e6c24c9966f112d215bc87a575a886"},
        {"non-BMP", u"SHA-256", u"I \U0001F600 \U0001F680!", u"HEX",
         "54532ee9c2041a7c08a7b5bcba5188fc95ee373b7d90213103fb2103e78130df"},
        {"lone high surrogate is U+FFFD", u"sha-256",
         String(u"a\xD800"
                u"b"),
         u"hex", "05087813392efc16fe8ff448920c6328e53af865df39419436659d9ffda90f7b"},
        {"reversed pair is two U+FFFD", u"sha-256", String(u"\xDC00\xD800z"), u"hex",
         "45953644de50a325cf239b4b9aa77ac4adce50a30331d0e7b8bfcc3b03e299ed"},
        {"greek base64", u"Sha-512", u"Καλημέρα κόσμε", u"base64",
         "upRoSO8h5YmBuPMbn8e5X2KnqgnTBXunaj4Zzil8Ip+LQ9mnwM3bewAF6fQjq0y1dq+khLs7y7Y1S/"
         "lnl+tVJA=="},
        {"embedded NUL", u"md5", String(u"a\0b", 3), u"hex", "70350f6027bce3713f6b76473084309b"},
        {"empty text", u"sha-256", u"", u"Base64", "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU="},
        {"NIST abc sha-512", u"sha-512", u"abc", u"hex",
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a"
         "3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
        {"NIST abc sha-384", u"SHA-384", u"abc", u"hex",
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca13"
         "4c825a7"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Ascii(control.HashData(c.algorithm, DataArgument::Text(c.text), c.encoding)),
                  c.expected)
            << c.name;
    EXPECT_TRUE(events.Lines.empty());
}

struct BytesCase {
    const char *name;
    const char16_t *algorithm;
    Bytes data;
    const char16_t *encoding;
    const char *expected;
};

TEST(DataMembers, BytesAreHashedAsTheyAreInEveryAlgorithmAndEncoding) {
    EventLog events;
    TVKChecksum control(&events);
    const Bytes all = Seq(0, 256);
    const BytesCase cases[] = {
        {"sha-384", u"sha-384", all, u"hex",
         "ffdaebff65ed05cf400f0221c4ccfb4b2104fb6a51f87e40be6c4309386bfdec2892e9179b34632331a595927"
         "37db5c5"},
        {"sha-1 base64url", u"SHA-1", all, u"base64url", "SRbWvbf3jmgDaYyrMtFYbqRX38g"},
        {"crc32 base64", u"CRC32", all, u"base64", "KQWMcw=="},
        {"crc32 hex", u"crc32", all, u"hex", "29058c73"},
        {"adler32 base64url", u"adler32", all, u"BASE64URL", "rfZ_gQ"},
        {"md5_32 base64", u"MD5_32", all, u"base64", "4shl2w=="},
        {"md5 1..5", u"md5", Seq(1, 5), u"hex", "7cfdd07889b3295d6a550914ab35e068"},
        {"empty sha-512 base64url", u"sha-512", Bytes(), u"base64url",
         "z4PhNX7vuL3xVChQ1m2AB9Yg5AULVxXcg_SpIdNs6c5H0NE8XYXysP-DGNKHfuwvY7kxvUdBeoGlODJ6-SfaPg"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Ascii(control.HashData(c.algorithm, Of(c.data), c.encoding)), c.expected)
            << c.name;
    // TVK32 has no outside reference: the same bytes as the string member.
    EXPECT_EQ(control.HashData(u"tvk32", Of(Str("abc")), u"hex"), control.TVK32String(u"abc", 3));
    // Exactly the bytes given: the rest of the buffer is not read.
    EXPECT_EQ(control.HashData(u"md5", DataArgument::Bytes(all.data() + 1, 5), u"hex"),
              u"7cfdd07889b3295d6a550914ab35e068");
    EXPECT_TRUE(events.Lines.empty());
}

struct HmacCase {
    const char *name;
    const char16_t *algorithm;
    Bytes key;
    Bytes data;
    const char *expected;
};

TEST(DataMembers, HmacMatchesTheRfcCasesAndBlockEdges) {
    EventLog events;
    TVKChecksum control(&events);
    const HmacCase cases[] = {
        {"RFC 4231 1 sha-256", u"SHA-256", Rep(0x0b, 20), Str("Hi There"),
         "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        {"RFC 4231 2 sha-256", u"SHA-256", Str("Jefe"), Str("what do ya want for nothing?"),
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {"RFC 4231 3 sha-256", u"SHA-256", Rep(0xaa, 20), Rep(0xdd, 50),
         "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
        {"RFC 4231 4 sha-256", u"SHA-256", Seq(1, 25), Rep(0xcd, 50),
         "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
        {"RFC 4231 6 sha-256", u"SHA-256", Rep(0xaa, 131),
         Str("Test Using Larger Than Block-Size Key - Hash Key First"),
         "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
        {"RFC 4231 7 sha-256", u"SHA-256", Rep(0xaa, 131),
         Str("This is a test using a larger than block-size key and a larger than block-size data. "
             "The key needs to be hashed before being used by the HMAC algorithm."),
         "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
        {"RFC 4231 1 sha-384", u"SHA-384", Rep(0x0b, 20), Str("Hi There"),
         "afd03944d84895626b0825f4ab46907f15f9dadbe4101ec682aa034c7cebc59cfaea9ea9076ede7f4af152e8b"
         "2fa9cb6"},
        {"RFC 4231 2 sha-384", u"SHA-384", Str("Jefe"), Str("what do ya want for nothing?"),
         "af45d2e376484031617f78d2b58a6b1b9c7ef464f5a01b47e42ec3736322445e8e2240ca5e69e2c78b3239ecf"
         "ab21649"},
        {"RFC 4231 3 sha-384", u"SHA-384", Rep(0xaa, 20), Rep(0xdd, 50),
         "88062608d3e6ad8a0aa2ace014c8a86f0aa635d947ac9febe83ef4e55966144b2a5ab39dc13814b94e3ab6e10"
         "1a34f27"},
        {"RFC 4231 4 sha-384", u"SHA-384", Seq(1, 25), Rep(0xcd, 50),
         "3e8a69b7783c25851933ab6290af6ca77a9981480850009cc5577c6e1f573b4e6801dd23c4a7d679ccf8a386c"
         "674cffb"},
        {"RFC 4231 6 sha-384", u"SHA-384", Rep(0xaa, 131),
         Str("Test Using Larger Than Block-Size Key - Hash Key First"),
         "4ece084485813e9088d2c63a041bc5b44f9ef1012a2b588f3cd11f05033ac4c60c2ef6ab4030fe8296248df16"
         "3f44952"},
        {"RFC 4231 7 sha-384", u"SHA-384", Rep(0xaa, 131),
         Str("This is a test using a larger than block-size key and a larger than block-size data. "
             "The key needs to be hashed before being used by the HMAC algorithm."),
         "6617178e941f020d351e2f254e8fd32c602420feb0b8fb9adccebb82461e99c5a678cc31e799176d3860e6110"
         "c46523e"},
        {"RFC 4231 1 sha-512", u"SHA-512", Rep(0x0b, 20), Str("Hi There"),
         "87aa7cdea5ef619d4ff0b4241a1d6cb02379f4e2ce4ec2787ad0b30545e17cdedaa833b7d6b8a702038b274ea"
         "ea3f4e4be9d914eeb61f1702e696c203a126854"},
        {"RFC 4231 2 sha-512", u"SHA-512", Str("Jefe"), Str("what do ya want for nothing?"),
         "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea2505549758bf75c05a994a6d034f65f"
         "8f0e6fdcaeab1a34d4a6b4b636e070a38bce737"},
        {"RFC 4231 3 sha-512", u"SHA-512", Rep(0xaa, 20), Rep(0xdd, 50),
         "fa73b0089d56a284efb0f0756c890be9b1b5dbdd8ee81a3655f83e33b2279d39bf3e848279a722c806b485a47"
         "e67c807b946a337bee8942674278859e13292fb"},
        {"RFC 4231 4 sha-512", u"SHA-512", Seq(1, 25), Rep(0xcd, 50),
         "b0ba465637458c6990e5a8c5f61d4af7e576d97ff94b872de76f8050361ee3dba91ca5c11aa25eb4d679275cc"
         "5788063a5f19741120c4f2de2adebeb10a298dd"},
        {"RFC 4231 6 sha-512", u"SHA-512", Rep(0xaa, 131),
         Str("Test Using Larger Than Block-Size Key - Hash Key First"),
         "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f3526b56d037e05f2598bd0fd2215"
         "d6a1e5295e64f73f63f0aec8b915a985d786598"},
        {"RFC 4231 7 sha-512", u"SHA-512", Rep(0xaa, 131),
         Str("This is a test using a larger than block-size key and a larger than block-size data. "
             "The key needs to be hashed before being used by the HMAC algorithm."),
         "e37b6a775dc87dbaa4dfa9f96e5e3ffddebd71f8867289865df5a32d20cdc944b6022cac3c4982b10d5eeb55c"
         "3e4de15134676fb6de0446065c97440fa8c6a58"},
        {"RFC 2202 1 md5", u"md5", Rep(0x0b, 16), Str("Hi There"),
         "9294727a3638bb1c13f48ef8158bfc9d"},
        {"RFC 2202 2 md5", u"md5", Str("Jefe"), Str("what do ya want for nothing?"),
         "750c783e6ab0b503eaa86e310a5db738"},
        {"RFC 2202 6 md5", u"md5", Rep(0xaa, 80),
         Str("Test Using Larger Than Block-Size Key - Hash Key First"),
         "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
        {"RFC 2202 1 sha-1", u"sha-1", Rep(0x0b, 20), Str("Hi There"),
         "b617318655057264e28bc0b6fb378c8ef146be00"},
        {"RFC 2202 2 sha-1", u"sha-1", Str("Jefe"), Str("what do ya want for nothing?"),
         "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {"RFC 2202 6 sha-1", u"sha-1", Rep(0xaa, 80),
         Str("Test Using Larger Than Block-Size Key - Hash Key First"),
         "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        {"key of one block sha-256", u"sha-256", Seq(0, 64), Str("abc"),
         "6ab541b4869dca71c4ca11d8bb1b02533b789a557583161429292c7404bc21f6"},
        {"key one over the block sha-256", u"sha-256", Seq(0, 65), Str("abc"),
         "dfbffee4671bad00ed5d1e1999d55ed3b0cc774ac357f9ebf649c1612414fcec"},
        {"key of one block sha-512", u"sha-512", Seq(0, 128), Str("abc"),
         "b63d28cd593ad7e8f0e3168367471441d9668b5fb970a620994e8e1c7b02d0d2b17f55eb1bf5916465ae8bfca"
         "fad706e29cbe258ac4a2d4014190ec0b3abe827"},
        {"key one over the block sha-512", u"sha-512", Seq(0, 129), Str("abc"),
         "767a0a8da500b0f4b08ac06b7535b29cb7f4449beee8e8094e8cb6e8fa7c51049f9964e868da0504100c0ffb7"
         "9a8f6542d8ed75b096472bd667ece4522d8cd3f"},
        {"empty key and data md5", u"md5", Seq(0, 0), Str(""), "74e6f7298a9c2d168935f58c001bad88"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Ascii(control.HMAC(c.algorithm, Of(c.key), Of(c.data), u"hex")), c.expected)
            << c.name;
    // Texts as UTF-8, Base64 as a REST request's signature carries it.
    EXPECT_EQ(Ascii(control.HMAC(u"sha-256", DataArgument::Text(u"secret"),
                                 DataArgument::Text(u"GET\n/v1/items\n1700000000"), u"base64")),
              "bOYLZRP4zrHEoyfG1SIPcLSdeesfPShqE5ILOs6z0ag=");
    EXPECT_EQ(Ascii(control.HMAC(u"sha-512", DataArgument::Text(u"ключ"),
                                 DataArgument::Text(u"\U0001F600 data"), u"hex")),
              "87793c15c4d06602b5b44079a01b087580835261b03c304804997421160d57cee012095f713d8aae"
              "ed2cacc54b989f120e055f348e45daca846e91e6f9deb424");
    EXPECT_EQ(Ascii(control.HMAC(u"sha-384", Of(Seq(0, 200)), Of(Str("x")), u"base64url")),
              "hp8MeZfVzgTjQX-odvB0uUOT--aPyu_5n4OxK871kBQE8OB6iVVWMSVl2b09-DyP");
    EXPECT_TRUE(events.Lines.empty());
}

TEST(DataMembers, FilesHashAsTheirBytesWithEveryAlgorithm) {
    TempDir dir;
    EventLog events;
    TVKChecksum control(&events);
    const std::string content = "The quick brown fox jumps over the lazy dog";
    const String file = dir.File(u"fox-Καλη.txt", content);
    for (const char16_t *algorithm : {u"adler32", u"crc32", u"sha-256", u"sha-1", u"md5", u"md5_32",
                                      u"tvk32", u"sha-512", u"sha-384"})
        for (const char16_t *encoding : {u"hex", u"base64url"})
            EXPECT_EQ(control.HashFile(algorithm, file, encoding),
                      control.HashData(algorithm, Of(Str(content)), encoding))
                << Ascii(algorithm);
    EXPECT_EQ(control.SHA512File(file), control.HashData(u"sha-512", Of(Str(content)), u"hex"));
    EXPECT_EQ(control.SHA384File(file), control.HashData(u"sha-384", Of(Str(content)), u"hex"));
    EXPECT_EQ(control.SHA512String(u"abc", 3),
              control.HashData(u"sha-512", Of(Str("abc")), u"hex"));
    EXPECT_EQ(control.SHA384String(u"abcdef", 3),
              control.HashData(u"sha-384", Of(Str("abc")), u"hex"));
    EXPECT_TRUE(events.Lines.empty());
}

TEST(DataMembers, EveryRefusalRaisesItsErrorAndReturnsNothing) {
    TempDir dir;
    EventLog events;
    TVKChecksum control(&events);
    const Bytes abc = Str("abc");
    const DataArgument ok = Of(abc);
    const DataArgument bad = DataArgument::Invalid();
    const String missing = dir.Path("missing.bin");
    const std::pair<std::function<String()>, const char *> cases[] = {
        {[&] { return control.HashData(u"sha-3", ok, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HashData(u"sha256", ok, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HashData(u"sha-256", bad, u"hex"); }, "ErrorCode 10 Invalid data"},
        {[&] { return control.HashData(u"sha-256", ok, u"base32"); },
         "ErrorCode 11 Invalid encoding"},
        {[&] { return control.HashData(u"sha-256", ok, u""); }, "ErrorCode 11 Invalid encoding"},
        {[&] { return control.HashData(u"nope", bad, u"nope"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HashData(u"md5", bad, u"nope"); }, "ErrorCode 10 Invalid data"},
        {[&] { return control.HMAC(u"crc32", ok, ok, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HMAC(u"adler32", ok, ok, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HMAC(u"tvk32", ok, ok, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HMAC(u"MD5_32", ok, ok, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HMAC(u"sha-256", bad, ok, u"hex"); }, "ErrorCode 10 Invalid data"},
        {[&] { return control.HMAC(u"sha-256", ok, bad, u"hex"); }, "ErrorCode 10 Invalid data"},
        {[&] { return control.HMAC(u"sha-256", ok, ok, u"b64"); }, "ErrorCode 11 Invalid encoding"},
        {[&] { return control.HashFile(u"sha-2", missing, u"hex"); },
         "ErrorCode 7 Invalid checksum selection"},
        {[&] { return control.HashFile(u"sha-512", missing, u"hexa"); },
         "ErrorCode 11 Invalid encoding"},
        {[&] { return control.HashFile(u"sha-512", u"", u"hex"); },
         "ErrorCode 3 The input file is empty "},
        {[&] { return control.HashFile(u"sha-512", missing, u"hex"); },
         "ErrorCode 5 The input file or path is invalid"},
        {[&] { return control.SHA384File(missing); },
         "ErrorCode 5 The input file or path is invalid"},
    };
    for (const auto &[call, expected] : cases) {
        events.Lines.clear();
        EXPECT_EQ(call(), u"") << expected;
        EXPECT_EQ(events.Lines, Lines({expected}));
    }
}

} // namespace
