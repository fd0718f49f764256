// The counts a batch shows for each converted map, taken from korvex's
// report of its run.
#ifndef KORVEX_BATCH_MAP_COUNTS_H
#define KORVEX_BATCH_MAP_COUNTS_H

#include "run_report.h"

namespace batch {

struct MapCounts {
  long brushes = 0;    // world brushes, discarded ones included
  long entities = 0;   // entities read, the world not included
  long written = 0;    // entities written
  long left_out = 0;   // entities neither written nor discarded: classes the table does not list
  long discarded = 0;  // invalid brushes and entities dropped
};

// The counts of a run's report, as korvex's own --report gives them.
[[nodiscard]] MapCounts counts_of(const conv::RunReport& report);

}  // namespace batch

#endif
