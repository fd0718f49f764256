#include "game.h"

namespace kmap {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A word of digits, signs, points and exponents: an alignment number or a
// Quake 2 integer.
bool is_number(std::string_view word) {
  return !word.empty() && word.find_first_not_of("0123456789+-.eE") == std::string_view::npos;
}

}  // namespace

Game face_game(std::string_view line) {
  const size_t paren = line.rfind(')');
  if (paren == std::string_view::npos) return Game::unknown;
  std::string_view rest = line.substr(paren + 1);
  if (rest.find('[') != std::string_view::npos) return Game::unknown;  // Valve 220 axes
  std::string_view name;
  int numbers = 0;
  for (size_t at = 0;;) {
    while (at < rest.size() && is_blank(rest[at])) ++at;
    if (at == rest.size()) break;
    size_t end = at;
    while (end < rest.size() && !is_blank(rest[end])) ++end;
    const std::string_view word = rest.substr(at, end - at);
    if (name.empty()) {
      name = word;
    } else if (is_number(word)) {
      ++numbers;
    } else {
      return Game::unknown;
    }
    at = end;
  }
  if (numbers == 8) return Game::quake2;
  if (numbers != 5) return Game::unknown;
  return name.find('/') != std::string_view::npos ? Game::quake2 : Game::quake;
}

void count_game_vote(std::string_view line, GameVotes& votes) {
  if (votes.lines_seen >= game_sample_lines) return;
  ++votes.lines_seen;
  const Game g = face_game(line);
  votes.quake += g == Game::quake;
  votes.quake2 += g == Game::quake2;
}

Game voted_game(const GameVotes& votes) {
  if (votes.quake + votes.quake2 < game_min_clear_lines) return Game::unknown;
  if (votes.quake2 > 2 * votes.quake) return Game::quake2;
  if (votes.quake > 2 * votes.quake2) return Game::quake;
  return Game::unknown;
}

std::string_view game_name(Game game) {
  switch (game) {
    case Game::quake:
      return "Quake";
    case Game::quake2:
      return "Quake 2";
    case Game::unknown:
      break;
  }
  return "unknown";
}

}  // namespace kmap
