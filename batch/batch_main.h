// The korvex-batch program: its command line, the maps' runs, the reports
// and the summary on the process's console.
#ifndef KORVEX_BATCH_BATCH_MAIN_H
#define KORVEX_BATCH_BATCH_MAIN_H

#include <cstdio>

namespace batch {

// Runs korvex-batch on a command line (argv[0] the program's name): prints
// the summary on `out` and progress and messages on `err` (a terminal:
// progress redrawn in place), writes the maps' outputs, logs and
// the reports asked for. Returns the exit status: 0 completed, 1 a map or a
// report failed, 2 a bad command line, 130 interrupted.
[[nodiscard]] int korvex_batch_main(int argc, char** argv, FILE* out, FILE* err, bool err_is_terminal);

}  // namespace batch

#endif
