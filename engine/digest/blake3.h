/* blake3.h -- BLAKE3 hash with its 32-byte output (O'Connor, Aumasson,
 * Neves, Wilcox-O'Hearn, "BLAKE3: one function, fast everywhere", 2020).
 * Incremental: blake3_init, blake3_update any number of times, blake3_final
 * once. All state lives in the caller's Blake3Context; nothing is allocated.
 * Runs of whole chunks are compressed several at once by the dispatched
 * blake3_hash_many (dispatch.h).
 */
#ifndef TVK_DIGEST_BLAKE3_H
#define TVK_DIGEST_BLAKE3_H

#include <cstddef>
#include <cstdint>

constexpr int BLAKE3_DIGEST_SIZE = 32;

/* The deepest stack of pending subtrees: one per bit of a 2^54-chunk
 * (2^64-byte) count, and one more not yet merged with its sibling. */
constexpr int BLAKE3_MAX_PENDING = 55;

struct Blake3Context {
    uint32_t cv[8];                        /* chaining value of the chunk being read */
    uint64_t chunk;                        /* its index: the chunks before it */
    uint32_t blocks;                       /* its blocks already compressed */
    uint32_t buffer_len;                   /* bytes in buffer */
    uint8_t buffer[64];                    /* its last block read, compressed once more follows */
    uint32_t pending;                      /* subtrees in the stack */
    uint8_t stack[BLAKE3_MAX_PENDING][32]; /* their chaining values, largest first */
};

void blake3_init(Blake3Context *ctx);
void blake3_update(Blake3Context *ctx, const uint8_t *input, uint32_t length);
void blake3_final(Blake3Context *ctx, uint8_t out[BLAKE3_DIGEST_SIZE]);

/* For hashing parts of one input on several threads: the chaining value of
 * a subtree, a run of whole 1024-byte chunks that starts at chunk
 * chunk_counter. length is a power of two number of chunks (1024, 2048,
 * 4096... bytes) and chunk_counter a multiple of that number. It touches
 * nothing but its arguments: several threads may run it at once. */
void blake3_subtree_cv(const uint8_t *input, size_t length, uint64_t chunk_counter, uint8_t cv[32]);

/* Appends such a subtree of `chunks` chunks to the input hashed so far, as
 * if its bytes had been fed to blake3_update. The bytes so far must be a
 * multiple of `chunks` chunks. And input must follow the subtree (more
 * bytes, or another subtree) unless some preceded it: a subtree pushed at
 * the start and followed by nothing would have to be the root, which its
 * chaining value cannot give. So an input of n aligned pieces hashes as
 * subtrees pushed for all pieces but the last and the last piece fed with
 * blake3_update (or pushed too, when n > 1). */
void blake3_push_subtree(Blake3Context *ctx, const uint8_t cv[32], uint64_t chunks);

#endif
