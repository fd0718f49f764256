// The records a batch adds to each map's log after korvex's own: what the
// run's console said about classes left out, texture rules, and what -q3
// and its entity rules changed, which a batch shows no console for.
#ifndef KORVEX_BATCH_MAP_LOG_H
#define KORVEX_BATCH_MAP_LOG_H

#include <string>

#include "run_report.h"

namespace batch {

// The records, numbered from `first` and written as korvex writes its own
// ("%5d text", then an empty line): one per class left out, most frequent
// first ("Left out, not in the table: COUNT CLASS"); with texture rules, one
// for their totals and one per rule that chose a face; one per edit, then
// one per note ("-q3: ..." as the console says them). Empty when the report
// has none of these.
[[nodiscard]] std::string batch_log_records(const conv::RunReport& report, int first);

}  // namespace batch

#endif
