// How a map's texture names become the names inside a texture pack, and
// which names a pack leaves out.
//
// A source texture is packed under the name the converter keeps it under
// (map/texture_names.h: "q1/" or "q2/", lowercased, every '*' written '#'),
// so that a source map and its converted copy give the same pack.
#ifndef KORVEX_TEXPACK_PACK_NAMES_H
#define KORVEX_TEXPACK_PACK_NAMES_H

#include <string>
#include <string_view>

#include "game.h"
#include "nonsolid_names.h"
#include "texture_names.h"

namespace texpack {

using kmap::Game;

// A name the pack must supply.
struct PackName {
  Game game = Game::quake;
  std::string pack_name;         // "q1/#water0", "q2/e1u1/floor1_3" (under textures/)
  std::string library_name;      // the name to look up in the sources: "*water0"
  std::string alt_library_name;  // a second try ("#water0" for "q1/#water0"), or ""
  // A face that must not block ("q1/nonsolid/metal1"): its shader, named
  // pack_name, draws the images of image_pack_name() and lets players through.
  kmap::Solidity solidity = kmap::Solidity::solid;
};

// The pack name whose images a name's shader draws: the kept name of a
// non-solid one ("q1/metal1" for "q1/nonsolid/metal1"), else pack_name.
[[nodiscard]] std::string image_pack_name(const PackName& name);

enum class NameClass {
  packed,  // the pack must hold it
  tool,    // a compiler tool texture (clip, trigger, skip, hint, ...): never packed
  stock,   // a converted map's name outside q1/ and q2/: a Q3 game shader
};

// Pack name of a texture found in the sources, for the given game.
[[nodiscard]] std::string pack_name_of(std::string_view library_name, Game game);

// True for the compiler tool textures a pack never holds (matched without
// regard to case; a Quake 2 name by its last path part).
[[nodiscard]] bool is_tool_texture(std::string_view source_name, Game game);

// Classifies a name of a source map; `out` is written only for packed and tool.
[[nodiscard]] NameClass classify_source_name(std::string_view name, Game game, PackName& out);

// Classifies a name of a converted map ("q1/...", "q2/...", their non-solid
// forms "q1/nonsolid/...", or a stock Q3 shader); `out` is written only for
// packed and tool.
[[nodiscard]] NameClass classify_converted_name(std::string_view name, PackName& out);

// Lowercase copy (ASCII only).
[[nodiscard]] inline std::string lower(std::string_view text) { return kmap::ascii_lower(text); }

}  // namespace texpack

#endif
