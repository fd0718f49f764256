// scripts/NAME.arena: the file that lists a map in a Q3 game's menus, with
// its long name and the game types it suits.
#ifndef KORVEX_PLAY_ARENA_H
#define KORVEX_PLAY_ARENA_H

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace play {

// Longest long name written; menus show little more.
inline constexpr size_t longest_long_name = 60;

// The long name a menu shows for a map whose world says `message`: one line
// of printable ASCII (Quake's "\n" written as a blank, its high-bit
// characters as their plain twins, other non-ASCII characters dropped), none
// of the characters an info string refuses ('"', '\\', ';'), blanks folded,
// at most longest_long_name characters; `fallback` when nothing is left.
[[nodiscard]] std::string long_name(std::string_view message, std::string_view fallback);

// The game types of a converted map with these entity classes: "ffa"
// always; "tourney" and "team" with two deathmatch spawn points or more;
// "ctf" with both teams' flags.
[[nodiscard]] std::vector<std::string> game_types(const std::map<std::string, int>& classes);

// The arena file's text.
[[nodiscard]] std::string arena_text(std::string_view map_name, std::string_view long_name,
                                     const std::vector<std::string>& types);

}  // namespace play

#endif
