/* file_drivers.cpp -- checksum of a file by one algorithm, read as
 * file_reading.h reads it. The text buffers are per call: nothing outside a
 * driver reads them. */
#include "file_reading.h"
#include "output_text.h"

namespace tvkengine {

using tvkalgo::Algorithm;
using tvkalgo::facts;

BlockReader file_block_reader = platform_read_block;
PieceReader file_piece_reader = platform_read_at;

namespace {

static_assert(DIRECT_READ_SIZE <= READ_AHEAD_RING_SIZE, "a direct read fits the buffer");
static_assert(DIRECT_READ_SIZE % HASH_RUN_SIZE == 0 && HASH_RUN_SIZE % READ_BLOCK_SIZE == 0,
              "runs and reads are whole blocks, so a cancel leaves a whole-block prefix");

constexpr bool read_pieces_fit() {
    for (const tvkalgo::AlgorithmFacts &row : tvkalgo::algorithm_table) {
        if (row.read_piece_size % HASH_RUN_SIZE != 0 ||
            row.read_piece_size > READ_AHEAD_RING_SIZE / READ_AHEAD_THREADS) {
            return false;
        }
    }
    return true;
}
static_assert(read_pieces_fit(), "read pieces are whole runs and fit the ring");

} // namespace

alignas(4096) uint8_t file_buffer[READ_AHEAD_RING_SIZE];

namespace {

template <class Core, Algorithm A, class Char>
int32_t digest_file(FileRun &run, const Char *path, char *output) {
    static_assert(Core::TEXT_SIZE > facts(A).digits, "the core's text holds the digits");
    Core core;
    const int32_t result = read_file(run, path, facts(A).read_piece_size, core);
    if (job_has_text(result)) {
        char text[Core::TEXT_SIZE] = {};
        core.text(text);
        put_text(output, text, facts(A).digits, facts(A).file_output_size);
    }
    return result;
}

/* A core that hashes nothing. */
struct NoCore {
    void update(const uint8_t *, uint32_t) {}
};

} // namespace

int32_t read_file_unhashed(FileRun &run, const char *path, size_t piece_size) {
    NoCore core;
    return read_file(run, path, piece_size, core);
}

#define TVK_DEFINE_FILE_DRIVER(Id, word, core, ...)                                                \
    int32_t digest_file_##word(FileRun &run, const char *path, char *output) {                     \
        return digest_file<core##Core, Algorithm::Id>(run, path, output);                          \
    }                                                                                              \
    int32_t digest_file_##word##w(FileRun &run, const char16_t *path, char *output) {              \
        return digest_file<core##Core, Algorithm::Id>(run, path, output);                          \
    }
TVK_ALGORITHMS(TVK_DEFINE_FILE_DRIVER)
#undef TVK_DEFINE_FILE_DRIVER

} // namespace tvkengine
