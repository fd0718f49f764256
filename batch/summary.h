// The table a batch prints at its end: one row per map, then the totals.
#ifndef KORVEX_BATCH_SUMMARY_H
#define KORVEX_BATCH_SUMMARY_H

#include <string>
#include <vector>

#include "maps.h"
#include "runner.h"

// Columns: map, result, world brushes, entities written, entities left out,
// discarded objects, time; a failed map's row ends with its failure line.
// The total row adds up the rows of completed maps (times of all maps); the
// last line counts maps by result. The map column is padded to the widest
// name as a terminal shows it (see display_width). results[i] belongs to
// jobs[i].
std::string summary_table(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results);

#endif
