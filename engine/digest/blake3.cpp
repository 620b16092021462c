/* blake3.cpp -- BLAKE3 hash (O'Connor, Aumasson, Neves, Wilcox-O'Hearn,
 * 2020), 32-byte output.
 *
 * The input's 1024-byte chunks are the leaves of a binary tree whose left
 * subtrees hold a power of two chunks each; a parent node compresses the
 * two chaining values below it, and the root's compression carries the
 * ROOT flag. The context keeps the chunk being read and a stack of the
 * chaining values of complete subtrees, largest first. Merging is lazy: two
 * subtrees become their parent only once more input shows that the parent
 * is not the root. Within a chunk the last block read is likewise kept
 * until more input follows, since it may end the input.
 *
 * Runs of whole chunks go to blake3_hash_many, which compresses several
 * chunks (then several parents) at once; such a run enters the stack as
 * the two halves of an aligned subtree, so that it too can still become
 * the root's children.
 */
#include "digest/blake3.h"

#include <cassert>
#include <cstring>
#include <utility>

#include "digest/backends.h"
#include "digest/blake3_rounds.h"
#include "digest/byte_order.h"
#include "digest/dispatch.h"

namespace {

struct WordOps {
    static uint32_t add(uint32_t a, uint32_t b) { return a + b; }
    static uint32_t xor_(uint32_t a, uint32_t b) { return a ^ b; }
    static uint32_t rot16(uint32_t v) { return rotr32(v, 16); }
    static uint32_t rot12(uint32_t v) { return rotr32(v, 12); }
    static uint32_t rot8(uint32_t v) { return rotr32(v, 8); }
    static uint32_t rot7(uint32_t v) { return rotr32(v, 7); }
};

/* One compression of a block of block_len bytes (zero-padded to 64); cv
 * becomes the first eight output words, the next chaining value. */
void compress(uint32_t cv[8], const uint8_t block[BLAKE3_BLOCK_LEN], uint32_t block_len,
              uint64_t counter, uint32_t flags) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i)
        m[i] = load_le32(block + 4 * i);
    uint32_t s[16];
    std::memcpy(s, cv, 8 * sizeof *s);
    std::memcpy(s + 8, BLAKE3_IV, 4 * sizeof *s);
    s[12] = static_cast<uint32_t>(counter);
    s[13] = static_cast<uint32_t>(counter >> 32);
    s[14] = block_len;
    s[15] = flags;
    blake3_rounds<WordOps>(s, m);
    for (int i = 0; i < 8; ++i)
        cv[i] = s[i] ^ s[i + 8];
}

void store_cv(uint8_t out[BLAKE3_CV_LEN], const uint32_t cv[8]) {
    for (int i = 0; i < 8; ++i)
        store_le32(out + 4 * i, cv[i]);
}

/* The chaining value of a parent node from its children's, end to end. */
void parent_cv(const uint8_t children[2 * BLAKE3_CV_LEN], uint8_t out[BLAKE3_CV_LEN]) {
    uint32_t cv[8];
    std::memcpy(cv, BLAKE3_IV, sizeof cv);
    compress(cv, children, BLAKE3_BLOCK_LEN, 0, BLAKE3_PARENT);
    store_cv(out, cv);
}

/* Subtrees up to this many chunks are hashed level by level, each level in
 * one blake3_hash_many call; larger ones as two halves. Their chaining
 * values take 8 KiB of stack, and 4 KiB for the level above. */
constexpr size_t FLAT_CHUNKS = 256;

void subtree_cv(const uint8_t *input, uint64_t chunks, uint64_t chunk, uint8_t cv[BLAKE3_CV_LEN]);

/* The chaining values of the two halves of an aligned subtree of 2 or more
 * (a power of two) chunks. */
void subtree_children(const uint8_t *input, uint64_t chunks, uint64_t chunk,
                      uint8_t children[2 * BLAKE3_CV_LEN]) {
    if (chunks > FLAT_CHUNKS) {
        const uint64_t half = chunks / 2;
        subtree_cv(input, half, chunk, children);
        subtree_cv(input + half * BLAKE3_CHUNK_LEN, half, chunk + half, children + BLAKE3_CV_LEN);
        return;
    }
    uint8_t level[FLAT_CHUNKS * BLAKE3_CV_LEN];
    uint8_t above[FLAT_CHUNKS / 2 * BLAKE3_CV_LEN];
    const auto n = static_cast<size_t>(chunks);
    blake3_hash_many(input, n, chunk, false, level);
    uint8_t *from = level, *to = above;
    for (size_t nodes = n / 2; nodes >= 2; nodes /= 2) {
        blake3_hash_many(from, nodes, 0, true, to);
        std::swap(from, to);
    }
    std::memcpy(children, from, 2 * BLAKE3_CV_LEN);
}

