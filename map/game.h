// Which game a map was made for, as its faces tell: Quake 2 faces carry
// three integers (contents, surface flags, value) after their alignment, or
// a texture name with a folder; Quake faces carry the five alignment
// numbers alone and a bare name. A Valve 220 face without flags or folder,
// and anything else, does not tell.
#ifndef KORVEX_MAP_GAME_H
#define KORVEX_MAP_GAME_H

#include <string_view>

namespace kmap {

enum class Game { unknown, quake, quake2 };

// Plane lines a vote looks at, and how many clear ones a verdict needs.
inline constexpr int game_sample_lines = 200;
inline constexpr int game_min_clear_lines = 12;

struct GameVotes {
  int lines_seen = 0;  // plane lines looked at, at most game_sample_lines
  int quake = 0;
  int quake2 = 0;
};

// The game of one plane line.
[[nodiscard]] Game face_game(std::string_view line);

// Counts a plane line toward the votes, until game_sample_lines were seen.
void count_game_vote(std::string_view line, GameVotes& votes);

// Game::quake or Game::quake2 when at least game_min_clear_lines clear lines
// were seen and one game has more than twice the lines of the other; else
// Game::unknown.
[[nodiscard]] Game voted_game(const GameVotes& votes);

// "Quake", "Quake 2" or "unknown".
[[nodiscard]] std::string_view game_name(Game game);

}  // namespace kmap

#endif
