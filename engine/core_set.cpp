/* core_set.cpp -- the cores of a set, made and fed through their CoreOps. */
#include "core_set.h"

#include "digest_cores.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <new>

namespace tvkengine {

using tvkalgo::algorithm_of_selector;
using tvkalgo::AlgorithmFacts;

namespace {

/* Room for the text of any core. */
constexpr size_t CORE_TEXT_ROOM = 256;
/* Every core starts at a multiple of this, its own alignment or more. */
constexpr size_t CORE_ALIGN = 64;

constexpr uintptr_t round_up(uintptr_t size) {
    return (size + CORE_ALIGN - 1) / CORE_ALIGN * CORE_ALIGN;
}

template <class Core>
const CoreOps ops_of = {
    sizeof(Core),
    [](void *state) {
        static_assert(alignof(Core) <= CORE_ALIGN, "the core's alignment is kept");
        new (state) Core();
    },
    [](void *state, const uint8_t *input, uint32_t length) {
        static_cast<Core *>(state)->update(input, length);
    },
    [](void *state, char *out) {
        static_assert(Core::TEXT_SIZE <= CORE_TEXT_ROOM, "the text fits");
        static_cast<Core *>(state)->text(out);
    },
    [](void *state) { static_cast<Core *>(state)->~Core(); },
};

#define TVK_CORE_OPS(Id, word, core, ...) &ops_of<core##Core>,
const CoreOps *const core_ops[] = {TVK_ALGORITHMS(TVK_CORE_OPS)};
#undef TVK_CORE_OPS

} // namespace

bool SetCore::valid(const int32_t *selectors) {
    if (selectors == nullptr) {
        return false;
    }
    size_t count = 0;
    for (; selectors[count] != 0; ++count) {
        if (count == tvkalgo::SUM_SET_MAX_SIZE ||
            algorithm_of_selector(selectors[count]) == nullptr) {
            return false;
        }
    }
    return count > 0;
}

SetCore::SetCore(const int32_t *selectors) {
    uint64_t load[2] = {0, 0};
    // The costliest first, each to the lighter group: the two threads
    // finish about together.
    bool placed[tvkalgo::SUM_SET_MAX_SIZE] = {};
    for (; selectors[count_] != 0; ++count_) {
    }
    for (size_t round = 0; round < count_; ++round) {
        size_t pick = count_;
        for (size_t i = 0; i < count_; ++i) {
            if (!placed[i] &&
                (pick == count_ || algorithm_of_selector(selectors[i])->cost >
                                       algorithm_of_selector(selectors[pick])->cost)) {
                pick = i;
            }
        }
        placed[pick] = true;
        const AlgorithmFacts &row = *algorithm_of_selector(selectors[pick]);
        Member &member = members_[pick];
        member.ops = core_ops[static_cast<size_t>(row.id)];
        member.digits = row.digits;
        member.group = load[1] < load[0] ? 1 : 0;
        load[member.group] += row.cost;
        piece_size_ = std::max<size_t>(piece_size_, row.read_piece_size);
    }
    two_groups_ = load[0] != 0 && load[1] != 0;
    // Group 0 is hashed by the thread that also reads: the lighter one.
    if (load[0] > load[1]) {
        for (size_t i = 0; i < count_; ++i) {
            members_[i].group = 1 - members_[i].group;
        }
    }
    // One block for every core, each at a multiple of CORE_ALIGN.
    size_t total = 0;
    for (size_t i = 0; i < count_; ++i) {
        total += round_up(members_[i].ops->size);
    }
    block_ = std::malloc(total + CORE_ALIGN);
    if (block_ == nullptr) {
        ok_ = false;
        count_ = 0;
        return;
    }
    uintptr_t at = round_up(reinterpret_cast<uintptr_t>(block_));
    for (size_t i = 0; i < count_; ++i) {
        Member &member = members_[i];
        member.state = reinterpret_cast<void *>(at);
        member.ops->construct(member.state);
        at += round_up(member.ops->size);
    }
}

SetCore::~SetCore() {
    for (size_t i = 0; i < count_; ++i) {
        members_[i].ops->destroy(members_[i].state);
    }
    std::free(block_);
}

void SetCore::text(char *out) {
    for (size_t i = 0; i < count_; ++i) {
        char text[CORE_TEXT_ROOM] = {};
        members_[i].ops->text(members_[i].state, text);
        if (i != 0) {
            *out++ = ' ';
        }
        std::memcpy(out, text, members_[i].digits);
        out += members_[i].digits;
    }
    *out = '\0';
}

} // namespace tvkengine
