#include "runner.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "child.h"
#include "place_file.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::string_view temporary_prefix = ".korvex-";

struct Running {
  size_t index;
  fs::path folder;
  Clock::time_point start;
};

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<fs::path> temporaries_in(const fs::path& folder) {
  std::set<fs::path> found;
  std::error_code ec;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    if (it->path().filename().string().starts_with(temporary_prefix)) found.insert(it->path());
  return found;
}

// Creates the output's folder; returns the folders that did not exist, deepest first.
std::vector<fs::path> make_folders(const fs::path& folder, std::error_code& ec) {
  std::vector<fs::path> created;
  for (fs::path p = folder; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    created.push_back(p);
    if (p == p.parent_path()) break;
  }
  fs::create_directories(folder, ec);
  return created;
}

std::string describe_status(int status, const std::string& console) {
  const std::string line = last_line(console);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 1) return line;
  const std::string how = WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status))
                                              : "exit status " + std::to_string(WEXITSTATUS(status));
  return line.empty() ? how : how + ": " + line;
}

class Batch {
 public:
  Batch(const std::vector<MapJob>& jobs, const BatchSettings& settings,
        const std::function<void(const MapJob&, const MapResult&)>& map_done, std::vector<MapResult>& results)
      : jobs_(jobs), settings_(settings), map_done_(map_done), results_(results), created_(jobs.size()) {}

  BatchStatus run();

 private:
  void start(size_t index);
  void finish(pid_t pid, int status);
  void place_log(const fs::path& folder, const MapJob& job);
  void forward(int sig);
  void clean_unfinished();

  const std::vector<MapJob>& jobs_;
  const BatchSettings& settings_;
  const std::function<void(const MapJob&, const MapResult&)>& map_done_;
  std::vector<MapResult>& results_;
  std::vector<std::vector<fs::path>> created_;  // output folders made for each job
  std::set<fs::path> old_temporaries_;         // .korvex-* files there before the batch
  std::map<pid_t, Running> running_;
  sigset_t child_mask_{};
  int interrupted_by_ = 0;
};

BatchStatus Batch::run() {
  results_.assign(jobs_.size(), MapResult{});
  for (const MapJob& job : jobs_) old_temporaries_.merge(temporaries_in(job.output.parent_path()));

  // The signals are taken one at a time by sigwaitinfo, between two steps of
  // the loop, so that a stop never comes half-way through a step.
  sigset_t waited;
  sigemptyset(&waited);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&waited, sig);
  sigprocmask(SIG_BLOCK, &waited, &child_mask_);
  struct sigaction on_child {};
  on_child.sa_handler = [](int) {};  // a caught SIGCHLD stays pending while blocked
  sigaction(SIGCHLD, &on_child, nullptr);

  size_t next = 0;
  for (;;) {
    while (interrupted_by_ == 0 && next < jobs_.size() && running_.size() < settings_.jobs) start(next++);
    if (running_.empty()) break;
    siginfo_t info;
    const int sig = sigwaitinfo(&waited, &info);
    if (sig == SIGINT || sig == SIGTERM || sig == SIGHUP) forward(sig);
    int status = 0;
    for (pid_t pid; (pid = waitpid(-1, &status, WNOHANG)) > 0;) finish(pid, status);
  }
  sigprocmask(SIG_SETMASK, &child_mask_, nullptr);
  if (interrupted_by_ == 0) return BatchStatus::completed;
  clean_unfinished();
  return BatchStatus::interrupted;
}

void Batch::forward(int sig) {
  // A second stop does not wait for the runs to end by themselves.
  const int send = interrupted_by_ == 0 ? sig : SIGKILL;
  interrupted_by_ = sig;
  for (const auto& [pid, run] : running_) kill(pid, send);
}

void Batch::start(size_t index) {
  const MapJob& job = jobs_[index];
  MapResult& result = results_[index];
  const Running run{index, settings_.work_root / std::to_string(index), Clock::now()};
  std::error_code ec;
  created_[index] = make_folders(job.output.parent_path(), ec);
  if (!ec) fs::create_directory(run.folder, ec);
  if (ec) {
    result.outcome = Outcome::failed;
    result.reason = "cannot make a folder: " + ec.message();
    map_done_(job, result);
    return;
  }
  std::vector<std::string> args{"-s", job.source.string(), "-d", job.output.string()};
  args.insert(args.end(), settings_.korvex_args.begin(), settings_.korvex_args.end());
  const pid_t pid = start_child(settings_.korvex, args, run.folder, child_mask_);
  if (pid < 0) {
    result.outcome = Outcome::failed;
    result.reason = std::string("cannot start korvex: ") + std::strerror(errno);
    fs::remove_all(run.folder, ec);
    map_done_(job, result);
    return;
  }
  running_.emplace(pid, run);
}

void Batch::finish(pid_t pid, int status) {
  const auto found = running_.find(pid);
  if (found == running_.end()) return;
  const Running run = found->second;
  running_.erase(found);
  const MapJob& job = jobs_[run.index];
  MapResult& result = results_[run.index];
  result.seconds = std::chrono::duration<double>(Clock::now() - run.start).count();
  const std::string console = read_text(run.folder / console_name);
  const bool completed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (completed) {
    result.outcome = Outcome::ok;
    result.counts = read_counts(console, read_text(run.folder / "korvex.log"));
  } else if (interrupted_by_ != 0) {
    result.outcome = Outcome::interrupted;
  } else {
    result.outcome = Outcome::failed;
    result.reason = describe_status(status, console);
  }
  if (result.outcome != Outcome::interrupted) place_log(run.folder, job);
  std::error_code ec;
  fs::remove_all(run.folder, ec);
  map_done_(job, result);
}

void Batch::place_log(const fs::path& folder, const MapJob& job) {
  const fs::path log = folder / "korvex.log";
  std::error_code ec;
  if (!fs::exists(log, ec)) std::ofstream(log, std::ios::trunc);  // korvex wrote none: the map gets an empty one
  if (!place_file(log, job.log, ec))
    std::fprintf(stderr, "korvex-batch: cannot write %s: %s\n", job.log.c_str(), ec.message().c_str());
}

void Batch::clean_unfinished() {
  for (size_t i = 0; i < jobs_.size(); ++i) {
    if (results_[i].outcome != Outcome::interrupted) continue;
    std::error_code ec;
    for (const fs::path& temporary : temporaries_in(jobs_[i].output.parent_path()))
      if (old_temporaries_.count(temporary) == 0) fs::remove(temporary, ec);
  }
  // Folders last, deepest first: one made for an unfinished map may hold the
  // temporaries or folders of another. A folder that still holds anything
  // stays (remove takes only empty ones).
  std::vector<fs::path> folders;
  for (size_t i = 0; i < jobs_.size(); ++i)
    if (results_[i].outcome == Outcome::interrupted) folders.insert(folders.end(), created_[i].begin(), created_[i].end());
  std::sort(folders.begin(), folders.end(),
            [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
  std::error_code ec;
  for (const fs::path& folder : folders) fs::remove(folder, ec);
}

}  // namespace

BatchStatus run_maps(const std::vector<MapJob>& jobs, const BatchSettings& settings,
                     const std::function<void(const MapJob&, const MapResult&)>& map_done,
                     std::vector<MapResult>& results) {
  return Batch(jobs, settings, map_done, results).run();
}
