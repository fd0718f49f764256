// The name a source texture is kept under in a converted map, and the
// source names a kept name stands for: one rule, used by the converter when
// it keeps a name and by the pack writer when it supplies it.
//
// A Quake texture N is kept as "q1/N", a Quake 2 texture as "q2/N", with N
// lowercased (both games and Q3 engines find textures without regard to
// case, while the Q3 compiler on a case-sensitive file system does not)
// and every '*' written '#' (Q3 reads a '*' in a shader name as the start
// of an internal name).
#ifndef KORVEX_MAP_TEXTURE_NAMES_H
#define KORVEX_MAP_TEXTURE_NAMES_H

#include <string>
#include <string_view>

#include "game.h"

namespace kmap {

// The kept name of a source texture of the game (Game::quake2, else Quake).
[[nodiscard]] std::string kept_texture_name(std::string_view source, Game game);

// What a kept name stands for: its game and the source names it may be
// (found without regard to case): `name` first, then `alt` when the kept
// name holds a '#' that may have been one in the source ("" otherwise).
struct KeptName {
  Game game = Game::unknown;
  std::string name;
  std::string alt;
};

// True with out filled for a kept name ("q1/..." or "q2/...", any case);
// false (out untouched) for any other name.
[[nodiscard]] bool read_kept_name(std::string_view kept, KeptName& out);

// Lowercase copy (ASCII letters only).
[[nodiscard]] std::string ascii_lower(std::string_view text);

}  // namespace kmap

#endif
