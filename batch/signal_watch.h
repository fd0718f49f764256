// Taking SIGINT, SIGTERM and SIGHUP on a thread of their own while a batch
// runs, so that no handler ever runs in the middle of a map's work.
#ifndef KORVEX_BATCH_SIGNAL_WATCH_H
#define KORVEX_BATCH_SIGNAL_WATCH_H

#include <signal.h>

#include <functional>
#include <thread>

namespace batch {

class SignalWatch {
 public:
  // Blocks those of the three signals the process does not ignore (nohup's
  // SIGHUP stays ignored) in the calling thread, and so in every thread it
  // starts from now on, and waits for them on a thread of its own, which
  // calls on_signal(signal number) for each one that comes. Make it before
  // any other thread of the process.
  explicit SignalWatch(std::function<void(int)> on_signal);
  // Ends the watching thread, then puts the calling thread's signal mask
  // back: a signal that comes after that has its usual effect.
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

 private:
  void watch();

  std::function<void(int)> on_signal_;
  sigset_t watched_{};
  int end_signal_ = 0;  // a watched signal, sent to the thread to end it; 0: no thread
  sigset_t previous_{};
  std::thread thread_;
};

}  // namespace batch

#endif
