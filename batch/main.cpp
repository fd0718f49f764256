// korvex-batch: converts folders of maps with korvex, several at a time, and
// sums up what each run did.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "maps.h"
#include "options.h"
#include "progress.h"
#include "run_settings.h"
#include "runner.h"
#include "signal_watch.h"
#include "summary.h"
#include "version.h"

namespace fs = std::filesystem;

namespace {

constexpr int exit_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_interrupted = 130;

int usage_error(const std::string& message) {
  std::fprintf(stderr, "korvex-batch: %s\nTry 'korvex-batch --help'.\n", message.c_str());
  return exit_usage;
}

unsigned cores() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<unsigned>(n) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (ec) return usage_error("cannot read the working folder: " + ec.message());
  BatchOptions options;
  std::string error;
  switch (parse_options(std::vector<std::string>(argv + 1, argv + argc), cwd, options, error)) {
    case ParseStatus::help:
      std::fputs(usage_text().data(), stdout);
      return 0;
    case ParseStatus::version:
      std::printf("korvex-batch %s\n", kmap::version);
      return 0;
    case ParseStatus::bad_usage:
      return usage_error(error);
    case ParseStatus::run:
      break;
  }

  const BatchSettings settings = settings_for(options, cores());
  std::vector<MapJob> jobs;
  if (find_maps(options.inputs, cwd, options.out_dir, output_extension(options), jobs, error) != FindStatus::found)
    return usage_error(error);
  if (jobs.empty()) {
    std::fputs("korvex-batch: no .map file found\n", stderr);
    return exit_failed;
  }
  std::signal(SIGPIPE, SIG_IGN);

  std::atomic<bool> stop{false};
  std::vector<MapResult> results;
  BatchStatus status = BatchStatus::completed;
  {
    // A second signal asks for nothing more: every run already stops
    // before its next block.
    const SignalWatch signals([&stop](int) { stop.store(true); });
    Progress progress(stderr, jobs.size(), isatty(STDERR_FILENO) != 0);
    status = run_maps(jobs, settings, stop, [&](const MapJob& job, const MapResult& result) {
      if (!result.log_error.empty()) std::fprintf(stderr, "korvex-batch: %s\n", result.log_error.c_str());
      progress.map_done(job, result);
    }, results);
    progress.finish();
  }
  // A signal taken after the last map ended still asked for a stop.
  if (stop.load()) status = BatchStatus::interrupted;

  std::fputs(summary_table(jobs, results).c_str(), stdout);
  std::fflush(stdout);
  if (status == BatchStatus::interrupted) {
    std::fputs("korvex-batch: interrupted; maps not finished left no output\n", stderr);
    return exit_interrupted;
  }
  for (const MapResult& r : results)
    if (r.outcome != Outcome::ok) return exit_failed;
  return 0;
}
