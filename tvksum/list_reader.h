// list_reader.h -- the lines of a checksum list, read as md5sum reads them.
#ifndef TVKSUM_LIST_READER_H
#define TVKSUM_LIST_READER_H

#include <string>
#include <vector>

namespace tvksum {

// Reads a list ("-": standard input) in blocks of the size stdio would use
// for it, one line at a time and only when the line is asked for, so the
// lines read before a read error are the ones md5sum reads before it: every
// whole line of the blocks read, then the part of a line the last good block
// ends with.
class ListReader {
  public:
    explicit ListReader(const std::string &list);
    ~ListReader();
    ListReader(const ListReader &) = delete;
    ListReader &operator=(const ListReader &) = delete;

    // Why the list could not be opened ("No such file or directory"); empty
    // when it is open.
    const std::string &open_error() const { return open_error_; }
    // The next line, without its line feed; false at the end of the list or
    // after a read error.
    bool next(std::string &line);
    // A read failed (also when Ctrl-C ended the read).
    bool failed() const { return failed_; }

  private:
    bool fill(); // false at the end or on an error
    int fd_ = -1;
    bool own_fd_ = false;
    std::string open_error_;
    std::vector<char> block_;
    std::size_t begin_ = 0, end_ = 0;
    bool ended_ = false, failed_ = false;
};

} // namespace tvksum

#endif
