/* protocol_test.cpp -- the command words of interface1, called through the
 * loaded library: results, output bytes and the bytes left alone. */
#include "algorithm_table.h"
#include "engine_library.h"
#include "test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

/* No SCOPED_TRACE here: under 32-bit Wine on an emulator, the watcher
 * thread that it makes gtest start crashes the process now and then. */

namespace {

constexpr char SENTINEL = 0x5a;

struct OutputBuffer {
    char bytes[400];
    OutputBuffer() { std::memset(bytes, SENTINEL, sizeof bytes); }
    /* How many bytes at the start differ from the sentinel, counting on
     * to the last changed one. */
    size_t written() const {
        size_t last = 0;
        for (size_t i = 0; i < sizeof bytes; ++i) {
            if (bytes[i] != SENTINEL) {
                last = i + 1;
            }
        }
        return last;
    }
    std::string text() const { return std::string(bytes, strnlen(bytes, sizeof bytes)); }
};

std::string hex32(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// FIPS 180-4's examples: SHA-512 and SHA-384 of abc.
#define SHA512_ABC                                                                                 \
    "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"                             \
    "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"
#define SHA384_ABC                                                                                 \
    "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed"                             \
    "8086072ba1e7cc2358baeca134c825a7"

struct WordCase {
    const char *word;
    bool file;
    const char *text; // expected digits for the input abc
    size_t bytes;     // bytes written, zeros included
};

#define BLAKE3_ABC "6437b3ac38465133ffb63b75273a8db548c558465d79db03fd359c6cd5bd9d85"

const WordCase abc_cases[] = {
    {"adler32file", true, "024d0127", 9},
    {"crc32file", true, "352441c2", 9},
    {"sha256file", true, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", 65},
    {"sha1file", true, "a9993e364706816aba3e25717850c26c9cd0d89d", 41},
    {"md5file", true, "900150983cd24fb0d6963f7d28e17f72", 33},
    {"tvk32file", true, "b5cf4a26", 9},
    {"md532file", true, "90015098", 16},
    {"crc32string", false, "352441c2", 9},
    {"adler32string", false, "024d0127", 9},
    {"tvk32string", false, "b5cf4a26", 9},
    {"sha256string", false, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", 65},
    {"sha1string", false, "a9993e364706816aba3e25717850c26c9cd0d89d", 41},
    {"md532string", false, "90015098", 10},
    {"md5string", false, "900150983cd24fb0d6963f7d28e17f72", 33},
    {"sha512string", false, SHA512_ABC, 129},
    {"sha384string", false, SHA384_ABC, 97},
    {"sha512file", true, SHA512_ABC, 129},
    {"sha384file", true, SHA384_ABC, 97},
    // b3sum, xxhsum -H3 and -H2, and the CRC-32C and CRC-64/NVME polynomials
    // bit by bit, on "abc".
    {"blake3string", false, BLAKE3_ABC, 65},
    {"blake3file", true, BLAKE3_ABC, 65},
    {"xxh3string", false, "78af5f94892f3950", 17},
    {"xxh3file", true, "78af5f94892f3950", 17},
    {"xxh128string", false, "06b05ab6733a618578af5f94892f3950", 33},
    {"xxh128file", true, "06b05ab6733a618578af5f94892f3950", 33},
    {"crc32cstring", false, "364b3fb7", 9},
    {"crc32cfile", true, "364b3fb7", 9},
    {"crc64nvmestring", false, "05e5cabb3fc1faeb", 17},
    {"crc64nvmefile", true, "05e5cabb3fc1faeb", 17},
};

TEST(EngineProtocol, LibraryLoadsAndExportsInterface1) {
    ASSERT_TRUE(engine().loaded()) << engine_library_path();
}

TEST(EngineProtocol, RightAfterLoadTheJobSlotIsZero) {
    // A copy under another name is a fresh instance with fresh state.
#if defined(_WIN32)
    const std::string copy = scratch_dir() + "fresh_engine.dll";
#else
    const std::string copy = scratch_dir() + "fresh_engine.so";
#endif
    ASSERT_TRUE(copy_test_file(engine_library_path(), copy));
    EngineLibrary fresh(copy);
    ASSERT_TRUE(fresh.loaded());
    EXPECT_EQ(fresh.result(), 0);
    EXPECT_EQ(fresh.status(), 0);
    EXPECT_EQ(fresh.progress(), 0);
    OutputBuffer out;
    EXPECT_EQ(fresh.call("getsum", out.bytes), 0);
    EXPECT_EQ(out.written(), 1u);
    EXPECT_EQ(out.bytes[0], '\0');
}

TEST(EngineProtocol, EveryChecksumWordWritesItsTextAndZerosOnly) {
    const std::string file = write_test_file("abc.bin", std::string("abc"));
    for (const WordCase &c : abc_cases) {
        OutputBuffer out;
        const int32_t r = c.file ? engine().call(c.word, file.c_str(), out.bytes)
                                 : engine().call(c.word, "abc", out.bytes, 3);
        EXPECT_EQ(r, 1) << c.word;
        EXPECT_EQ(out.text(), c.text) << c.word;
        EXPECT_EQ(out.written(), c.bytes) << c.word;
        for (size_t i = std::strlen(c.text); i < c.bytes; ++i) {
            EXPECT_EQ(out.bytes[i], '\0') << c.word << " byte " << i;
        }
        EXPECT_EQ(out.bytes[c.bytes], SENTINEL) << c.word;
    }
    EXPECT_EQ(engine().status(), 0);
}

TEST(EngineProtocol, UnknownWordsReturnZeroAndWriteNothing) {
    for (const char *word : {"CRC32STRING", "crc32string ", "crc32", "", "getstatus2", "Cancel"}) {
        OutputBuffer out;
        EXPECT_EQ(engine().call(word, "abc", out.bytes, 3), 0) << word;
        EXPECT_EQ(out.written(), 0u) << word;
    }
}

TEST(EngineProtocol, StringWordsHashExactlyTheCountedBytes) {
    OutputBuffer empty;
    EXPECT_EQ(engine().call("crc32string", "abc", empty.bytes, 0), 1);
    EXPECT_EQ(empty.text(), "00000000");
    EXPECT_EQ(empty.written(), 9u);

    const char with_zeros[] = {'a', '\0', 'b', '\0'};
    OutputBuffer out;
    engine().call("crc32string", with_zeros, out.bytes, 4);
    const uint32_t expected =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(with_zeros), 4));
    EXPECT_EQ(out.text(), hex32(expected));
    engine().call("adler32string", with_zeros, out.bytes, 4);
    EXPECT_EQ(out.text(), hex32(static_cast<uint32_t>(
                              adler32(1, reinterpret_cast<const Bytef *>(with_zeros), 4))));
}

struct BlockEdgeCase {
    size_t size;
    const char *md5;
    const char *sha1;
    const char *sha256;
    const char *tvk32;
};

TEST(EngineProtocol, FilesAtBlockEdgesMatchStringsAndReferences) {
    const BlockEdgeCase cases[] = {
        {4096, "b7090435438a63bb1e356332971a6689", "7df3fad9262989798635acd426d459c8136da5d5",
         "eff5b8865347b3811efb86683e68491956fe8cb758df5ea3cb119611c64e953e", "98443c96"},
        {4097, "4533f13d4102a92435fdebb179120ed3", "27cbd48c7ade6a405c2d2abac9cc7d1eeec3d467",
         "1e5a892b4ff9e38ef09610af845cc8d1074803ddca145215e00e0b8ac1fc0747", "86eeaa6e"},
    };
    for (const BlockEdgeCase &c : cases) {
        const std::vector<uint8_t> bytes = pattern_bytes(c.size);
        const std::string file = write_test_file("edge.bin", bytes);
        const uint32_t count = static_cast<uint32_t>(bytes.size());
        const std::string expected[][2] = {
            {"crc32", hex32(static_cast<uint32_t>(crc32(0, bytes.data(), count)))},
            {"adler32", hex32(static_cast<uint32_t>(adler32(1, bytes.data(), count)))},
            {"md5", c.md5},
            {"md532", std::string(c.md5, 8)},
            {"sha1", c.sha1},
            {"sha256", c.sha256},
            {"tvk32", c.tvk32},
        };
        for (const auto &e : expected) {
            OutputBuffer from_file, from_string;
            engine().call((e[0] + "file").c_str(), file.c_str(), from_file.bytes);
            engine().call((e[0] + "string").c_str(), bytes.data(), from_string.bytes, count);
            EXPECT_EQ(from_file.text(), e[1]) << e[0] << " file of " << c.size;
            EXPECT_EQ(from_string.text(), e[1]) << e[0] << " string of " << c.size;
        }
    }
}

TEST(EngineProtocol, DirectFileWordOnMissingFileLeavesBufferAndStatus) {
    const std::string missing = missing_test_file();
    OutputBuffer out;
    // The line goes to standard error on Linux, where standard output holds
    // a host's results; Windows keeps standard output.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(engine().call("adler32file", missing.c_str(), out.bytes), 1);
    std::fflush(stdout);
    std::fflush(stderr);
    const std::string on_stderr = testing::internal::GetCapturedStderr();
    const std::string on_stdout = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.written(), 0u);
    EXPECT_EQ(engine().status(), 0);
#if defined(_WIN32)
    const std::string &printed = on_stdout, &other = on_stderr;
#else
    const std::string &printed = on_stderr, &other = on_stdout;
#endif
    EXPECT_NE(printed.find("error opening input file \n"), std::string::npos) << printed;
    EXPECT_EQ(other.find("error opening"), std::string::npos) << other;
}

TEST(EngineProtocol, GetNameAGivesTheMainProgramWhenNoTvksumModuleIsLoaded) {
    OutputBuffer out;
    EXPECT_EQ(engine().call("getnamea", out.bytes), 1);
    std::string expected = test_program_path().substr(0, 254);
    EXPECT_EQ(out.text(), expected);
    EXPECT_EQ(out.written(), expected.size() + 1);
}

#if defined(_WIN32)
TEST(EngineProtocol, GetNameAGivesTheTvksumModuleWhenLoaded) {
    // A second copy of the engine named tvksum.tvk; it also loads and
    // unloads cleanly.
    const std::string copy = scratch_dir() + "tvksum.tvk";
    ASSERT_TRUE(copy_test_file(engine_library_path(), copy));
    HMODULE module = LoadLibraryA(copy.c_str());
    ASSERT_NE(module, nullptr);
    char expected[MAX_PATH] = {};
    GetModuleFileNameA(module, expected, sizeof expected);
    OutputBuffer out;
    EXPECT_EQ(engine().call("getnamea", out.bytes), 1);
    EXPECT_EQ(out.text(), std::string(expected).substr(0, 254));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("tvksum.tvk"), nullptr);
}
#endif

