// Reading the texture names out of a map: a Quake or Quake 2 source map, or
// one converted for Q3 (names "q1/...", "q2/...", stock Q3 shaders).
#ifndef KORVEX_TEXPACK_MAP_SCAN_H
#define KORVEX_TEXPACK_MAP_SCAN_H

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace texpack {

enum class MapKind {
  quake,      // a Quake (or Half-Life) source map
  quake2,     // a Quake 2 source map
  converted,  // a map written by the converter
};

struct TextureUse {
  std::string name;  // as the map first spells it
  int faces = 0;
  bool operator==(const TextureUse&) const = default;
};

// A key and its value, as an entity spells them.
using KeyValue = std::pair<std::string, std::string>;

struct MapScan {
  MapKind kind = MapKind::quake;
  std::vector<TextureUse> textures;      // in order of first use, one per name (case ignored)
  std::vector<std::string> wad_entries;  // worldspawn "wad" key, split at ';', in order
  int faces = 0;
  std::vector<KeyValue> world_keys;                  // the first entity's keys, in order
  std::vector<std::vector<KeyValue>> surface_lights;  // entities with a "_surface" key: all their keys
};

enum class ScanStatus {
  ok,
  unbalanced,  // a '}' without its '{', or the text ends inside a block
  bad_face,    // a face whose three points are not followed by a texture name
};

// Scans map text line by line, as the converter reads maps. `converted_hint`
// (the file is a .1q3/.2q3) and the converter's header line mark a converted
// map, as does any "q1/"/"q2/" name; otherwise the world's faces vote for
// the game (map/game.h), and a map the vote leaves open is Quake 2 when any
// face says so, or when `force_quake2`.
// Returns ok and fills `out`, or another status with `error` set to
// "line N: what is wrong"; `out` is written only on success.
[[nodiscard]] ScanStatus scan_map(std::string_view text, bool converted_hint, bool force_quake2,
                                  MapScan& out, std::string& error);

}  // namespace texpack

#endif
