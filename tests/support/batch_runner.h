// The built korvex-batch run in a folder, and its summary table read back.
#ifndef KORVEX_TESTS_SUPPORT_BATCH_RUNNER_H
#define KORVEX_TESTS_SUPPORT_BATCH_RUNNER_H

#include <csignal>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "process.h"

// Runs korvex-batch in `folder` with args and the environment plus `env`
// (NAME=VALUE entries; "NAME=" alone removes NAME), standard input empty.
// While it runs, `signal_when` is asked every 10 ms; the first time it says
// yes, `sig` is sent to the batch. Standard output holds the summary table,
// standard error the progress lines and messages.
ProcessResult run_batch(const std::string& folder, const std::vector<std::string>& args,
                        const std::vector<std::string>& env = {}, const std::function<bool()>& signal_when = {},
                        int sig = SIGINT, int timeout_seconds = 600);

// One row of the summary table, split at blanks: the map, its result, the
// four counts and the time; a failed map's reason follows in `reason`.
struct SummaryRow {
  std::string map;
  std::string result;
  std::vector<long> counts;  // brushes, written, left out, discarded; empty when not completed
  std::string reason;
};

// The rows of a summary by map name, the total row under "total".
std::map<std::string, SummaryRow> read_summary(const std::string& out);

#endif
