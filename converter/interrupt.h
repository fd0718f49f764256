// Leaving nothing behind when SIGINT or SIGTERM ends a run: the output's
// temporary file is removed before the process dies by the signal.
#ifndef KORVEX_CONVERTER_INTERRUPT_H
#define KORVEX_CONVERTER_INTERRUPT_H

#include <signal.h>

namespace conv {

// Holds SIGINT and SIGTERM back for its lifetime, so that a file created in
// that time is known to the handler before either signal can arrive.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t previous_;
};

// From now on SIGINT and SIGTERM remove the file at path, then end the
// process by the same signal. A signal the process ignores stays ignored.
// Returns false (and changes nothing) when path does not fit the handler's
// buffer.
[[nodiscard]] bool remove_on_interrupt(const char* path);

// Forgets the path and puts the handlers found by remove_on_interrupt back.
void keep_on_interrupt();

}  // namespace conv

#endif
