/* sum_text.h -- SumText, the type of job_sum_text: the text that "getsum"
 * hands out, the initial text of "newexecute", replaced by the job's
 * checksum text when its driver has one.
 *
 * Only the holder of the job slot writes it ("newexecute" while it sets a
 * job up, the worker before it stores job_status 0), so there is one writer
 * at a time. Readers on any thread, also while a job runs or a new one is
 * being set up, get a whole text, never a mix of two: the text is guarded
 * by a version number that is odd while a write is under way (a sequence
 * lock), and every byte is an atomic, so no lock is taken and there is no
 * data race.
 */
#ifndef TVK_ENGINE_SUM_TEXT_H
#define TVK_ENGINE_SUM_TEXT_H

#include "sum_sets.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tvkengine {

/* What "getsum" writes at most: the control sends 300 blanks as the
 * initial text, and a longer initial text is cut to 300 characters. The
 * text of one checksum is shorter; a set's text ("getsums") may be longer,
 * up to SUM_SET_TEXT_SIZE bytes with its zero. */
constexpr size_t JOB_SUM_TEXT_SIZE = 301;
constexpr size_t SUM_TEXT_ROOM = tvkalgo::SUM_SET_TEXT_SIZE;

class SumText {
  public:
    /* Replaces the text by at most limit - 1 characters of text (limit at
     * most SUM_TEXT_ROOM). Only the holder of the job slot calls it. */
    void publish(const char *text, size_t limit = SUM_TEXT_ROOM);

    /* Copies the current text, cut to size - 1 characters, and a zero into
     * out (size bytes, at least 1); returns the length copied. */
    size_t copy(char *out, size_t size = JOB_SUM_TEXT_SIZE) const;

  private:
    std::atomic<char> text_[SUM_TEXT_ROOM] = {};
    /* Even: the text is whole. Odd: a write is under way. */
    std::atomic<uint32_t> version_{0};
};

} // namespace tvkengine

#endif
