#include "options.h"

#include <array>
#include <charconv>

#include "korvex_options.h"

namespace fs = std::filesystem;

namespace batch {
namespace {

enum class Role {
  flag,      // a korvex option without a value
  value,     // a korvex option with a value, passed as it is
  path,      // a korvex option with a file name, made absolute
  refused,   // a korvex option the batch sets itself for each map
  out_dir,   // -o
  jobs,      // -j
  report,    // --report, for the whole batch
  csv,       // --csv
  help,
  version,
};

struct OptionRow {
  std::string_view name;
  Role role;
};

// The batch's own options; korvex's come from its table.
constexpr std::array<OptionRow, 8> batch_rows{{
    {"-o", Role::out_dir},
    {"-j", Role::jobs},
    {"--report", Role::report},
    {"--csv", Role::csv},
    {"-h", Role::help},
    {"-help", Role::help},
    {"--help", Role::help},
    {"--version", Role::version},
}};

constexpr bool batch_names_free() {
  for (const OptionRow& row : batch_rows)
    for (const kmap::KorvexOption& o : kmap::korvex_options)
      if (row.name.substr(1) == o.name && o.batch != kmap::BatchUse::own) return false;
  return true;
}
static_assert(batch_names_free(), "a batch option takes the name of one of korvex's");

// An option korvex leaves to the batch must be one of the batch's rows.
constexpr bool own_options_taken() {
  for (const kmap::KorvexOption& o : kmap::korvex_options) {
    if (o.batch != kmap::BatchUse::own) continue;
    bool taken = false;
    for (const OptionRow& row : batch_rows) taken = taken || row.name.substr(1) == o.name;
    if (!taken) return false;
  }
  return true;
}
static_assert(own_options_taken(), "korvex leaves an option to the batch that the batch does not take");

constexpr bool takes_value(Role role) {
  return role == Role::value || role == Role::path || role == Role::out_dir || role == Role::jobs ||
         role == Role::report || role == Role::csv;
}

// The row of an option word, korvex's own or the batch's; false for none.
bool find_option(std::string_view word, OptionRow& row) {
  for (const OptionRow& r : batch_rows)
    if (r.name == word) {
      row = r;
      return true;
    }
  if (!word.starts_with('-')) return false;
  const kmap::KorvexOption* o = kmap::find_korvex_option(word.substr(1));
  if (o == nullptr) return false;
  row.name = word;
  row.role = o->batch == kmap::BatchUse::refused || o->batch == kmap::BatchUse::own ? Role::refused
             : o->batch == kmap::BatchUse::path  ? Role::path
             : o->kind == kmap::OptionKind::flag ? Role::flag
                                                 : Role::value;
  return true;
}

constexpr unsigned max_jobs = 1024;

bool read_jobs(std::string_view text, unsigned& jobs) {
  unsigned n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n == 0 || n > max_jobs) return false;
  jobs = n;
  return true;
}

}  // namespace

