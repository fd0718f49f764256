// A whole korvex-tex run, callable in-process (main() and the tests).
#ifndef KORVEX_TEXPACK_TEX_RUN_H
#define KORVEX_TEXPACK_TEX_RUN_H

#include <ostream>
#include <string>
#include <vector>

namespace texpack {

// Runs korvex-tex with the words after the program name. The summary goes
// to `out`, failures and the progress line to `err` (progress only when
// `err_is_terminal`). Returns the exit status: 0 when the pack was written
// (or --help/--version), 1 on any failure, in which case nothing is written.
[[nodiscard]] int run_korvex_tex(const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
                                 bool err_is_terminal);

}  // namespace texpack

#endif
