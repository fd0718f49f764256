#include "progress.h"

namespace play {

void Progress::step(const std::string& text) {
  const std::string line = "korvex-play: " + text;
  if (!terminal_) {
    stream_ << line << "\n" << std::flush;
    return;
  }
  // Blanks over what a longer line left.
  stream_ << "\r" << line << std::string(shown_ > line.size() ? shown_ - line.size() : 0, ' ') << std::flush;
  shown_ = line.size();
}

void Progress::count(const std::string& text, size_t done, size_t total) {
  if (terminal_ || done == total) step(text + " " + std::to_string(done) + "/" + std::to_string(total));
}

void Progress::note(const std::string& text) {
  finish();
  stream_ << "korvex-play: " << text << "\n" << std::flush;
}

void Progress::finish() {
  if (shown_ == 0) return;
  stream_ << "\n" << std::flush;
  shown_ = 0;
}

}  // namespace play
