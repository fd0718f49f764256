#include "signal_watch.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace batch {
namespace {

// The value that tells the watching thread its own process asks it to end.
constexpr int end_of_watch = 0x6b6f7278;

}  // namespace

SignalWatch::SignalWatch(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal)) {
  sigemptyset(&watched_);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction action;
    // A blocked signal is never dropped, even an ignored one: the ignored
    // ones are left out, so that they stay ignored.
    if (sigaction(sig, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) continue;
    sigaddset(&watched_, sig);
    if (end_signal_ == 0) end_signal_ = sig;
  }
  pthread_sigmask(SIG_BLOCK, &watched_, &previous_);
  if (end_signal_ != 0) thread_ = std::thread([this] { watch(); });
}

SignalWatch::~SignalWatch() {
  if (end_signal_ != 0) {
    // Sent to the watching thread alone, with a value no kill(2) carries;
    // EAGAIN: the queue of signals is full for now.
    sigval value{};
    value.sival_int = end_of_watch;
    while (pthread_sigqueue(thread_.native_handle(), end_signal_, value) != 0 && errno == EAGAIN)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    thread_.join();
  }
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void SignalWatch::watch() {
  for (;;) {
    siginfo_t info;
    const int sig = sigwaitinfo(&watched_, &info);
    if (sig < 0) continue;  // EINTR: another signal's handler ran
    if (info.si_code == SI_QUEUE && info.si_pid == getpid() && info.si_value.sival_int == end_of_watch) return;
    on_signal_(sig);
  }
}

}  // namespace batch
