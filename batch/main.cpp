// korvex-batch: converts folders of maps with korvex, several at a time, and
// sums up what each run did.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "locate.h"
#include "table_search.h"
#include "version.h"
#include "maps.h"
#include "options.h"
#include "progress.h"
#include "runner.h"
#include "summary.h"

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

  BatchSettings settings;
  const std::optional<std::string> korvex = find_korvex();
  if (!korvex)
    return usage_error("cannot find korvex beside korvex-batch nor on PATH (or KORVEX_BIN is not a program)");
  settings.korvex = *korvex;
  settings.korvex_args = options.korvex_args;
  // Runs happen in private folders, so the tables found from here are named.
  auto pass_table = [&](const char* option, const char* name) {
    const fs::path table = fs::absolute(kmap::find_table(name), ec);
    if (!ec && fs::is_regular_file(table, ec))
      settings.korvex_args.insert(settings.korvex_args.end(), {option, table.string()});
  };
  if (!options.numbering && !options.has_table) pass_table("-e", options.q2 ? "q2.ent" : "q1.ent");
  if (!options.numbering && options.q3 && !options.has_texture_rules) pass_table("-t", options.q2 ? "q2.tex" : "q1.tex");
  settings.jobs = options.jobs != 0 ? options.jobs : cores();

  std::vector<MapJob> jobs;
  if (find_maps(options.inputs, cwd, options.out_dir, output_extension(options), jobs, error) != FindStatus::found)
    return usage_error(error);
  if (jobs.empty()) {
    std::fputs("korvex-batch: no .map file found\n", stderr);
    return exit_failed;
  }

  std::string root = (fs::temp_directory_path(ec) / "korvex-batch-XXXXXX").string();
  if (ec || mkdtemp(root.data()) == nullptr) {
    std::fprintf(stderr, "korvex-batch: cannot make a temporary folder in %s\n", fs::temp_directory_path(ec).c_str());
    return exit_failed;
  }
  settings.work_root = root;
  std::signal(SIGPIPE, SIG_IGN);

  Progress progress(stderr, jobs.size(), isatty(STDERR_FILENO) != 0);
  std::vector<MapResult> results;
  const BatchStatus status = run_maps(
      jobs, settings, [&](const MapJob& job, const MapResult& result) { progress.map_done(job, result); }, results);
  progress.finish();
  fs::remove_all(settings.work_root, ec);

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