TEST(EngineProtocol, NewExecuteRefusesSelectorsOutsideTheTable) {
    const std::string file = write_test_file("abc.bin", std::string("abc"));
    for (uintptr_t selector :
         {uintptr_t{0}, uintptr_t{tvkalgo::algorithm_count + 1}, ~uintptr_t{0}}) {
        const std::string initial = "initial " + std::to_string(selector);
        EXPECT_EQ(engine().call("newexecute", file.c_str(), initial.c_str(), selector), 1);
        EXPECT_EQ(engine().status(), 0);
        EXPECT_EQ(engine().sum(), initial);
    }
}

TEST(EngineProtocol, NewExecuteRefusesAPathTooLongForItsBufferAndStoresNothing) {
    const std::string file = write_test_file("abc.bin", std::string("abc"));
    ASSERT_EQ(engine().call("newexecute", file.c_str(), "kept", 0), 1);
    const std::string too_long(4096, 'x');
    EXPECT_EQ(engine().call("newexecute", too_long.c_str(), "replaced", 2), 1);
    EXPECT_EQ(engine().status(), 0);
    EXPECT_EQ(engine().sum(), "kept");

    // One byte shorter fits: the job starts and fails to open it.
    const std::string fits = scratch_dir() + std::string(4095 - scratch_dir().size(), 'y');
    ASSERT_EQ(fits.size(), 4095u);
    EXPECT_EQ(engine().call("newexecute", fits.c_str(), "started", 2), 0);
    ASSERT_TRUE(engine().wait_idle());
    EXPECT_EQ(engine().result(), 1);
    EXPECT_EQ(engine().sum(), "started");
}

