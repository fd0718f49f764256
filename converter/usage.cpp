#include "usage.h"

#include <cstring>
#include <filesystem>


#ifndef KORVEX_VERSION
#define KORVEX_VERSION "unknown"
#endif
#ifndef KORVEX_TABLE_DIR
#define KORVEX_TABLE_DIR "/usr/local/share/korvex"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* usage_text = R"(Usage: korvex -s SOURCE [options]
       korvex --help | --version
Converts a Quake or Quake 2 map source for Q3A-era editors, map compilers
and engines.

Options:
  -s path    the source map (required)
  -d path    the output map; by default the source's name with .1q3 (Quake),
             .2q3 (Quake 2), .q1n or .q2n (-enum) in place of its extension
  -e path    the class replacement table; by default q1.ent (q2.ent with -q2)
             in the working folder, or with -q3 the shipped one
  -t path    texture rules: each face's texture is chosen by its source name
  -l factor  light factor (default 1)
  -g factor  size factor, a positive number (default 1)
  -q2        the source is a Quake 2 map
  -enum      numbering mode: copy, re-indent and number the blocks only
  -x         extended mode: the limits of modern editors, full precision
  -k         keep the world's key lines
  -q3        a map to play in a Q3 engine: -x, -k and -t with the shipped
             texture rules (q1.tex, q2.tex), the entity graph made safe
  -h, -help, --help
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
  std::fputs("\nShipped tables (q1.ent, q2.ent, q1.tex, q2.tex) are looked for in the\n"
             "working folder, then in:\n", out);
  for (const std::string& folder : table_folders()) {
    std::error_code error;
    std::fprintf(out, "  %s%s\n", folder.c_str(), fs::is_directory(folder, error) ? "" : "  (not present)");
  }
}

void print_version(FILE* out) { std::fputs("korvex " KORVEX_VERSION "\n", out); }

std::vector<std::string> table_folders() {
  std::vector<std::string> folders;
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) folders.push_back((program.parent_path().parent_path() / "share" / "korvex").lexically_normal().string());
  const std::string built_for = fs::path(KORVEX_TABLE_DIR).lexically_normal().string();
  if (folders.empty() || folders.front() != built_for) folders.push_back(built_for);
  return folders;
}

std::string shipped_table(const char* name) {
  std::error_code error;
  if (fs::exists(name, error)) return name;
  for (const std::string& folder : table_folders()) {
    const fs::path path = fs::path(folder) / name;
    if (fs::exists(path, error)) return path.string();
  }
  return name;
}
