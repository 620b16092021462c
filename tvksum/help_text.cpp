// help_text.cpp -- the usage text.
#include "help_text.h"

#include "algorithms.h"
#include "tvk_version.h"

namespace tvksum {

using namespace checklist; // the list lines and algorithm names tvksum shares with the control

namespace {

// The names -a takes, from the algorithm table, folded to the help's width
// and indented under the option's text: "adler32, crc32, sha-256
// (default), ... or crc64nvme; any case; the tags (SHA256, BLAKE3, ...)
// too", and how a list of them is written.
std::string algorithm_list() {
    constexpr std::size_t kIndent = 24, kWidth = 78;
    std::string words;
    for (std::size_t i = 0; i < kAlgorithms.size(); ++i) {
        const AlgoInfo &a = kAlgorithms[i];
        words += i == 0 ? "" : i + 1 == kAlgorithms.size() ? " or " : ", ";
        words += a.job_name;
        if (a.algo == Algo::Sha256)
            words += " (default)";
    }
    words += "; any case; the tags (SHA256, BLAKE3, ...) too. Several, separated by commas "
             "(sha-256,md5): each file is read once and has one line per algorithm, in that "
             "order, as --all writes them";
    std::string out;
    std::size_t column = kIndent;
    for (std::size_t at = 0; at < words.size();) {
        std::size_t end = words.find(' ', at);
        if (end == std::string::npos)
            end = words.size();
        const std::size_t n = end - at;
        if (column > kIndent && column + 1 + n > kWidth) {
            out += "\n" + std::string(kIndent, ' ');
            column = kIndent;
        } else if (column > kIndent) {
            out += ' ';
            ++column;
        }
        out.append(words, at, n);
        column += n;
        at = end + 1;
    }
    return out;
}

} // namespace

std::string help_text() {
    return std::string(R"(Usage: tvksum [-a ALGO] [-b|-t|--tag] [-z] [-r [-L]] [-j N] [FILE]...
  or:  tvksum -a ALGO,ALGO... [-z] [-r [-L]] [-j N] [FILE]...
  or:  tvksum --all [-z] [-r [-L]] [-j N] [FILE]...
  or:  tvksum [-a ALGO] [-b|-t|--tag] -s TEXT [-s TEXT]...
  or:  tvksum -c [-a ALGO] [--quiet|--status] [--strict] [-w] [--ignore-missing] [LIST]...
Print or check checksums of files, computed by the TVK Checksum control and
its engine. Lines look like those of sha256sum: the checksum, two blanks, the
file name.

  -a, --algorithm=ALGO  )" +
                       algorithm_list() + R"(
      --all             every checksum of each file, one line each, in
                        the form  ALGO (FILE) = CHECKSUM
  -b, --binary          mark each name with '*' (SUM *FILE), as sha256sum -b
  -t, --text            two blanks before each name (the default)
      --tag             the  ALGO (FILE) = CHECKSUM  form for one algorithm
                        (not with --text given after it)
  -z, --zero            end each line with NUL, not newline, and do not
                        escape file names
  -r, --recursive       checksum every regular file below a directory, in
                        sorted order, printed as DIR/PATH
  -L, --dereference     with -r: follow symbolic links met in the walk
  -j, --jobs=N          checksum N files at once, in N worker processes (also
                        with -c); the output is in the same order as
                        without -j
  -s, --string=TEXT     checksum TEXT (its UTF-8 bytes) instead of a file;
                        printed as the checksum of standard input ("-")
  -c, --check           read checksum lists (sha256sum, sha512sum,
                        sha384sum, md5sum, sha1sum, b3sum, xxhsum, openssl
                        dgst or tagged output) and verify every file they
                        name, in text or binary mode alike; the
                        algorithm comes from the tag, from -a, or from the
                        length of the checksum (128 sha-512, 96 sha-384,
                        64 sha-256, 40 sha-1, 32 md5; other lists, such as
                        b3sum's, need -a)
  -q, --quiet           with -c: do not print OK for verified files
      --status          with -c: print only files that cannot be read; the
                        exit code tells
      --strict          with -c: improperly formatted lines count as failure
  -w, --warn            with -c: warn about each improperly formatted line
                        (of --quiet, --status and --warn the last counts)
      --ignore-missing  with -c: files that do not exist are no failure
      --about           show the text of the control's About box
  -h, --help            show this help
      --version         show the version

With no FILE, or when FILE is -, standard input is read. The control can only
checksum named files, so standard input, pipes and terminals are first copied
to an unnamed temporary file (in $TMPDIR, else /tmp). Other character devices
(/dev/zero, /dev/urandom) may never end and are refused.

Files are checksummed by the control's file methods; a large file runs as a
background job of the control, with a progress bar on standard error when
that is a terminal, and Ctrl-C cancels it.

Exit status: 0 all fine; 1 a checksum did not match, a file could not be
read, the engine library is missing, or bad usage (as md5sum and sha256sum);
130 cancelled with Ctrl-C (143 with SIGTERM). A second Ctrl-C ends tvksum at
once.
)");
}

std::string version_text() {
    return "tvksum " TVK_VERSION " (" TVK_PRODUCT_TITLE ")\n";
}

std::string try_help_text() {
    return "Try 'tvksum --help' for more information.\n";
}

} // namespace tvksum
