// korvex-play's progress on standard error: on a terminal one line,
// rewritten in place as the run goes; in a pipe or a log, one whole line
// per step. Notes (warnings, failures) always stand on lines of their own.
#ifndef KORVEX_PLAY_PROGRESS_H
#define KORVEX_PLAY_PROGRESS_H

#include <ostream>
#include <string>

namespace play {

class Progress {
 public:
  Progress(std::ostream& stream, bool terminal) : stream_(stream), terminal_(terminal) {}
  ~Progress() { finish(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // A step begins: "korvex-play: <text>".
  void step(const std::string& text);
  // A count that goes up ("textures: image 3/40"): on a terminal each
  // count in place, in a pipe only the last.
  void count(const std::string& text, size_t done, size_t total);
  // A line that stays: "korvex-play: <text>".
  void note(const std::string& text);
  // Ends the line in place, if one is shown.
  void finish();

 private:
  std::ostream& stream_;
  bool terminal_;
  size_t shown_ = 0;  // characters of the line in place; 0 for none
};

}  // namespace play

#endif
