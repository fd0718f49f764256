// Running an outside program (the Q3 compiler) to its end, its output in a
// log file, and stopping it when the run is asked to stop.
#ifndef KORVEX_PLAY_CHILD_PROCESS_H
#define KORVEX_PLAY_CHILD_PROCESS_H

#include <atomic>
#include <string>
#include <vector>

namespace play {

enum class ChildEnd {
  exited,       // `code` is its exit status
  signalled,    // `code` is the signal that ended it
  stopped,      // `stop` became true: it was sent SIGTERM and has ended
  not_started,  // the log could not be made or the system refused a process; `error` says why
};

struct ChildOutcome {
  ChildEnd end = ChildEnd::not_started;
  int code = 0;
  std::string error;
};

// Runs argv[0] (a path) with `argv` in `folder`, standard input from
// /dev/null, standard output and error into `log` (created or emptied),
// and waits for it. When `stop` becomes true the program is sent SIGTERM
// and waited for. A program that cannot be executed exits 127 with the
// reason in its log. Changes nothing of the calling process but its
// children: the signal mask and handlers are as they were on return.
[[nodiscard]] ChildOutcome run_child(const std::vector<std::string>& argv, const std::string& folder,
                                     const std::string& log, const std::atomic<bool>& stop);

}  // namespace play

#endif
