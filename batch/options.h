// The batch program's command line: korvex's own options, passed on to every
// run, and the batch's (-o, -j, --report, --csv, --help, --version), in any
// order among the folders and files to convert.
#ifndef KORVEX_BATCH_OPTIONS_H
#define KORVEX_BATCH_OPTIONS_H

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace batch {

struct BatchOptions {
  std::vector<std::string> korvex_args;  // passed on to every run; -e and -t paths made absolute
  std::vector<std::string> inputs;       // folders and files, as given
  std::filesystem::path out_dir;         // absolute; empty: each output beside its source
  std::filesystem::path report;          // --report: absolute; empty: none
  std::filesystem::path csv;             // --csv: absolute; empty: none
  unsigned jobs = 0;                     // 0: one per core
  bool q1 = false;
  bool q2 = false;
  bool numbering = false;  // -enum
  bool has_table = false;  // -e given
  bool has_texture_rules = false;  // -t given
  bool q3 = false;
};

enum class ParseStatus { run, help, version, bad_usage };

// Reads args (without the program name); relative -e, -t, -o, --report and
// --csv paths are made absolute against cwd. Returns ParseStatus::run with `options` filled,
// help or version when asked for (`options` untouched), or bad_usage with
// `error` set (`options` untouched).
[[nodiscard]] ParseStatus parse_options(const std::vector<std::string>& args,
                                        const std::filesystem::path& cwd, BatchOptions& options,
                                        std::string& error);

// The extension korvex gives an output by default: .1q3, .2q3, .q1n or .q2n.
std::string_view output_extension(const BatchOptions& options);

// The usage text printed by --help.
std::string_view usage_text();

}  // namespace batch

#endif