ParseStatus parse_options(const std::vector<std::string>& args, const fs::path& cwd,
                          BatchOptions& options, std::string& error) {
  BatchOptions read;
  std::vector<std::string_view> seen;
  bool options_ended = false;  // after "--" every word is a folder or file
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (options_ended || word.empty() || word[0] != '-') {
      read.inputs.push_back(word);
      continue;
    }
    if (word == "--") {
      options_ended = true;
      continue;
    }
    OptionRow found;
    const OptionRow* row = find_option(word, found) ? &found : nullptr;
    if (row == nullptr) {
      error = "unknown option '" + word + "'";
      return ParseStatus::bad_usage;
    }
    if (row->role == Role::help) return ParseStatus::help;
    if (row->role == Role::version) return ParseStatus::version;
    if (row->role == Role::refused) {
      error = "option " + word +
              " is not taken: korvex-batch names each map's source and output itself "
              "(give folders or files, and -o for an output folder)";
      return ParseStatus::bad_usage;
    }
    for (std::string_view name : seen)
      if (name == row->name) {
        error = "option " + word + " given twice";
        return ParseStatus::bad_usage;
      }
    seen.push_back(row->name);
    std::string value;
    if (takes_value(row->role)) {
      if (i + 1 >= args.size()) {
        error = "option " + word + " needs a value";
        return ParseStatus::bad_usage;
      }
      value = args[++i];
    }
    switch (row->role) {
      case Role::flag:
        read.korvex_args.push_back(word);
        read.q1 = read.q1 || word == "-q1";
        read.q2 = read.q2 || word == "-q2";
        read.q3 = read.q3 || word == "-q3";
        read.numbering = read.numbering || word == "-enum";
        break;
      case Role::value:
        read.korvex_args.insert(read.korvex_args.end(), {word, value});
        break;
      case Role::path:
        read.korvex_args.insert(read.korvex_args.end(), {word, (cwd / value).lexically_normal().string()});
        read.has_table = read.has_table || word == "-e";
        read.has_texture_rules = read.has_texture_rules || word == "-t";
        break;
      case Role::out_dir:
        read.out_dir = (cwd / value).lexically_normal();
        break;
      case Role::report:
        read.report = (cwd / value).lexically_normal();
        break;
      case Role::csv:
        read.csv = (cwd / value).lexically_normal();
        break;
      case Role::jobs:
        if (!read_jobs(value, read.jobs)) {
          error = "-j takes a number of jobs from 1 to " + std::to_string(max_jobs) + ", not '" + value + "'";
          return ParseStatus::bad_usage;
        }
        break;
      default:
        break;
    }
  }
  if (read.inputs.empty()) {
    error = "no folder or map given";
    return ParseStatus::bad_usage;
  }
  options = std::move(read);
  return ParseStatus::run;
}

std::string_view output_extension(const BatchOptions& options) {
  static constexpr std::string_view extensions[2][2] = {{".1q3", ".q1n"}, {".2q3", ".q2n"}};
  return extensions[options.q2][options.numbering];
}

std::string_view usage_text() {
  return "Usage: korvex-batch [korvex options] DIR|FILE... [-o OUTDIR] [-j N]\n"
         "                    [--report FILE.json] [--csv FILE.csv]\n"
         "Converts every .map file under each DIR (recursively) and each FILE\n"
         "with korvex, N maps at a time.\n"
         "\n"
         "korvex options, passed on to every run:\n"
         "  -e FILE   replacement table (default: q1.ent or q2.ent of the working\n"
         "            folder, else the installed one, else the source tree's)\n"
         "  -t FILE   texture rules\n"
         "  -l F      light factor          -g F   size factor\n"
         "  -q1       Quake sources         -q2    Quake 2 sources\n"
         "  -enum     numbering mode        -x     extended mode\n"
         "  -k        keep world keys       -nodetail  detail brushes structural\n"
         "  -r FILE   entity rules (-q3)       -lights  light translation\n"
         "  -wal PATH Quake 2 textures: a face without flags takes its .wal's\n"
         "  -q3       a map to play in a Q3 engine (without -q1 or -q2, each map's\n"
         "            faces tell its game, and its tables follow)\n"
         "(-s and -d are not taken: the batch names each source and output.)\n"
         "\n"
         "Batch options:\n"
         "  -o OUTDIR        write outputs under OUTDIR, mirroring each folder's\n"
         "                   layout (default: beside each source)\n"
         "  -j N             convert N maps at a time (default: one per core)\n"
         "  --report FILE    the whole batch as JSON: options, each map's result,\n"
         "                   time and korvex's report, the totals\n"
         "  --csv FILE       the summary table's rows as CSV\n"
         "  -h, --help, -help, --version\n"
         "\n"
         "Each output gets korvex's log beside it, named like the output with .log,\n"
         "followed by the classes left out and the texture rules' counts.\n"
         "Exit status: 0 all maps converted, 1 some map failed, none found or a\n"
         "report not written, 2 bad command line, 130 interrupted.\n";
}

}  // namespace batch
