// SIGINT and SIGTERM as a request to stop: while a StopSignals lives, either
// signal sets a flag that the run looks at between its steps (and korvex's
// run between its blocks), so that the run can remove what it made and end
// with 128 + the signal's number. System calls are not restarted: a wait
// for a child or a blocked open() returns and the run sees the flag.
#ifndef KORVEX_PLAY_STOP_SIGNALS_H
#define KORVEX_PLAY_STOP_SIGNALS_H

#include <signal.h>

#include <atomic>

namespace play {

class StopSignals {
 public:
  // Installs the handlers; a signal the process ignores stays ignored.
  // One StopSignals at a time in a process.
  StopSignals();
  // Puts the previous handlers back.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once SIGINT or SIGTERM arrived.
  [[nodiscard]] const std::atomic<bool>& flag() const;
  // The signal that arrived first, 0 before any.
  [[nodiscard]] int signal_number() const;

 private:
  struct sigaction previous_int_ {};
  struct sigaction previous_term_ {};
};

}  // namespace play

#endif
