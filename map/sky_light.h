// The sun and the sky dome a Quake map's world asks of the modern Quake
// light compiler ("_sunlight", "_sun2", "_sunlight2", "_sunlight3" and their
// colours, directions and penumbra), as the directives the Q3 compiler
// reads from a sky shader: q3map_sun / q3map_sunExt for a sun, q3map_skyLight
// for a dome, q3map_lightRGB for the dome's colour.
//
// A sun of strength S gives a Quake byte R·S on a face square to it; the Q3
// compiler's sun adds its intensity to such a luxel, so the intensity is
// S times the map's light value scale. Its direction: the Quake mangle tells
// where the light travels (yaw, pitch), q3map_sun where it comes from
// (degrees = yaw + 180, elevation = -pitch). A dome of strength S2 sums to
// 0.7795·S2 on an open floor in Quake (65 suns); q3map_skyLight V I builds
// 4(I - 1)² + 1 suns in rings 90/I degrees apart, which sum there to
// 0.5590·V for I = 5 and 0.5134·V for I = 3, so V = 0.7795·S2 / that sum,
// times the scale.
#ifndef KORVEX_MAP_SKY_LIGHT_H
#define KORVEX_MAP_SKY_LIGHT_H

#include <string>
#include <vector>

#include "entity.h"

namespace kmap {

// Samples of a sun with a penumbra: the modern Quake compiler takes 64; the
// Q3 compiler traces each one per luxel, so fewer keep its time in bounds.
inline constexpr int sun_penumbra_samples = 16;
// Rings of the dome: 4·(3 - 1)·(3 - 1) + 1 = 17 suns. The Quake compiler
// takes 65 (5 rings); the Q3 compiler traces every one per luxel, and 65
// took a level with a dome up to four times the light stage of today's
// conversion, 17 about twice.
inline constexpr int sky_dome_iterations = 3;

// The sky shader directives of the world's sun and dome keys, in a fixed
// order (suns, then the dome and its colour); empty when the world asks for
// neither. Never changes the world.
[[nodiscard]] std::vector<std::string> sky_light_directives(const Entity& world, bool quake2);

}  // namespace kmap

#endif