void subtree_cv(const uint8_t *input, uint64_t chunks, uint64_t chunk, uint8_t cv[BLAKE3_CV_LEN]) {
    if (chunks == 1)
        return blake3_hash_many(input, 1, chunk, false, cv);
    uint8_t children[2 * BLAKE3_CV_LEN];
    subtree_children(input, chunks, chunk, children);
    parent_cv(children, cv);
}

void start_chunk(Blake3Context *ctx) {
    std::memcpy(ctx->cv, BLAKE3_IV, sizeof ctx->cv);
    ctx->blocks = 0;
    ctx->buffer_len = 0;
}

bool chunk_empty(const Blake3Context *ctx) {
    return ctx->blocks == 0 && ctx->buffer_len == 0;
}

bool chunk_full(const Blake3Context *ctx) {
    return ctx->blocks == BLAKE3_CHUNK_BLOCKS - 1 && ctx->buffer_len == BLAKE3_BLOCK_LEN;
}

/* Merges the subtrees on the stack, now that input follows them, down to
 * one per bit of the count of chunks so far: those that remain have no
 * complete sibling yet. */
void merge_pending(Blake3Context *ctx) {
    const auto complete = static_cast<uint32_t>(__builtin_popcountll(ctx->chunk));
    while (ctx->pending > complete) {
        parent_cv(ctx->stack[ctx->pending - 2], ctx->stack[ctx->pending - 2]);
        --ctx->pending;
    }
}

/* Puts a subtree of `chunks` chunks, which begins at the current chunk and
 * is followed by more input, on the stack. */
void push_cv(Blake3Context *ctx, const uint8_t cv[BLAKE3_CV_LEN], uint64_t chunks) {
    merge_pending(ctx);
    std::memcpy(ctx->stack[ctx->pending++], cv, BLAKE3_CV_LEN);
    ctx->chunk += chunks;
}

/* Ends the full chunk being read, now that more input follows. */
void finish_chunk(Blake3Context *ctx) {
    compress(ctx->cv, ctx->buffer, BLAKE3_BLOCK_LEN, ctx->chunk, BLAKE3_CHUNK_END);
    uint8_t cv[BLAKE3_CV_LEN];
    store_cv(cv, ctx->cv);
    push_cv(ctx, cv, 1);
    start_chunk(ctx);
}

/* Whole chunks from the start of an empty chunk, as aligned subtrees as
 * large as the input allows; stops with at most one chunk left. Returns
 * the bytes taken. */
size_t update_chunks(Blake3Context *ctx, const uint8_t *input, size_t length) {
    size_t done = 0;
    while (length - done > BLAKE3_CHUNK_LEN) {
        uint64_t chunks = (length - done) / BLAKE3_CHUNK_LEN;
        while (chunks & (chunks - 1))
            chunks &= chunks - 1; /* the highest power of two in the count */
        while (ctx->chunk & (chunks - 1))
            chunks /= 2; /* aligned with the chunks before */
        if (chunks == 1) {
            uint8_t cv[BLAKE3_CV_LEN];
            blake3_hash_many(input + done, 1, ctx->chunk, false, cv);
            push_cv(ctx, cv, 1);
        } else {
            uint8_t children[2 * BLAKE3_CV_LEN];
            subtree_children(input + done, chunks, ctx->chunk, children);
            push_cv(ctx, children, chunks / 2);
            push_cv(ctx, children + BLAKE3_CV_LEN, chunks / 2);
        }
        done += static_cast<size_t>(chunks) * BLAKE3_CHUNK_LEN;
    }
    return done;
}

} // namespace

