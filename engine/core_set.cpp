/* core_set.cpp -- the cores of a set, made and fed through their CoreOps. */
#include "core_set.h"

#include "digest_cores.h"

#include <cstring>
#include <new>

namespace tvkengine {

using tvkalgo::algorithm_of_selector;
using tvkalgo::AlgorithmFacts;

namespace {

/* Room for the text of any core. */
constexpr size_t CORE_TEXT_ROOM = 256;

template <class Core>
const CoreOps ops_of = {
    sizeof(Core),
    alignof(Core),
    [](void *state) { new (state) Core(); },
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
    for (size_t i = 0; i < count_; ++i) {
        Member &member = members_[i];
        member.state =
            ::operator new(member.ops->size, std::align_val_t(member.ops->align), std::nothrow);
        if (member.state == nullptr) {
            ok_ = false;
            continue;
        }
        member.ops->construct(member.state);
    }
}

SetCore::~SetCore() {
    for (size_t i = 0; i < count_; ++i) {
        Member &member = members_[i];
        if (member.state != nullptr) {
            member.ops->destroy(member.state);
            ::operator delete(member.state, std::align_val_t(member.ops->align));
        }
    }
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
