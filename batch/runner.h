// Runs korvex on every map of a batch, a few at a time, each in a private
// folder, and stops cleanly on SIGINT, SIGTERM or SIGHUP.
#ifndef KORVEX_BATCH_RUNNER_H
#define KORVEX_BATCH_RUNNER_H

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "maps.h"
#include "run_report.h"

enum class Outcome { not_run, ok, failed, interrupted };

struct MapResult {
  Outcome outcome = Outcome::not_run;
  MapCounts counts;     // for Outcome::ok
  std::string reason;   // for Outcome::failed: korvex's last console line
  double seconds = 0;   // from start to end of the run
};

struct BatchSettings {
  std::string korvex;                    // the program to run
  std::vector<std::string> korvex_args;  // after -s SOURCE -d OUTPUT
  unsigned jobs = 1;                     // runs at a time
  std::filesystem::path work_root;       // where the runs' private folders are made
};

enum class BatchStatus { completed, interrupted };

// Converts every job's map; calls map_done after each finished map. A failed
// map never stops the others. Each run's korvex.log goes to job.log (an empty
// file when korvex wrote none), for failed maps too. On a signal no map is
// started any more, running ones get the signal (a second one: SIGKILL) and
// are waited for; maps that did not finish lose what the batch made for them:
// the output folders it created, and new .korvex-* temporaries in their output
// folders. Returns BatchStatus::completed or interrupted; `results` (one per
// job) is written either way. Leaves work_root empty.
[[nodiscard]] BatchStatus run_maps(const std::vector<MapJob>& jobs, const BatchSettings& settings,
                                   const std::function<void(const MapJob&, const MapResult&)>& map_done,
                                   std::vector<MapResult>& results);

#endif
