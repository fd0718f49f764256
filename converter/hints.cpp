#include "hints.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <vector>

#include "kit.h"
#include "table_search.h"

using namespace kmap;

namespace conv {
namespace {

constexpr std::array<const char*, 5> extended_hints{
    nullptr,
    "hint: this map exceeds the classic limits; run again with -x (or -q3 for a map to play in a Q3 engine)",
    "hint: -x leaves out what cannot be converted and goes on; run again with -x (or -q3 for a map to play "
    "in a Q3 engine)",
    "hint: -x writes a world without brushes; run again with -x (or -q3 for a map to play in a Q3 engine)",
    "hint: -x writes any coordinate in full and leaves out a brush it cannot read; run again with -x (or -q3 "
    "for a map to play in a Q3 engine)",
};
static_assert(extended_hints.size() == static_cast<size_t>(ExtendedCause::coordinates) + 1);

// Classes named in the left-out line; the others are counted.
constexpr size_t left_out_names = 10;

std::vector<std::string> existing_table_folders() {
  std::vector<std::string> found;
  std::error_code error;
  for (std::string& folder : kmap::table_folders())
    if (std::filesystem::is_directory(folder, error)) found.push_back(std::move(folder));
  return found;
}

std::string joined(const std::vector<std::string>& words, const char* separator) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : separator) + w;
  return text;
}

// The table asked for cannot be opened: where it was looked for, and where
// a table of that name is, when it is anywhere.
void print_missing_table(FILE* err, const std::string& table, const char* kind, const char* option, bool searched) {
  const std::vector<std::string> folders = existing_table_folders();
  const bool bare = table.find('/') == std::string::npos;
  std::string installed;
  std::error_code error;
  for (const std::string& folder : folders)
    if (installed.empty() && bare && std::filesystem::is_regular_file(folder + "/" + table, error))
      installed = folder + "/" + table;
  if (!installed.empty()) {
    // Only a run that does not look beyond the working folder misses it.
    std::fprintf(err, "hint: the %s '%s' is not in the working folder; it is installed as %s: name it so (%s %s), "
                 "or run with -x or -q3, which look there\n",
                 kind, table.c_str(), installed.c_str(), option, installed.c_str());
    return;
  }
  const std::string where = bare && searched && !folders.empty() ? "the working folder, " + joined(folders, ", ")
                                                                  : bare ? "the working folder" : "its folder";
  std::fprintf(err, "hint: the %s '%s' is in none of: %s; name the file with %s PATH", kind, table.c_str(),
               where.c_str(), option);
  if (!folders.empty()) std::fprintf(err, " (the shipped tables are in %s)", joined(folders, " and ").c_str());
  std::fputc('\n', err);
}

void print_game(FILE* err, Game game, bool q2, bool q1) {
  if (game == Game::quake2 && !q2 && !q1)
    std::fputs("warning: this looks like a Quake 2 map (its faces carry surface flags or texture folders); "
               "run with -q2\n", err);
  if (game == Game::quake && q2)
    std::fputs("warning: this looks like a Quake map (its faces carry no surface flags), yet -q2 was given; "
               "-q2 is for Quake 2 maps\n", err);
}

void print_left_out(FILE* err, const std::map<std::string, long>& left_out) {
  if (left_out.empty()) return;
  std::vector<std::pair<std::string, long>> classes(left_out.begin(), left_out.end());
  // Most frequent first; the map's order (by name) settles ties.
  std::stable_sort(classes.begin(), classes.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  std::fputs("left out, not in the table:", err);
  for (size_t i = 0; i < classes.size() && i < left_out_names; ++i)
    std::fprintf(err, "%s %ld %s", i == 0 ? "" : ",", classes[i].second, classes[i].first.c_str());
  if (classes.size() > left_out_names) std::fprintf(err, " and %zu more", classes.size() - left_out_names);
  std::fputc('\n', err);
}

}  // namespace

ExtendedCause extended_cause(const ReadOutcome& read, const LineBuffer& lines) {
  switch (read.status) {
    case CONV_TOO_MANY_LINES:
    case CONV_TOO_MANY_BRUSHES:
      return ExtendedCause::limits;
    case CONV_TOKEN:
      return read.cause == ReadCause::word_too_long ? ExtendedCause::limits : ExtendedCause::damage;
    case CONV_NO_CLASSNAME:
    case CONV_NO_ORIGIN:
      return ExtendedCause::damage;
    case CONV_BAD_BRUSH:
      if (read.cause == ReadCause::too_many_planes) return ExtendedCause::limits;
      for (int n = 0; n < lines.brush_count(); ++n) {
        const BrushRange b = lines.brush(n);
        if (b.last - b.first + 1 > lines.limits().plane_lines) return ExtendedCause::limits;
      }
      return ExtendedCause::damage;
    default:
      return ExtendedCause::none;
  }
}

void print_hints(FILE* err, const RunHints& hints, const Settings& settings) {
  if (!hints.rejection.empty()) std::fprintf(err, "korvex: %s\n", hints.rejection.c_str());
  if (hints.bad_command_line) std::fputs("korvex: see 'korvex --help' for the options\n", err);
  if (!hints.missing_class_table.empty())
    print_missing_table(err, hints.missing_class_table, "class table", "-e", settings.extended());
  if (!hints.missing_texture_rules.empty())
    print_missing_table(err, hints.missing_texture_rules, "texture table", "-t", true);
  if (hints.extended != ExtendedCause::none)
    std::fprintf(err, "%s\n", extended_hints[static_cast<size_t>(hints.extended)]);
  if (!hints.game_followed) print_game(err, voted_game(hints.votes), settings.modes.q2 != 0, settings.modes.q1 != 0);
  print_left_out(err, hints.left_out);
  // A world held up by a few structural brushes is likely closed by detail,
  // which seals nothing for the Q3 compiler.
  if (!settings.modes.no_detail && hints.structural_brushes > 0 &&
      hints.structural_brushes * 10 < hints.detail_brushes)
    std::fprintf(err,
                 "hint: the world has %ld structural brushes and %ld detail ones; if the compiled level leaks, "
                 "run with -nodetail\n",
                 hints.structural_brushes, hints.detail_brushes);
}

}  // namespace conv
