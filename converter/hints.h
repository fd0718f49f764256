// Hints: advice a run writes on standard error after the console's classic
// lines, never in place of them. What a run learns for them is gathered in a
// RunHints as it goes; print_hints writes them once, at the end or before
// the run waits for ENTER.
#ifndef KORVEX_HINTS_H
#define KORVEX_HINTS_H

#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "lines.h"
#include "settings.h"
#include "status.h"

// Why a run that failed would have gone on with -x.
enum class ExtendedCause { none, limits, damage, no_brush, coordinates };

// The game a plane line (or a map's first plane lines) belongs to, when
// that is clear: Quake 2 faces carry three integers (contents, surface
// flags, value) after the five alignment numbers, or a texture name with a
// folder; Quake faces carry the five numbers alone and a bare name. Valve
// 220 faces and anything else are unknown.
enum class Game { unknown, quake, quake2 };

// Plane lines looked at for the game, and how many clear ones a verdict needs.
inline constexpr int game_sample_lines = 200;
inline constexpr int game_min_clear_lines = 12;

struct GameVotes {
  int lines_seen = 0;  // plane lines looked at, at most game_sample_lines
  int quake = 0;
  int quake2 = 0;
};

struct RunHints {
  bool bad_command_line = false;
  ExtendedCause extended = ExtendedCause::none;
  std::string missing_class_table;    // a -e (or default) table that cannot be opened
  std::string missing_texture_rules;  // a -t table that does not exist
  GameVotes votes;
  std::map<std::string, long> left_out;  // classnames not in the table, by name
};

// The game of one plane line.
[[nodiscard]] Game face_game(std::string_view line);

// Counts the block's lines toward the votes until game_sample_lines have
// been looked at. Never changes the block.
void count_game_votes(const LineBuffer& lines, GameVotes& votes);

// Game::quake or Game::quake2 when at least game_min_clear_lines clear lines
// were seen and one game has more than twice the lines of the other; else
// Game::unknown.
[[nodiscard]] Game voted_game(const GameVotes& votes);

// Why -x would have saved a classic run that failed to read a block with
// status r: CONV_TOO_MANY_LINES, CONV_TOO_MANY_BRUSHES, a too-long word
// (CONV_TOKEN with kit_status KIT_TOO_MANY) and a brush beyond the plane
// limit (CONV_BAD_BRUSH, found in lines) are limits; CONV_TOKEN,
// CONV_NO_CLASSNAME, CONV_NO_ORIGIN and any other CONV_BAD_BRUSH are damage
// that -x leaves out; anything else is ExtendedCause::none.
[[nodiscard]] ExtendedCause extended_cause(conv_status r, int kit_status, const LineBuffer& lines);

// The classname of an entity whose value starts at the quote at `value`,
// without its quotes.
[[nodiscard]] std::string_view class_name_at(const char* value);

// Writes every hint that applies to err, one line each, in a fixed order:
// the command line, a missing table, -x, the game, the classes left out.
void print_hints(FILE* err, const RunHints& hints, const Settings& settings);

#endif
