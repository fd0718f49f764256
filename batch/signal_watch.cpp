#include "signal_watch.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

// The value that tells the watching thread its own process asks it to end.
constexpr int end_of_watch = 0x6b6f7278;

}  // namespace

sigset_t SignalWatch::watched() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, sig);
  return set;
}

SignalWatch::SignalWatch(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal)) {
  const sigset_t set = watched();
  pthread_sigmask(SIG_BLOCK, &set, &previous_);
  thread_ = std::thread([this] { watch(); });
}

SignalWatch::~SignalWatch() {
  // Sent to the watching thread alone, with a value no kill(2) carries.
  sigval value{};
  value.sival_int = end_of_watch;
  // EAGAIN: the queue of signals is full for now.
  while (pthread_sigqueue(thread_.native_handle(), SIGTERM, value) != 0 && errno == EAGAIN)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  thread_.join();
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void SignalWatch::watch() {
  const sigset_t set = watched();
  for (;;) {
    siginfo_t info;
    const int sig = sigwaitinfo(&set, &info);
    if (sig < 0) continue;  // EINTR: another signal's handler ran
    if (info.si_code == SI_QUEUE && info.si_pid == getpid() && info.si_value.sival_int == end_of_watch) return;
    on_signal_(sig);
  }
}
