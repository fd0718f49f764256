#include "run_korvex.h"

#include <cstdio>

#include "process.h"

RunResult run_korvex(const TempDir& dir, const std::vector<std::string>& args,
                     std::string_view input, int timeout_seconds, bool unprivileged) {
  ProcessSpec spec;
  spec.program = korvex_bin();
  spec.args = args;
  spec.folder = dir.path();
  spec.input = std::string(input);
  spec.unprivileged = unprivileged;
  spec.timeout_seconds = timeout_seconds;
  const ProcessResult p = run_process(spec);
  RunResult result;
  result.status = p.status;
  result.timed_out = p.timed_out;
  result.errors = p.err;
  size_t cut = 0;
  for (int line = 0; line < 2 && cut != std::string::npos; ++line) {
    cut = p.out.find('\n', cut);
    if (cut != std::string::npos) ++cut;
  }
  if (cut == std::string::npos) cut = p.out.size();
  result.banner = p.out.substr(0, cut);
  result.console = p.out.substr(cut);
  return result;
}

