// Running the built korvex program in a temporary folder (being replaced by
// support/korvex_runner.h, which runs it in-process).
#ifndef KORVEX_TESTS_RUN_KORVEX_H
#define KORVEX_TESTS_RUN_KORVEX_H

#include <string>
#include <string_view>
#include <vector>

#include "korvex_runner.h"
#include "temp_dir.h"
#include "test_paths.h"

struct RunResult {
  int status = -1;      // exit status, or 128 + signal number
  std::string console;  // standard output after the two banner lines
  std::string banner;   // the two banner lines
  std::string errors;   // standard error
  bool timed_out = false;
};

// Runs korvex in dir with args, standard input taken from `input`. With
// unprivileged set, a run started as root runs as the user nobody.
RunResult run_korvex(const TempDir& dir, const std::vector<std::string>& args,
                     std::string_view input = "\n", int timeout_seconds = 120,
                     bool unprivileged = false);

#endif
