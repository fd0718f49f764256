// A batch's reports for scripts: --report, one JSON object for the whole
// run, and --csv, the summary table's rows.
#ifndef KORVEX_BATCH_BATCH_REPORT_H
#define KORVEX_BATCH_BATCH_REPORT_H

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "maps.h"
#include "options.h"
#include "runner.h"

namespace batch {

// How the batch ran, for its report.
struct BatchFacts {
  const BatchOptions* options = nullptr;  // as given
  const BatchSettings* settings = nullptr;  // what each run got: korvex's words, the tables included; the jobs
  BatchStatus status = BatchStatus::completed;
  int exit_status = 0;
  double seconds = 0;  // from the first map's start to the last one's end
};

// The whole run as a JSON object:
//   program, version, status ("completed" or "interrupted"), exit_status,
//   seconds,
//   options {inputs [...], korvex_args [...], out_dir, jobs, report, csv}
//     (paths absolute, "" when not given),
//   maps [{map, source, output, log, result, reason, seconds,
//          counts {brushes, entities, written, left_out, discarded} or null,
//          report: korvex's report of the run (see report_json) or null}],
//     in the order of `jobs`; counts for completed maps, a report for
//     every map that ran,
//   totals {maps, ok, failed, interrupted, skipped, seconds,
//           brushes, entities, written, left_out, discarded}, the counts
//     summed over completed maps as the summary table does.
// results[i] belongs to jobs[i].
[[nodiscard]] nlohmann::json batch_report_json(const BatchFacts& run, const std::vector<MapJob>& jobs,
                                               const std::vector<MapResult>& results);

// The summary table's rows as CSV (RFC 4180, lines ending in CRLF): a
// heading, then one row per map in the order of `jobs`: map, result,
// brushes, written, left_out, discarded, seconds, reason. Counts are empty
// for maps that did not complete, seconds too for maps that did not run.
// No total row: a script sums the rows.
[[nodiscard]] std::string summary_csv(const std::vector<MapJob>& jobs, const std::vector<MapResult>& results);

}  // namespace batch

#endif
