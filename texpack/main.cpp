// korvex-tex: a Q3 texture pack from a map and the game files it came from.
#include <unistd.h>

#include <csignal>
#include <iostream>

#include "tex_run.h"

int main(int argc, char** argv) {
  // A pipe closed early is a write error to report, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> words(argv + 1, argv + argc);
  return texpack::run_korvex_tex(words, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
