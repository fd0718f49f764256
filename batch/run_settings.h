// What every map's run gets from a batch's command line.
#ifndef KORVEX_BATCH_RUN_SETTINGS_H
#define KORVEX_BATCH_RUN_SETTINGS_H

#include "options.h"
#include "runner.h"

namespace batch {

// korvex's options as given and, unless given, the tables the runs' game
// needs: found from the working folder (then where the tables are
// installed, then in the source tree's tables/, see kmap::find_table) and
// named absolutely, -e always, -t under -q3. None in numbering mode, and
// none under -q3 without -q1 or -q2: there each map's faces choose its
// game, and its run finds that game's tables by the same search. jobs:
// options.jobs, or `cores` when not given. Reads nothing but the folders
// searched.
[[nodiscard]] BatchSettings settings_for(const BatchOptions& options, unsigned cores);

}  // namespace batch

#endif
