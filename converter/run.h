// A run of korvex: the command line, the output name, the replacement table
// and the scale factors, then the conversion passes over the source, and the
// summary. The only part of the converter that prints.
#ifndef KORVEX_CONVERTER_RUN_H
#define KORVEX_CONVERTER_RUN_H

#include "run_files.h"
#include "run_report.h"

namespace conv {

// Runs korvex on a command line (argv[0] the program's name; value words
// may be cut at a newline in place). Prints on the console, reads and
// writes only through files, and fills *report when given. Returns the exit
// status, 0 or 1. Holds no state between calls: runs may follow one another
// or run side by side on threads, each with its own console and files.
[[nodiscard]] int korvex_run(int argc, char** argv, const Console& console, RunFiles& files,
                             RunReport* report = nullptr);

// The program: korvex_run on the process's console and the working folder,
// an unfinished output removed when SIGINT or SIGTERM ends the process.
[[nodiscard]] int korvex_main(int argc, char** argv);

}  // namespace conv

#endif
