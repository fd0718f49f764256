// How much brighter or darker a Q3 compile is lit than the original Quake
// level it came from, measured where both have light. A map file does not
// record how its author lit it (the light compiler's switches, bounced
// light, its version), but the author's compiled level does.
#ifndef KORVEX_PLAY_LIGHT_MATCH_H
#define KORVEX_PLAY_LIGHT_MATCH_H

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "lightmap_luxels.h"

namespace play {

struct LightMatch {
  double factor = 1;     // the compile's lightmaps times this match the original's
  size_t places = 0;     // samples of the original that found a compiled one
  double original = 0;   // their mean light in the original, 0-255
  double compiled = 0;   // and in the compile, 0-255
};

// The fewest places a match is made on; below it, a level shares too
// little with its compile to tell.
inline constexpr size_t light_match_min_places = 64;

// The brightest a Quake lightmap holds, twice the texture. Compiled light
// beyond it (on Q3's scale) shows no brighter than it does.
inline constexpr double quake_brightest = 255;

// Pairs each sample of `original` with the compiled samples in the same
// 16-unit cell facing the same way, and returns the factor F for which
// Σ min(F · compiled, `byte_ratio` · quake_brightest) = `byte_ratio` ·
// Σ original over the pairs (`byte_ratio`: the Q3 byte that shows as a
// Quake byte of 1): so light the original could not hold does not make the
// rest darker. Returns nothing when fewer than light_match_min_places pair,
// or when the compiled ones are all dark.
[[nodiscard]] std::optional<LightMatch> match_light_level(std::span<const Luxel> original,
                                                          std::span<const Luxel> compiled, double byte_ratio);

// How far from 1 a factor may lie and still count as a match; and the
// widest factor taken, beyond which the level found is likely not the one
// the map was compiled into.
inline constexpr double light_match_tolerance = 0.05;
inline constexpr double light_match_widest = 4;

// The light stage's "-brightness" value that applies `factor`, with two
// decimals; nothing when the factor is within light_match_tolerance of 1
// or further than light_match_widest from it either way.
[[nodiscard]] std::optional<std::string> brightness_switch(double factor);

}  // namespace play

#endif
