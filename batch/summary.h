// What a batch did, summed up: the table it prints at its end, one row per
// map, then the totals; and the totals alone, for its reports.
#ifndef KORVEX_BATCH_SUMMARY_H
#define KORVEX_BATCH_SUMMARY_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "maps.h"
#include "runner.h"

namespace batch {

// "skipped", "ok", "failed" or "interrupted".
[[nodiscard]] std::string_view outcome_name(Outcome outcome);

struct BatchTotals {
  MapCounts counts;   // summed over the completed maps
  double seconds = 0;  // summed over every map
  std::array<size_t, 4> maps_by_outcome{};  // indexed by Outcome
  [[nodiscard]] size_t maps(Outcome o) const { return maps_by_outcome[static_cast<size_t>(o)]; }
};

// The totals of `results`.
[[nodiscard]] BatchTotals totals_of(const std::vector<MapResult>& results);

// Columns: map, result, world brushes, entities written, entities left out,
// discarded objects, time; a failed map's row ends with its failure line.
// The total row adds up the rows of completed maps (times of all maps); the
// last line counts maps by result. The map column is padded to the widest
// name as a terminal shows it (see display_width). results[i] belongs to
// jobs[i].
[[nodiscard]] std::string summary_table(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results);

}  // namespace batch

#endif
