// The progress line of a batch on standard error: maps done of the total and
// failures so far, rewritten in place on a terminal, one line per map
// otherwise (a log file or a pipe gets no carriage returns).
#ifndef KORVEX_BATCH_PROGRESS_H
#define KORVEX_BATCH_PROGRESS_H

#include <cstdio>

#include "maps.h"
#include "runner.h"

namespace batch {

class Progress {
 public:
  Progress(std::FILE* out, size_t total, bool terminal) : out_(out), total_(total), terminal_(terminal) {}

  // Counts a finished map (interrupted ones are not counted) and shows the line.
  void map_done(const MapJob& job, const MapResult& result);
  // Ends the line rewritten in place, so that what follows starts on its own.
  void finish();

 private:
  std::FILE* out_;
  size_t total_;
  bool terminal_;
  size_t done_ = 0;
  size_t failed_ = 0;
  int shown_width_ = 0;
};

}  // namespace batch

#endif
