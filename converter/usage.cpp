#include "usage.h"

#include <cstring>
#include <filesystem>

#include "korvex_options.h"
#include "table_search.h"
#include "version.h"



namespace fs = std::filesystem;

namespace conv {
namespace {

constexpr const char* usage_text = R"(Usage: korvex -s SOURCE [options]
       korvex --help | --version
Converts a Quake or Quake 2 map source for Q3A-era editors, map compilers
and engines.

Options:
)";

constexpr const char* usage_end = R"(  -h, -help, --help
             this text
  --version  the version

Exit status:
  0  the run completed and the output map is in place
  1  anything else; whatever stood at the destination is left as it was

Examples:
  korvex -q3 -s e1m1.map         a Quake map to play (writes e1m1.1q3)
  korvex -q3 -q2 -s base1.map    a Quake 2 map to play (writes base1.2q3)
  korvex -s e1m1.map -e my.ent   a classic conversion with a table of your own

Messages: the console lines go to standard output; hints and reports to
standard error; invalid objects are recorded in korvex.log.
)";

}  // namespace

InfoRequest info_request(int argc, char** argv) {
  if (argc != 2 || argv == nullptr || argv[1] == nullptr) return InfoRequest::none;
  const char* word = argv[1];
  for (const char* help : {"--help", "-help", "-h"})
    if (std::strcmp(word, help) == 0) return InfoRequest::help;
  if (std::strcmp(word, "--version") == 0) return InfoRequest::version;
  return InfoRequest::none;
}

void print_usage(FILE* out) {
  std::fputs(usage_text, out);
  for (std::string_view name : kmap::korvex_usage_order) {
    const std::string_view lines = kmap::find_korvex_option(name)->usage;
    std::fwrite(lines.data(), 1, lines.size(), out);
  }
  std::fputs(usage_end, out);
  std::fputs("\nShipped tables (q1.ent, q2.ent, q1.tex, q2.tex) are looked for in the\n"
             "working folder, then in:\n", out);
  for (const std::string& folder : kmap::table_folders()) {
    std::error_code error;
    std::fprintf(out, "  %s%s\n", folder.c_str(), fs::is_directory(folder, error) ? "" : "  (not present)");
  }
}

void print_version(FILE* out) { std::fprintf(out, "korvex %s\n", kmap::version); }

}  // namespace conv
