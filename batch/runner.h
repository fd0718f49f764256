// Runs korvex on every map of a batch, in this process, a few maps at a
// time on threads of their own: each map with its own console, files and
// log, all stopped between two blocks by one flag.
#ifndef KORVEX_BATCH_RUNNER_H
#define KORVEX_BATCH_RUNNER_H

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "map_counts.h"
#include "maps.h"
#include "run_report.h"

namespace batch {

enum class Outcome { not_run, ok, failed, interrupted };

struct MapResult {
  Outcome outcome = Outcome::not_run;
  MapCounts counts;       // for Outcome::ok
  std::string reason;     // for Outcome::failed: the run's failure line
  double seconds = 0;     // from the map's start to its log written
  conv::RunReport report;       // korvex's report, for every map that ran
  std::string log_error;  // why the map's log could not be written, if it could not
};

struct BatchSettings {
  std::vector<std::string> korvex_args;  // after -s SOURCE -d OUTPUT
  unsigned jobs = 1;                     // maps at a time
};

enum class BatchStatus { completed, interrupted };

// Converts every job's map with korvex_run, at most settings.jobs at a time,
// each with a console in memory and its files on disk; calls map_done on
// the calling thread after each map that ran, one at a time, in the order
// they end. A failed map never stops the others. Each run's korvex.log, with
// the records batch_log_records adds, goes to job.log (see place_text), for
// failed maps too. Once `stop` is true no map starts any more and running
// ones stop before their next block; the maps that did not finish leave no
// output, no temporary and no log, and lose the output folders the batch
// made for them when nothing else is in them. Returns BatchStatus::interrupted
// when `stop` was true at the end, else completed; `results` (one per job)
// is written either way. Never writes to the process's console.
[[nodiscard]] BatchStatus run_maps(const std::vector<MapJob>& jobs, const BatchSettings& settings,
                                   const std::atomic<bool>& stop,
                                   const std::function<void(const MapJob&, const MapResult&)>& map_done,
                                   std::vector<MapResult>& results);

}  // namespace batch

#endif
