#include "runner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "disk_files.h"
#include "failure_reason.h"
#include "map_files.h"
#include "map_log.h"
#include "place_text.h"
#include "run.h"

using namespace conv;

namespace fs = std::filesystem;

namespace batch {
using Clock = std::chrono::steady_clock;

namespace {

// A run's console: both streams in memory, nobody to press ENTER, and the
// batch's stop flag.
class MemoryConsole {
 public:
  explicit MemoryConsole(const std::atomic<bool>& stop) {
    console_.out = open_memstream(&out_text_, &out_size_);
    console_.err = open_memstream(&err_text_, &err_size_);
    console_.in = nullptr;  // read only when interactive
    console_.interactive = false;
    console_.stop = &stop;
  }
  ~MemoryConsole() {
    if (console_.out != nullptr) std::fclose(console_.out);
    if (console_.err != nullptr) std::fclose(console_.err);
    std::free(out_text_);
    std::free(err_text_);
  }
  MemoryConsole(const MemoryConsole&) = delete;
  MemoryConsole& operator=(const MemoryConsole&) = delete;

  [[nodiscard]] bool opened() const { return console_.out != nullptr && console_.err != nullptr; }
  [[nodiscard]] const Console& console() const { return console_; }
  // What the run printed on its standard output so far.
  [[nodiscard]] std::string_view out() const {
    std::fflush(console_.out);
    return {out_text_, out_size_};
  }

 private:
  Console console_;
  char* out_text_ = nullptr;
  size_t out_size_ = 0;
  char* err_text_ = nullptr;
  size_t err_size_ = 0;
};

class Batch {
 public:
  Batch(const std::vector<MapJob>& jobs, const BatchSettings& settings, const std::atomic<bool>& stop,
        const std::function<void(const MapJob&, const MapResult&)>& map_done, std::vector<MapResult>& results)
      : jobs_(jobs), settings_(settings), stop_(stop), map_done_(map_done), results_(results) {}

  BatchStatus run();

 private:
  void work();
  void run_map(size_t index);
  void convert(size_t index);
  bool make_output_folder(size_t index, std::error_code& ec);
  void remove_unfinished_folders();

  const std::vector<MapJob>& jobs_;
  const BatchSettings& settings_;
  const std::atomic<bool>& stop_;
  const std::function<void(const MapJob&, const MapResult&)>& map_done_;
  std::vector<MapResult>& results_;
  std::vector<std::vector<fs::path>> created_;  // output folders made for each job, deepest first

  std::mutex mutex_;  // guards the three below
  std::condition_variable map_ended_;
  size_t next_ = 0;           // the next job to start
  std::deque<size_t> ended_;  // jobs that ran, for map_done
  unsigned working_ = 0;      // threads still taking jobs

  std::mutex folders_mutex_;  // one thread at a time looks for and makes folders
};

BatchStatus Batch::run() {
  results_.assign(jobs_.size(), MapResult{});
  created_.assign(jobs_.size(), {});
  const size_t wanted = std::min<size_t>(std::max(settings_.jobs, 1u), jobs_.size());
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    working_ = static_cast<unsigned>(wanted);
  }
  for (size_t i = 0; i < wanted; ++i) {
    try {
      threads.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked for; with none, this one does the work.
      std::lock_guard<std::mutex> lock(mutex_);
      working_ -= static_cast<unsigned>(wanted - i);
      break;
    }
  }
  if (threads.empty() && wanted > 0) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      working_ = 1;
    }
    work();
  }
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    map_ended_.wait(lock, [this] { return !ended_.empty() || working_ == 0; });
    if (ended_.empty()) break;
    const size_t index = ended_.front();
    ended_.pop_front();
    lock.unlock();
    map_done_(jobs_[index], results_[index]);
  }
  for (std::thread& t : threads) t.join();
  if (!stop_.load()) return BatchStatus::completed;
  remove_unfinished_folders();
  return BatchStatus::interrupted;
}

void Batch::work() {
  for (;;) {
    size_t index = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_.load() || next_ == jobs_.size()) break;
      index = next_++;
    }
    run_map(index);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ended_.push_back(index);
    }
    map_ended_.notify_one();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    --working_;
  }
  map_ended_.notify_one();
}

void Batch::run_map(size_t index) {
  const auto start = Clock::now();
  convert(index);
  results_[index].seconds = std::chrono::duration<double>(Clock::now() - start).count();
}

void Batch::convert(size_t index) {
  const MapJob& job = jobs_[index];
  MapResult& result = results_[index];
  std::error_code ec;
  if (!make_output_folder(index, ec)) {
    result.outcome = Outcome::failed;
    result.reason = "cannot make a folder: " + ec.message();
    return;
  }
  const MemoryConsole console(stop_);
  if (!console.opened()) {
    result.outcome = Outcome::failed;
    result.reason = "cannot make a console in memory";
    return;
  }
  std::vector<std::string> words{"korvex", "-s", job.source.string(), "-d", job.output.string()};
  words.insert(words.end(), settings_.korvex_args.begin(), settings_.korvex_args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  DiskFiles disk;
  MapFiles files(disk);
  const int status = korvex_run(static_cast<int>(words.size()), argv.data(), console.console(), files, &result.report);
  if (status == 0) {
    result.outcome = Outcome::ok;
    result.counts = counts_of(result.report);
  } else if (stop_.load()) {
    result.outcome = Outcome::interrupted;
    return;
  } else {
    result.outcome = Outcome::failed;
    result.reason = failure_reason(result.report.failure, console.out());
  }
  const std::string log = files.log() + batch_log_records(result.report, files.log_records() + 1);
  if (!place_text(log, job.log, ec)) result.log_error = "cannot write " + job.log.string() + ": " + ec.message();
}

bool Batch::make_output_folder(size_t index, std::error_code& ec) {
  const std::lock_guard<std::mutex> lock(folders_mutex_);
  const fs::path folder = jobs_[index].output.parent_path();
  for (fs::path p = folder; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    created_[index].push_back(p);
    if (p == p.parent_path()) break;
  }
  fs::create_directories(folder, ec);
  return !ec;
}

void Batch::remove_unfinished_folders() {
  // Deepest first: a folder made for one unfinished map may hold another's.
  // A folder that still holds anything stays (remove takes only empty ones).
  std::vector<fs::path> folders;
  for (size_t i = 0; i < jobs_.size(); ++i)
    if (results_[i].outcome == Outcome::interrupted) folders.insert(folders.end(), created_[i].begin(), created_[i].end());
  std::sort(folders.begin(), folders.end(),
            [](const fs::path& a, const fs::path& b) { return a.native().size() > b.native().size(); });
  std::error_code ec;
  for (const fs::path& folder : folders) fs::remove(folder, ec);
}

}  // namespace

BatchStatus run_maps(const std::vector<MapJob>& jobs, const BatchSettings& settings, const std::atomic<bool>& stop,
                     const std::function<void(const MapJob&, const MapResult&)>& map_done,
                     std::vector<MapResult>& results) {
  return Batch(jobs, settings, stop, map_done, results).run();
}

}  // namespace batch
