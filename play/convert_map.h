// One map converted in-process by korvex -q3 with a keep table, into the
// run's work folder, its console and messages kept in memory.
#ifndef KORVEX_PLAY_CONVERT_MAP_H
#define KORVEX_PLAY_CONVERT_MAP_H

#include <atomic>
#include <string>

#include "game.h"
#include "run_report.h"

namespace play {

struct Conversion {
  int status = 1;        // korvex's exit status
  conv::RunReport report;      // what the run did
  std::string console;   // korvex's console lines
  std::string messages;  // what it said on standard error: notices, hints, reasons
};

// The keep table of a game: q1-keep.tex or q2-keep.tex, found where the
// tables are (the working folder, the installed tables, the source tree's).
// Returns its path, or "" when it is nowhere.
[[nodiscard]] std::string find_keep_table(kmap::Game game);

// Runs korvex -q3 (-q1 or -q2 as `game`) -t `keep_table` on `source`,
// writing `output` (a path relative to `folder`, where korvex.log goes
// too), with the game's class table (q1.ent, q2.ent) as found from the
// working folder, as korvex finds it. Returns the run as `out`; the run stops between blocks once `stop`
// is true. Touches no file outside `folder` but the source and the tables.
[[nodiscard]] Conversion convert_map(const std::string& source, const std::string& keep_table, kmap::Game game,
                                     const std::string& folder, const std::string& output,
                                     const std::atomic<bool>& stop);

}  // namespace play

#endif
