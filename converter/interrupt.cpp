#include "interrupt.h"

#include <limits.h>
#include <unistd.h>

#include <array>
#include <cstring>


namespace conv {
namespace {

constexpr std::array<int, 2> cleanup_signals{SIGINT, SIGTERM};

// Written only while both signals are held back; the handler only reads.
char doomed_path[PATH_MAX];
volatile sig_atomic_t armed = 0;
std::array<struct sigaction, cleanup_signals.size()> previous{};

// Async-signal-safe: unlink and raise only. The action is the default one
// again by the time the handler runs (SA_RESETHAND), so the raised signal
// ends the process as if no handler had been there.
void on_interrupt(int sig) {
  if (armed) unlink(doomed_path);
  raise(sig);
}

sigset_t cleanup_set() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : cleanup_signals) sigaddset(&set, sig);
  return set;
}

}  // namespace

InterruptsHeld::InterruptsHeld() {
  const sigset_t set = cleanup_set();
  sigprocmask(SIG_BLOCK, &set, &previous_);
}

InterruptsHeld::~InterruptsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

bool remove_on_interrupt(const char* path) {
  if (std::strlen(path) >= sizeof doomed_path) return false;
  const InterruptsHeld held;
  keep_on_interrupt();
  std::strcpy(doomed_path, path);
  armed = 1;
  for (size_t i = 0; i < cleanup_signals.size(); ++i) {
    sigaction(cleanup_signals[i], nullptr, &previous[i]);
    if (previous[i].sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(cleanup_signals[i], &action, nullptr);
  }
  return true;
}

void keep_on_interrupt() {
  const InterruptsHeld held;
  if (!armed) return;
  armed = 0;
  doomed_path[0] = '\0';
  for (size_t i = 0; i < cleanup_signals.size(); ++i) sigaction(cleanup_signals[i], &previous[i], nullptr);
}

}  // namespace conv
