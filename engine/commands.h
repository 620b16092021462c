/* commands.h -- the command words of interface1, in the order in which the
 * entry point tests them. Each handler gets A2, A3 and A4 and returns the
 * 32-bit result of interface1. */
#ifndef TVK_ENGINE_COMMANDS_H
#define TVK_ENGINE_COMMANDS_H

#include <cstddef>
#include <cstdint>

namespace tvkengine {

using CommandHandler = int32_t (*)(uintptr_t a2, uintptr_t a3, uintptr_t a4);

struct Command {
    const char *word;
    CommandHandler run;
};

extern const Command command_table[];
extern const size_t command_count;

/* Room of module_path_text, the per-call buffer behind "getnamea". */
constexpr uint32_t MODULE_PATH_SIZE = 255;

/* Runs the command named by word; 0 for an unknown word. */
int32_t run_command(const char *word, uintptr_t a2, uintptr_t a3, uintptr_t a4);

} // namespace tvkengine

#endif
