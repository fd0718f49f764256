// The lit samples of a compiled level's lightmaps and where they lie in the
// world, so that the original Quake level and its Q3 compile can be compared
// place by place.
#ifndef KORVEX_PLAY_LIGHTMAP_LUXELS_H
#define KORVEX_PLAY_LIGHTMAP_LUXELS_H

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace play {

struct Luxel {
  float x = 0, y = 0, z = 0;  // the sample's place in the world
  uint8_t facing = 0;         // the face's dominant normal axis * 2, + 1 when it points down that axis
  float value = 0;            // its light, the mean of its channels, 0-255
};

enum class LuxelStatus {
  ok,
  other_format,  // not a level of this format (another magic or version)
  bad_offset,    // a lump, face or lightmap outside the file
  bad_size,      // a lump whose size is no whole number of its records, or a count past its lump
};

// The samples of a Quake level (.bsp version 29, or BSP2) as lit when it
// starts: one per lightmap sample of each face that has a lightmap, placed
// where the light compiler put it (every 16 texture units on the face's
// plane), its light the sum of the face's style maps (at most 255) but for
// the styles of lights that start off (a light class's spawnflag 1 with a
// "style"), as the game shows them. Returns ok and appends to `out`; on any
// other status `out` is untouched. Never reads outside `bsp`.
[[nodiscard]] LuxelStatus read_quake_luxels(std::span<const uint8_t> bsp, std::vector<Luxel>& out);

// How many times its stored light a surface drawn with the shader `name`
// shows in the game: 2 for a shader that has its lightmap stored at half
// and draws it doubled, 1 for most.
using ShownLight = std::function<float(std::string_view name)>;

// The samples of a Q3 level (IBSP version 46): one per lightmap texel
// covered by a lightmapped planar or triangle surface, placed by the
// surface's vertices, a texel shared by two surfaces counted once; its
// light times `shown` of the surface's shader when `shown` is given (a
// shader number outside the level is then bad_offset). Returns ok and
// appends to `out`; on any other status `out` is untouched. Never reads
// outside `bsp`.
[[nodiscard]] LuxelStatus read_q3_luxels(std::span<const uint8_t> bsp, std::vector<Luxel>& out,
                                         const ShownLight& shown = {});

}  // namespace play

#endif
