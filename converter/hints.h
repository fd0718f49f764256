// Hints: advice a run writes on standard error after the console's classic
// lines, never in place of them. What a run learns for them is gathered in a
// RunHints as it goes; print_hints writes them once, at the end or before
// the run waits for ENTER.
#ifndef KORVEX_CONVERTER_HINTS_H
#define KORVEX_CONVERTER_HINTS_H

#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "game.h"
#include "line_buffer.h"
#include "read_blocks.h"
#include "settings.h"
#include "status.h"

namespace conv {

// Why a run that failed would have gone on with -x.
enum class ExtendedCause { none, limits, damage, no_brush, coordinates };

struct RunHints {
  bool bad_command_line = false;
  std::string rejection;  // why, naming the word at fault
  ExtendedCause extended = ExtendedCause::none;
  std::string missing_class_table;    // a -e (or default) table that cannot be opened
  std::string missing_texture_rules;  // a -t table that does not exist
  kmap::GameVotes votes;
  bool game_followed = false;
  long structural_brushes = 0;  // -q3: of the world, as the compiler takes it
  long detail_brushes = 0;  // -q3 chose the game by the votes: no warning about it
  std::map<std::string, long> left_out;  // classnames not in the table, by name
};

// Why -x would have saved a classic run that failed to read a block: too
// many lines or brushes, a too-long word and a brush beyond the plane limit
// (its cause, or found in lines) are limits; a missing word, no classname,
// no origin and any other bad brush are damage that -x leaves out; anything
// else is ExtendedCause::none.
[[nodiscard]] ExtendedCause extended_cause(const ReadOutcome& read, const kmap::LineBuffer& lines);

// Writes every hint that applies to err, one line each, in a fixed order:
// the command line, a missing table, -x, the game, the classes left out.
void print_hints(FILE* err, const RunHints& hints, const Settings& settings);

}  // namespace conv

#endif
