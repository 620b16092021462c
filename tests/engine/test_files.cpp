/* test_files.cpp -- input files for the engine tests. */
#include "test_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::vector<uint8_t> pattern_bytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>((static_cast<uint32_t>(i) * 2654435761u) >> 13);
    }
    return bytes;
}

namespace {

/* One folder per test process, removed when the process ends: test
 * programs of several builds may run at once, and one must not rewrite
 * another's files (least of all an engine copy that the other has loaded). */
struct ScratchFolder {
    fs::path path;
    ScratchFolder() {
        path = fs::temp_directory_path() / ("tvk-engine-tests-" + std::to_string(process_id()));
        std::error_code ec;
        fs::create_directories(path, ec);
    }
    ~ScratchFolder() {
        // A library still loaded from here may stay behind on Windows.
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    static long process_id() {
#if defined(_WIN32)
        return static_cast<long>(GetCurrentProcessId());
#else
        return static_cast<long>(getpid());
#endif
    }
};

} // namespace

std::string scratch_dir() {
    static const ScratchFolder folder;
    static const std::string dir =
        folder.path.string() + static_cast<char>(fs::path::preferred_separator);
    return dir;
}

std::string write_test_file(const std::string &name, const std::vector<uint8_t> &bytes) {
    const std::string path = scratch_dir() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string write_test_file(const std::string &name, const std::string &bytes) {
    return write_test_file(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string missing_test_file() {
    const std::string path = scratch_dir() + "no-such-file.bin";
    std::remove(path.c_str());
    return path;
}

std::string make_sparse_file(const std::string &name, uint64_t size) {
    const std::string path = scratch_dir() + name;
#if defined(_WIN32)
    // SetEndOfFile extends without writing; _chsize_s would write zeros.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
#else
    { std::ofstream create(path, std::ios::binary | std::ios::trunc); }
    std::error_code ec;
    fs::resize_file(path, size, ec);
    const bool ok = !ec;
#endif
    if (!ok) {
        std::remove(path.c_str());
        return {};
    }
    return path;
}

bool copy_test_file(const std::string &from, const std::string &to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    return !ec;
}
