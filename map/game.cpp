#include "game.h"

#include "face.h"

namespace kmap {
Game face_game(std::string_view line) {
  Face face;
  if (!read_face(line, &face, true) || face.texture.text.empty() || face.form == AlignForm::none ||
      !face.tail.text.empty())
    return Game::unknown;
  // Quake 2 faces carry contents, flags and value after the alignment, or
  // a texture with its folder; Quake's carry neither. A Valve 220 face with
  // neither may be any game's.
  if (face.has_flags || face.texture.text.find('/') != std::string_view::npos) return Game::quake2;
  return face.form == AlignForm::standard ? Game::quake : Game::unknown;
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
