// The author's own compiled level among the files a user gave for the
// textures: the map's name with .bsp, alone, in a folder or in a PAK.
#ifndef KORVEX_PLAY_ORIGINAL_LEVEL_H
#define KORVEX_PLAY_ORIGINAL_LEVEL_H

#include <cstdint>
#include <string>
#include <vector>

namespace play {

struct OriginalLevel {
  std::string origin;          // "e1m1.bsp", "id1/pak0.pak:maps/e1m1.bsp"
  std::vector<uint8_t> bytes;
};

// Looks through `sources` in their order for a level named `map_name`.bsp
// (names compare without regard to case): a file given by name, a file in
// a folder searched recursively in the texture search's order, or a PAK's
// maps/NAME.bsp (a PAK given by name or met in a folder). Returns true and
// fills `out` with the first one found; false when there is none, leaving
// `out` untouched. Unreadable or damaged files are passed over.
[[nodiscard]] bool find_original_level(const std::vector<std::string>& sources, const std::string& map_name,
                                       OriginalLevel& out);

}  // namespace play

#endif
