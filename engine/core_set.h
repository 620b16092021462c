/* core_set.h -- several cores fed from the same bytes: the algorithms of a
 * set (sum_sets.h), each behind a small table of functions made from its
 * row of the algorithm table. */
#ifndef TVK_ENGINE_CORE_SET_H
#define TVK_ENGINE_CORE_SET_H

#include "algorithm_table.h"
#include "sum_sets.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace tvkengine {

struct FileRun;

/* What a set needs of one core. */
struct CoreOps {
    size_t size;
    void (*construct)(void *state);
    void (*update)(void *state, const uint8_t *input, uint32_t length);
    void (*text)(void *state, char *out); // the core's whole text and zero
    void (*destroy)(void *state);
};

/* The cores of a set, in its order. Its update feeds every core; the two
 * threads of a large file each feed one group of them (read_large). */
class SetCore {
  public:
    /* Reads a zero-ended list of selectors; false for one that is empty,
     * longer than SUM_SET_MAX_SIZE or names a number no algorithm has. */
    static bool valid(const int32_t *selectors);

    /* selectors: a valid set. ok() is false when memory ran out; the set
     * then has no cores. */
    explicit SetCore(const int32_t *selectors);
    ~SetCore();
    SetCore(const SetCore &) = delete;
    SetCore &operator=(const SetCore &) = delete;

    bool ok() const { return ok_; }
    size_t size() const { return count_; }

    /* Every core over the same bytes. */
    void update(const uint8_t *input, uint32_t length) {
        for (size_t i = 0; i < count_; ++i) {
            members_[i].ops->update(members_[i].state, input, length);
        }
    }
    /* The cores whose group is group (0 or 1) over the bytes. The groups
     * are about equal in cost; group 0, whose thread also reads, is the
     * lighter. */
    void update_group(size_t group, const uint8_t *input, uint32_t length) {
        for (size_t i = 0; i < count_; ++i) {
            if (members_[i].group == group) {
                members_[i].ops->update(members_[i].state, input, length);
            }
        }
    }
    /* Whether both groups have a core: only then do two threads help. */
    bool two_groups() const { return two_groups_; }

    /* The texts in the set's order, one blank between two, and a zero:
     * at most tvkalgo::SUM_SET_TEXT_SIZE bytes. */
    void text(char *out);

    /* The largest read piece of the set's algorithms. */
    size_t read_piece_size() const { return piece_size_; }

  private:
    struct Member {
        const CoreOps *ops = nullptr;
        void *state = nullptr;
        uint32_t digits = 0;
        size_t group = 0;
    };
    std::array<Member, tvkalgo::SUM_SET_MAX_SIZE> members_{};
    void *block_ = nullptr; // the cores' memory
    size_t count_ = 0;
    size_t piece_size_ = 0;
    bool ok_ = true;
    bool two_groups_ = false;
};

/* A large file's rest for a set: one thread reads, both hash, each its
 * group of cores, so the slower group sets the pace instead of the sum of
 * both (fan_out.h). One group alone goes through the direct reads. */
int32_t read_large(FileRun &run_state, std::FILE *file, int64_t start, size_t piece_size,
                   SetCore &core, uint64_t done);

} // namespace tvkengine

#endif
