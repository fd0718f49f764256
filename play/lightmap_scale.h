// A Q3 level's lightmaps made brighter or darker after the light stage, as
// the stage's -brightness switch would have made them, without lighting the
// level again.
#ifndef KORVEX_PLAY_LIGHTMAP_SCALE_H
#define KORVEX_PLAY_LIGHTMAP_SCALE_H

#include <cstdint>
#include <span>

#include "lightmap_luxels.h"

namespace play {

// Multiplies each texel of the lightmap lump of a Q3 level (IBSP version
// 46) by `factor` (finite, above 0): a texel's channels c become
// factor · c rounded, and a texel whose brightest channel would pass 255 is
// brought back to 255 keeping its hue, as the Q3 compiler stores light. Returns ok and changes `bsp` in place; on any other status (and
// for a factor out of range: bad_size) `bsp` is untouched.
[[nodiscard]] LuxelStatus scale_q3_lightmaps(std::span<uint8_t> bsp, double factor);

}  // namespace play

#endif
