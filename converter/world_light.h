// The world's light keys of a Quake map, made what the Q3 compiler reads:
// the minimum light and its colour, the brightest a luxel may get, and the
// facts every light's translation takes from the world (the value and
// distance scales). What has no world key in Q3 is reported as the light
// stage's switches: ambient occlusion (-dirty), bounced light (-bounce),
// the world's gamma (-gamma with -compensate 2).
//
// The sun and the sky dome keys stay as they are: the Q3 compiler ignores
// them, and the texture pack reads them to write its sky shader's sun and
// dome (sky_light.h).
#ifndef KORVEX_CONVERTER_WORLD_LIGHT_H
#define KORVEX_CONVERTER_WORLD_LIGHT_H

#include <string>
#include <vector>

#include "entity.h"
#include "light_keys.h"
#include "status.h"

namespace conv {

// What a light's translation takes from the world.
struct WorldLightFacts {
  double value_scale = kmap::quake_value_scale;  // Q3 compiler value per Quake light value
  double distance_scale = 1.0;  // "_dist": Quake distances count this many times
  double anglescale = 0.5;      // "_anglescale" a: a face at θ takes (1 - a) + a·cos θ
  bool quake2 = false;
};

struct WorldLightReport {
  std::vector<std::string> switches;    // for the light stage: "-dirty", "-bounce 1", ...
  std::vector<std::string> sky;         // the sky shader directives the pack will write
  std::vector<std::string> changes;     // one line per key rewritten: "_minlight 20 -> 5"
};

// The facts of a world, read without changing it.
[[nodiscard]] WorldLightFacts world_light_facts(const kmap::Entity& world, bool quake2);

// Rewrites the world's light keys:
// - "_minlight" (or the world's "light") M becomes "_minlight" M·value scale
//   (a Quake 2 M of at most 1 is on a 0-1 scale and counts 128 times), and
//   the world's "light" key goes;
// - "_minlight_color" ("_mincolor") c becomes "_color" c/255 (the Q3
//   compiler multiplies its minimum light by it);
// - "_maxlight" X becomes "_maxlight" X·value scale·2, at most 255.
// Fills `report` (switches, sky directives, changes). Returns CONV_OK, or
// CONV_LINE_TOO_LONG / CONV_TOO_MANY_LINES with the keys edited before the
// failing edit left edited and the report untouched.
[[nodiscard]] conv_status translate_world_light(kmap::Entity& world, bool quake2, WorldLightReport& report);

}  // namespace conv

#endif