void blake3_hash_many_portable(const uint8_t *input, size_t n, uint64_t chunk, bool parents,
                               uint8_t *cvs) {
    const size_t blocks = parents ? 1 : BLAKE3_CHUNK_BLOCKS;
    for (size_t i = 0; i < n; ++i, cvs += BLAKE3_CV_LEN) {
        uint32_t cv[8];
        std::memcpy(cv, BLAKE3_IV, sizeof cv);
        for (size_t b = 0; b < blocks; ++b, input += BLAKE3_BLOCK_LEN) {
            const uint32_t flags = parents ? BLAKE3_PARENT
                                           : (b == 0 ? BLAKE3_CHUNK_START : 0) |
                                                 (b + 1 == blocks ? BLAKE3_CHUNK_END : 0);
            compress(cv, input, BLAKE3_BLOCK_LEN, parents ? 0 : chunk + i, flags);
        }
        store_cv(cvs, cv);
    }
}

void blake3_init(Blake3Context *ctx) {
    start_chunk(ctx);
    ctx->chunk = 0;
    ctx->pending = 0;
}

void blake3_update(Blake3Context *ctx, const uint8_t *input, uint32_t length) {
    while (length > 0) {
        if (chunk_full(ctx))
            finish_chunk(ctx);
        if (chunk_empty(ctx) && length > BLAKE3_CHUNK_LEN) {
            const auto done = static_cast<uint32_t>(update_chunks(ctx, input, length));
            input += done;
            length -= done;
            continue;
        }
        if (ctx->buffer_len == BLAKE3_BLOCK_LEN) {
            compress(ctx->cv, ctx->buffer, BLAKE3_BLOCK_LEN, ctx->chunk,
                     ctx->blocks == 0 ? BLAKE3_CHUNK_START : 0);
            ++ctx->blocks;
            ctx->buffer_len = 0;
        }
        uint32_t take = static_cast<uint32_t>(BLAKE3_BLOCK_LEN) - ctx->buffer_len;
        if (take > length)
            take = length;
        std::memcpy(ctx->buffer + ctx->buffer_len, input, take);
        ctx->buffer_len += take;
        input += take;
        length -= take;
    }
}

void blake3_final(Blake3Context *ctx, uint8_t out[BLAKE3_DIGEST_SIZE]) {
    /* The last node, compressed as the root unless subtrees remain to its
     * left: the chunk being read (the stack merged first, as for any input
     * that follows it), or else the last two subtrees' parent. Then the
     * parents of the subtrees on the stack, right to left. */
    if (!chunk_empty(ctx))
        merge_pending(ctx);
    uint32_t cv[8];
    uint8_t block[BLAKE3_BLOCK_LEN] = {};
    uint32_t block_len = BLAKE3_BLOCK_LEN;
    uint64_t counter = 0;
    uint32_t flags = BLAKE3_PARENT;
    uint32_t left = ctx->pending;
    assert((!chunk_empty(ctx) || left != 1) && "a subtree pushed at the start ends the input");
    if (!chunk_empty(ctx) || left < 2) {
        std::memcpy(cv, ctx->cv, sizeof cv);
        std::memcpy(block, ctx->buffer, ctx->buffer_len);
        block_len = ctx->buffer_len;
        counter = ctx->chunk;
        flags = (ctx->blocks == 0 ? BLAKE3_CHUNK_START : 0) | BLAKE3_CHUNK_END;
    } else {
        std::memcpy(cv, BLAKE3_IV, sizeof cv);
        std::memcpy(block, ctx->stack[left - 2], 2 * BLAKE3_CV_LEN);
        left -= 2;
    }
    for (; left > 0; --left) {
        compress(cv, block, block_len, counter, flags);
        std::memcpy(block, ctx->stack[left - 1], BLAKE3_CV_LEN);
        store_cv(block + BLAKE3_CV_LEN, cv);
        std::memcpy(cv, BLAKE3_IV, sizeof cv);
        block_len = BLAKE3_BLOCK_LEN;
        counter = 0;
        flags = BLAKE3_PARENT;
    }
    compress(cv, block, block_len, counter, flags | BLAKE3_ROOT);
    store_cv(out, cv);
}

void blake3_subtree_cv(const uint8_t *input, size_t length, uint64_t chunk_counter,
                       uint8_t cv[32]) {
    subtree_cv(input, length / BLAKE3_CHUNK_LEN, chunk_counter, cv);
}

void blake3_push_subtree(Blake3Context *ctx, const uint8_t cv[32], uint64_t chunks) {
    if (chunk_full(ctx))
        finish_chunk(ctx);
    assert(chunk_empty(ctx) && ctx->chunk % chunks == 0);
    push_cv(ctx, cv, chunks);
}
