// A Quake "_surface" light: a template the modern Quake compiler copies over
// every face of one texture, about one copy per 128 × 128 units, 2 units
// in front of the face. The Q3 compiler makes a texture emit light from its
// shader instead (q3map_surfacelight V, an area light falling off as 1/x²).
//
// V is fitted by compiling both in the Q3 compiler (the copies translated
// as point lights, against the area light) around a pool of 512 × 256
// units: over the faces the copies reach, V = 4.48e-4 · s · m · L · h²
// brings the two to the same mean (their pattern differs: the area light
// reaches farther and lights the faces beside the pool less), where L is
// the template's value, s the map's light value scale, m its brightest
// colour channel / 255 and h the distance at which its curve halves:
// L/(2·wait·_dist) for "delay" 0 ("_falloff" F: F/2), 128/(wait·_dist)
// times 2 for 1/x, √2 for 1/x², √2 - 1 for 1/(x + 128)², and 512 for none.
#ifndef KORVEX_MAP_SURFACE_LIGHT_H
#define KORVEX_MAP_SURFACE_LIGHT_H

#include <optional>
#include <string>

#include "entity.h"
#include "texture_axes.h"

namespace kmap {

struct SurfaceLight {
  std::string texture;  // the texture named by "_surface", as written there
  double value = 0;     // q3map_surfacelight
  Vec3 colour{};        // q3map_lightRGB: the template's colour, largest channel 1
};

// The surface light of an entity holding a "_surface" key with a texture
// name and a light value that gives light; nothing for any other entity.
// `world` gives the map's light value and distance scales. Never changes
// either entity.
[[nodiscard]] std::optional<SurfaceLight> surface_light_of(const Entity& light, const Entity& world, bool quake2);

}  // namespace kmap

#endif
