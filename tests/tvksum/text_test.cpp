// UTF-8 <-> UTF-16, algorithm names and the progress line.
#include "algorithms.h"
#include "progress_bar.h"
#include "utf.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace checklist;
using namespace tvksum;

namespace {

TEST(Utf, DecodesValidUtf8) {
    EXPECT_EQ(utf8_to_utf16(""), u"");
    EXPECT_EQ(utf8_to_utf16("abc"), u"abc");
    EXPECT_EQ(utf8_to_utf16("\xC3\xA9t\xC3\xA9"), u"\u00e9t\u00e9");
    EXPECT_EQ(utf8_to_utf16("\xE2\x82\xAC"), u"\u20ac");
    EXPECT_EQ(utf8_to_utf16("\xF0\x9F\x98\x80"), u"\U0001F600"); // a surrogate pair
    EXPECT_EQ(utf8_to_utf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf, RefusesMalformedUtf8) {
    for (const char *bad : {"\xFF", "\x80", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "ok\xE2\x82"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(utf8_to_utf16(bad).has_value());
    }
}

TEST(Utf, EncodesAndRoundTrips) {
    const std::string samples[] = {"", "plain", "\xC3\xA9", "\xE2\x82\xAC",
                                   "\xF0\x9F\x98\x80 mixed \xC3\xB1"};
    for (const std::string &s : samples)
        EXPECT_EQ(utf16_to_utf8(*utf8_to_utf16(s)), s);
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD"); // lone surrogate
}

TEST(Algorithms, NamesAsTheControlTakesThem) {
    const char *names[] = {"adler32", "crc32", "sha-256", "sha-1", "md5", "md5_32", "tvk32"};
    const std::size_t digits[] = {8, 8, 64, 40, 32, 8, 8};
    for (std::size_t i = 0; i < 7; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(kAlgorithms[i].job_name, names[i]);
        EXPECT_EQ(kAlgorithms[i].digits, digits[i]);
        EXPECT_EQ(find_algorithm(names[i]), &kAlgorithms[i]);
        EXPECT_EQ(find_algorithm(kAlgorithms[i].tag), &kAlgorithms[i]);
    }
    EXPECT_EQ(find_algorithm("SHA-256")->algo, Algo::Sha256);
    EXPECT_EQ(find_algorithm("Md5")->algo, Algo::Md5);
    for (const char *bad : {"", "md532", " crc32", "crc32 ", "sha", "sha-2566"})
        EXPECT_EQ(find_algorithm(bad), nullptr) << bad;
}

TEST(Algorithms, HexAndLengthGuess) {
    EXPECT_TRUE(is_hex("00ffAB12", 8));
    EXPECT_FALSE(is_hex("00ffAB1", 8));
    EXPECT_FALSE(is_hex("00ffAB1g", 8));
    EXPECT_FALSE(is_hex(std::string(300, ' '), 300));
    EXPECT_EQ(guess_from_length(64)->algo, Algo::Sha256);
    EXPECT_EQ(guess_from_length(40)->algo, Algo::Sha1);
    EXPECT_EQ(guess_from_length(32)->algo, Algo::Md5);
    EXPECT_EQ(guess_from_length(8), nullptr);
}

TEST(Progress, RendersBarPercentAndName) {
    EXPECT_EQ(render_progress(0, "f", 80), "[                    ]   0% f");
    EXPECT_EQ(render_progress(45, "f", 80), "[#########           ]  45% f");
    EXPECT_EQ(render_progress(100, "f", 80), "[####################] 100% f");
    EXPECT_EQ(render_progress(-1, "f", 80), render_progress(0, "f", 80));
    EXPECT_EQ(render_progress(250, "f", 80), render_progress(100, "f", 80));
}

TEST(Progress, FitsTheTerminal) {
    const std::string name = "/a/very/long/directory/name/and/then/the/file.bin";
    for (int columns : {20, 30, 40, 60, 200}) {
        SCOPED_TRACE(columns);
        const std::string text = render_progress(50, name, columns);
        EXPECT_LT(static_cast<int>(text.size()), columns > 27 ? columns : 28);
        if (columns >= 60) {
            EXPECT_NE(text.find("file.bin"), std::string::npos);
        }
    }
    const std::string cut = render_progress(50, name, 40);
    EXPECT_EQ(cut.substr(cut.size() - 8), "file.bin");
    EXPECT_NE(cut.find("..."), std::string::npos);
}

TEST(Progress, NamesAreDrawnOnOneLine) {
    EXPECT_EQ(render_progress(1, "a\nb\rc\td", 80), render_progress(1, "a?b?c?d", 80));
    // A UTF-8 name is cut at a character boundary and measured in characters.
    const std::string euros = "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC";
    EXPECT_EQ(render_progress(1, euros, 40), render_progress(1, "x", 40).substr(0, 28) + euros);
    const std::string cut = render_progress(1, "abcdefgh" + euros + euros + euros, 40);
    // 40 columns leave 11 for the name: "..." and its last eight characters.
    EXPECT_EQ(cut.substr(28), "..." + euros + euros);
}

std::string written(std::FILE *f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;)
        s.push_back(static_cast<char>(c));
    return s;
}

TEST(Progress, DrawsOnlyWhenEnabled) {
    std::FILE *off = std::tmpfile();
    ProgressBar quiet(off, false, 80);
    quiet.update(50, "f");
    quiet.clear();
    EXPECT_EQ(written(off), "");
    std::fclose(off);

    std::FILE *on = std::tmpfile();
    ProgressBar bar(on, true, 80);
    bar.clear(); // nothing drawn yet: nothing to erase
    bar.update(10, "f");
    bar.update(10, "f"); // unchanged: not redrawn
    bar.update(20, "f");
    bar.clear();
    EXPECT_EQ(written(on), "\r" + render_progress(10, "f", 80) + "\033[K\r" +
                               render_progress(20, "f", 80) + "\033[K\r\033[K");
    std::fclose(on);
}

TEST(Progress, ABarOnAFileIsOff) {
    std::FILE *f = std::tmpfile();
    EXPECT_FALSE(ProgressBar(f).enabled());
    std::fclose(f);
}

} // namespace
