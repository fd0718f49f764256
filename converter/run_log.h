// The run's log (korvex.log): numbered records, each "%5d text\n", written
// through the run's files one record at a time, so that what was recorded
// before a failure stays. A record's text is cut at 2047 characters; after
// 50,000 records the rest are dropped, as are records the file refuses.
#ifndef KORVEX_CONVERTER_RUN_LOG_H
#define KORVEX_CONVERTER_RUN_LOG_H

#include <string>
#include <string_view>

#include "run_files.h"

namespace conv {

class RunLog {
 public:
  RunLog(RunFiles& files, std::string path) : files_(&files), path_(std::move(path)) {}

  // Starts a fresh log: an old one is removed.
  void start();

  // Appends one record. False when the file refused it.
  bool record(std::string_view text);

  // False when a record could not be written (so far).
  [[nodiscard]] bool all_written() const { return !refused_; }
  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] int records() const { return number_; }

 private:
  RunFiles* files_;
  std::string path_;
  int number_ = 0;
  bool refused_ = false;
};

}  // namespace conv

#endif