TEST(EngineProtocol, LongInitialSumTextIsCutTo300Characters) {
    const std::string initial(400, ' ');
    ASSERT_EQ(engine().call("newexecute", "", initial.c_str(), 0), 1);
    OutputBuffer out;
    EXPECT_EQ(engine().call("getsum", out.bytes), 0);
    EXPECT_EQ(out.text(), std::string(300, ' '));
    EXPECT_EQ(out.written(), 301u);
}

#if defined(_WIN32) && !defined(_WIN64)
TEST(EngineProtocol, CallWindowProcAReachesInterface1) {
    // The host's route on 32-bit Windows: four 32-bit values of a window
    // procedure call.
    OutputBuffer out;
    const LRESULT r =
        CallWindowProcA(reinterpret_cast<WNDPROC>(reinterpret_cast<void (*)()>(engine().entry())),
                        reinterpret_cast<HWND>(const_cast<char *>("crc32string")),
                        reinterpret_cast<UINT>("abc"), reinterpret_cast<WPARAM>(out.bytes), 3);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(out.text(), "352441c2");
}
#endif

} // namespace

namespace {

#if defined(_WIN32)
TEST(EngineProtocol, WorkerHoldsTheLibraryUntilItHasLeftIt) {
    // A copy of its own, freed as soon as its job reports the end: the
    // worker's own reference keeps it mapped until the thread has left.
    const std::string copy = scratch_dir() + "unload_engine.dll";
    ASSERT_TRUE(copy_test_file(engine_library_path(), copy));
    const std::string input = write_test_file("unload.bin", pattern_bytes(5000));
    for (int round = 0; round < 3; ++round) {
        HMODULE module = LoadLibraryA(copy.c_str());
        ASSERT_NE(module, nullptr);
        const auto entry = reinterpret_cast<Interface1>(
            reinterpret_cast<void (*)()>(GetProcAddress(module, "interface1")));
        ASSERT_NE(entry, nullptr);
        auto word = [](const char *w) { return reinterpret_cast<uintptr_t>(w); };
        ASSERT_EQ(entry(word("newexecute"), word(input.c_str()), word(""), 2), 0);
        while (entry(word("getstatus"), 0, 0, 0) == 1) {
            Sleep(1);
        }
        EXPECT_TRUE(FreeLibrary(module));
        // Gone once the worker has dropped its reference.
        int polls = 0;
        while (GetModuleHandleA("unload_engine.dll") != nullptr && polls < 10000) {
            Sleep(1);
            ++polls;
        }
        EXPECT_EQ(GetModuleHandleA("unload_engine.dll"), nullptr);
    }
}
#else
TEST(EngineProtocol, LibraryStaysMappedOnceLoaded) {
    // Linked with -z nodelete: a worker that is still leaving the library
    // never loses its code.
    const std::string copy = scratch_dir() + "nodelete_engine.so";
    ASSERT_TRUE(copy_test_file(engine_library_path(), copy));
    void *first = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(first, nullptr);
    dlclose(first);
    void *again = dlopen(copy.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(again, nullptr);
    if (again != nullptr) {
        dlclose(again);
    }
}
#endif

} // namespace
