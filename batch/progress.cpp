#include "progress.h"

namespace batch {

void Progress::map_done(const MapJob& job, const MapResult& result) {
  if (result.outcome == Outcome::interrupted || result.outcome == Outcome::not_run) return;
  ++done_;
  if (result.outcome == Outcome::failed) ++failed_;
  if (terminal_) {
    const int width = std::fprintf(out_, "\r%zu/%zu maps, %zu failed", done_, total_, failed_);
    // Blanks over the rest of a longer line shown before.
    if (width < shown_width_) std::fprintf(out_, "%*s", shown_width_ - width, "");
    if (width > shown_width_) shown_width_ = width;
  } else {
    std::fprintf(out_, "%zu/%zu maps, %zu failed: %s %s\n", done_, total_, failed_, job.shown.c_str(),
                 result.outcome == Outcome::ok ? "ok" : "failed");
  }
  std::fflush(out_);
}

void Progress::finish() {
  if (terminal_ && shown_width_ > 0) std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace batch
