// korvex-play: a Quake or Quake 2 map, or a folder of them, made into one
// pack to play in a Q3 engine.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "play_run.h"

int main(int argc, char** argv) {
  // A pipe closed early is a write error to report, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> words(argv + 1, argv + argc);
  return play::run_korvex_play(words, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
