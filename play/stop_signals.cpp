#include "stop_signals.h"

namespace play {
namespace {

// Set by the handler only; lock-free, so safe to touch there.
std::atomic<bool> stop_requested{false};
volatile sig_atomic_t first_signal = 0;
static_assert(std::atomic<bool>::is_always_lock_free);

void on_stop(int sig) {
  if (first_signal == 0) first_signal = sig;
  stop_requested.store(true);
}

void install(int sig, struct sigaction& previous) {
  sigaction(sig, nullptr, &previous);
  if (previous.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = on_stop;
  action.sa_flags = 0;  // no SA_RESTART: a blocked call returns to the run
  sigemptyset(&action.sa_mask);
  sigaction(sig, &action, nullptr);
}

}  // namespace

StopSignals::StopSignals() {
  stop_requested.store(false);
  first_signal = 0;
  install(SIGINT, previous_int_);
  install(SIGTERM, previous_term_);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &previous_int_, nullptr);
  sigaction(SIGTERM, &previous_term_, nullptr);
}

const std::atomic<bool>& StopSignals::flag() const { return stop_requested; }

int StopSignals::signal_number() const { return first_signal; }

}  // namespace play
