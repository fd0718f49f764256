// korvex-batch: converts folders of maps with korvex, several at a time, and
// sums up what each run did.
#include "batch_main.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "batch_report.h"
#include "maps.h"
#include "options.h"
#include "progress.h"
#include "run_settings.h"
#include "runner.h"
#include "signal_watch.h"
#include "summary.h"
#include "version.h"
#include "write_text.h"

namespace fs = std::filesystem;

namespace batch {
namespace {

constexpr int exit_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_interrupted = 130;

int usage_error(FILE* err, const std::string& message) {
  std::fprintf(err, "korvex-batch: %s\nTry 'korvex-batch --help'.\n", message.c_str());
  return exit_usage;
}

unsigned cores() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<unsigned>(n) : 1;
}

// Writes one of the batch's reports; false, with a message, when it cannot.
bool write_report(FILE* err, const fs::path& path, const std::string& text) {
  std::error_code ec;
  if (write_text(path, text, ec)) return true;
  std::fprintf(err, "korvex-batch: cannot write %s: %s\n", path.c_str(), ec.message().c_str());
  return false;
}

}  // namespace

int korvex_batch_main(int argc, char** argv, FILE* out, FILE* err, bool err_is_terminal) {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (ec) return usage_error(err, "cannot read the working folder: " + ec.message());
  BatchOptions options;
  std::string error;
  switch (parse_options(std::vector<std::string>(argv + 1, argv + argc), cwd, options, error)) {
    case ParseStatus::help:
      std::fputs(usage_text().data(), out);
      return 0;
    case ParseStatus::version:
      std::printf("korvex-batch %s\n", kmap::version);
      return 0;
    case ParseStatus::bad_usage:
      return usage_error(err, error);
    case ParseStatus::run:
      break;
  }

  const BatchSettings settings = settings_for(options, cores());
  std::vector<MapJob> jobs;
  if (find_maps(options.inputs, cwd, options.out_dir, output_extension(options), jobs, error) != FindStatus::found)
    return usage_error(err, error);
  if (jobs.empty()) {
    std::fputs("korvex-batch: no .map file found\n", err);
    return exit_failed;
  }
  std::signal(SIGPIPE, SIG_IGN);

  std::atomic<bool> stop{false};
  std::vector<MapResult> results;
  BatchStatus status = BatchStatus::completed;
  int exit_status = 0;
  bool reports_written = true;
  {
    // Signals are taken until the reports are written too, so that none is
    // cut short. A second one asks for nothing more: every run already
    // stops before its next block.
    const SignalWatch signals([&stop](int) { stop.store(true); });
    Progress progress(err, jobs.size(), err_is_terminal);
    const auto start = std::chrono::steady_clock::now();
    status = run_maps(jobs, settings, stop, [&](const MapJob& job, const MapResult& result) {
      if (!result.log_error.empty()) std::fprintf(err, "korvex-batch: %s\n", result.log_error.c_str());
      progress.map_done(job, result);
    }, results);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.finish();
    // A signal taken after the last map ended still asked for a stop.
    if (stop.load()) status = BatchStatus::interrupted;

    for (const MapResult& r : results)
      if (r.outcome != Outcome::ok) exit_status = exit_failed;
    if (status == BatchStatus::interrupted) exit_status = exit_interrupted;
    if (!options.report.empty()) {
      const BatchFacts run{&options, &settings, status, exit_status, seconds};
      // Names in no valid UTF-8 (file names, Latin-1 keys) get U+FFFD.
      const std::string text =
          batch_report_json(run, jobs, results).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
      reports_written = write_report(err, options.report, text);
    }
    if (!options.csv.empty()) reports_written = write_report(err, options.csv, summary_csv(jobs, results)) && reports_written;
  }

  std::fputs(summary_table(jobs, results).c_str(), out);
  std::fflush(out);
  if (status == BatchStatus::interrupted) {
    std::fputs("korvex-batch: interrupted; maps not finished left no output\n", err);
    return exit_interrupted;
  }
  return reports_written ? exit_status : exit_failed;
}

}  // namespace batch
