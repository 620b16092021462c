/* sum_sets.h -- the engine's words for several checksums from one read, and
 * for a list of files checked as one job. Plain data only; the words are
 * reached through interface1 as every other.
 *
 * A set is the address of int32_t selectors (the numbers of the algorithm
 * table), 1 to SUM_SET_MAX_SIZE of them, ended by a 0. A selector may come
 * more than once. Its text is the checksum texts in the set's order,
 * separated by one blank, then a zero: at most SUM_SET_TEXT_SIZE bytes.
 *
 *   "setfile"        A2 8-bit path, A3 output (SUM_SET_TEXT_SIZE bytes),
 *   "setfilew"       A4 the set. The file is read once and every core of
 *                    the set is fed from the same buffers. Returns 1; the
 *                    output is untouched when the file cannot be opened or
 *                    read, or while a job holds the slot. 0, output
 *                    untouched, for a set that is empty, too long or names
 *                    a number no algorithm has.
 *   "newexecuteset"  A2 path, A3 the initial sum text, A4 the set: a
 *   "newexecutesetw" background job as "newexecute" starts one (0 runs, 1
 *                    refused). Its text is read with "getsums"; "getsum"
 *                    gives its first 300 characters.
 *   "getsums"        A2 buffer, A3 its size in bytes: copies the job's sum
 *                    text, cut to size - 1 characters, and a zero. Returns
 *                    the length copied.
 *   "newexecutelistw" A2 the entries of a list, A3 the initial sum text:
 *                    a job that reads the files one after another with one
 *                    algorithm each. The entries are UTF-16 units: for each
 *                    file its selector as one unit, then its path and a
 *                    zero; a zero where a selector would come ends the list
 *                    (an empty list is refused). The engine copies them.
 *                    Progress counts the bytes of the whole list; pause,
 *                    resume and cancel act on the whole list. The job's
 *                    result is 0 when every entry has been decided, 2 when
 *                    it was cancelled. 0 runs, 1 refused.
 *   "getlistentry"   A2 the index of an entry of the last list job, A3 an
 *                    output buffer of SUM_SET_TEXT_SIZE bytes: -1 while the
 *                    entry is not yet decided (or there is no such entry);
 *                    else its result (0 done, its checksum text written to
 *                    A3; 1 the file could not be opened; 3 it could not be
 *                    read; 2 the job was cancelled before or during it).
 *                    Entries are decided in order.
 */
#ifndef TVK_SUM_SETS_H
#define TVK_SUM_SETS_H

#include <cstddef>
#include <cstdint>

namespace tvkalgo {

/* The most selectors in one set: every algorithm once, and some room. */
constexpr size_t SUM_SET_MAX_SIZE = 32;

/* Room for the text of a set: 32 texts of at most 128 digits, the blanks
 * and the zero. */
constexpr size_t SUM_SET_TEXT_SIZE = SUM_SET_MAX_SIZE * 129 + 1;

/* What "getlistentry" answers for an entry not yet decided. */
constexpr int32_t LIST_ENTRY_PENDING = -1;

} // namespace tvkalgo

#endif
