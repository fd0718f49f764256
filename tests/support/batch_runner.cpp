#include "batch_runner.h"

#include <sstream>

#include "test_paths.h"

ProcessResult run_batch(const std::string& folder, const std::vector<std::string>& args,
                        const std::vector<std::string>& env, const std::function<bool()>& signal_when, int sig,
                        int timeout_seconds) {
  ProcessSetup setup;
  setup.program = korvex_batch_bin();
  setup.args = args;
  setup.folder = folder;
  setup.env = env;
  setup.timeout_seconds = timeout_seconds;
  return run_process(setup, signal_when, sig);
}

std::map<std::string, SummaryRow> read_summary(const std::string& out) {
  std::map<std::string, SummaryRow> rows;
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);  // the heading
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    SummaryRow row;
    words >> row.map >> row.result;
    if (row.map == "total") {
      std::string ok;
      words >> ok;  // "N ok"
      row.result += " " + ok;
    }
    if (row.result != "ok" && row.map != "total") {
      std::string dash;
      for (int i = 0; i < 5; ++i) words >> dash;  // four counts and the time
      std::getline(words >> std::ws, row.reason);
    } else {
      for (long n; row.counts.size() < 4 && words >> n;) row.counts.push_back(n);
    }
    rows[row.map] = row;
    if (row.map == "total") break;
  }
  return rows;
}
