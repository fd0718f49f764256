// Running the built korvex-batch program and reading its summary table.
#ifndef KORVEX_TESTS_RUN_BATCH_H
#define KORVEX_TESTS_RUN_BATCH_H

#include <csignal>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct BatchRun {
  int status = -1;  // exit status, or 128 + signal number
  std::string out;  // standard output: the summary table
  std::string err;  // standard error: progress lines and messages
  bool timed_out = false;
};

// Runs korvex-batch in cwd with args and the environment plus `env` (NAME=VALUE
// entries; "NAME=" alone removes NAME). While it runs, `signal_when` is asked
// every 10 ms; the first time it says yes, `sig` is sent to the batch.
BatchRun run_batch(const std::string& cwd, const std::vector<std::string>& args,
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
