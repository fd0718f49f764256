#include "surface_light.h"

#include <cmath>
#include <numbers>

#include "light_keys.h"

namespace kmap {
namespace {

constexpr double area_fit = 4.48e-4;
constexpr double curve_unit = 128;
constexpr double flat_half_distance = 512;

// Where the template's Quake curve falls to half its value.
double half_distance(const Entity& light, double value, double distance_scale) {
  const double per_unit = quake_light_wait(light) * distance_scale;
  switch (quake_light_delay(light)) {
    case 1: return 2 * curve_unit / per_unit;
    case 2: return std::numbers::sqrt2 * curve_unit / per_unit;
    case 3:
    case 4: return flat_half_distance;
    case 5: return (std::numbers::sqrt2 - 1) * curve_unit / per_unit;
    default: break;
  }
  const double falloff = light_number(light, "_falloff").value_or(0);
  return falloff > 0 ? falloff / 2 : value / (2 * per_unit);
}

}  // namespace

std::optional<SurfaceLight> surface_light_of(const Entity& light, const Entity& world, bool quake2) {
  const auto texture = light_key(light, "_surface");
  if (!texture || texture->empty()) return std::nullopt;
  const double value = quake_light_value(light);
  const Vec3 colour = quake_light_colour(light);
  const double top = largest(colour);
  if (!(value > 0) || !(top > 0)) return std::nullopt;
  const double distance = light_number(world, "_dist").value_or(1);
  const double h = half_distance(light, value, distance > 0 ? distance : 1);
  SurfaceLight out;
  out.texture = std::string(*texture);
  out.value = area_fit * light_value_scale(world, quake2) * (top / 255) * value * h * h;
  out.colour = {colour[0] / top, colour[1] / top, colour[2] / top};
  return out;
}

}  // namespace kmap
