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

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tvkengine {

/* Room for the sum text: the control sends 300 blanks as the initial text;
 * a longer initial text is cut to 300 characters. Every checksum text is
 * shorter. "getsum" therefore writes at most 301 bytes. */
constexpr size_t JOB_SUM_TEXT_SIZE = 301;

class SumText {
  public:
    /* Replaces the text by at most JOB_SUM_TEXT_SIZE - 1 characters of
     * text. Only the holder of the job slot calls it. */
    void publish(const char *text);

    /* Copies the current text and its zero into out (at most
     * JOB_SUM_TEXT_SIZE bytes); returns its length. */
    size_t copy(char *out) const;

  private:
    std::atomic<char> text_[JOB_SUM_TEXT_SIZE] = {};
    /* Even: the text is whole. Odd: a write is under way. */
    std::atomic<uint32_t> version_{0};
};

} // namespace tvkengine

#endif
