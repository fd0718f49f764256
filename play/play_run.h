// A whole korvex-play run, callable in-process (main() and the tests).
#ifndef KORVEX_PLAY_PLAY_RUN_H
#define KORVEX_PLAY_PLAY_RUN_H

#include <ostream>
#include <string>
#include <vector>

namespace play {

// Runs korvex-play with the words after the program name: the summary and
// the compile commands go to `out`; progress, notes and failures to `err`
// (progress rewritten in place when `err_is_terminal`). Installs its own
// SIGINT and SIGTERM handlers for the run's length. Returns the exit
// status: 0 the pack was written with every map; 1 a failure (with a
// folder of maps and without --strict, the pack may hold the maps that
// made it); 2 a bad command line; 128 + the signal when interrupted, the
// work folder and any unfinished pack removed.
[[nodiscard]] int run_korvex_play(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                                  bool err_is_terminal);

}  // namespace play

#endif
