#include "sky_light.h"

#include <cmath>
#include <numbers>
#include <string_view>
#include <tuple>

#include "light_keys.h"

namespace kmap {
namespace {

// Quake's dome on an open floor, per unit of strength (see the header).
constexpr double quake_dome_floor = 0.7795;

// The Q3 compiler's dome of `iterations` rings on an open floor, per unit
// of its value: the mean of sin(elevation) over its suns.
double q3_dome_floor(int iterations) {
  const int per_ring = 4 * (iterations - 1);
  double sum = 1;  // the sun straight above
  for (int ring = 0; ring < iterations - 1; ++ring)
    sum += per_ring * std::sin((ring + 0.5) * (std::numbers::pi / 2) / iterations);
  return sum / (per_ring * (iterations - 1) + 1);
}
constexpr Vec3 white{255, 255, 255};
constexpr Vec3 straight_down{0, -90, 0};

constexpr std::string_view unset;

std::optional<Vec3> first_triple(const Entity& world, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names)
    if (auto v = light_triple(world, name)) return v;
  return std::nullopt;
}

// "r g b" of a colour scaled so that its largest channel is 1.
std::string unit_colour(const Vec3& colour) {
  const double top = largest(colour);
  return short_triple({colour[0] / top, colour[1] / top, colour[2] / top});
}

// One sun: q3map_sun, or q3map_sunExt when the world gives it a penumbra.
void add_sun(const Entity& world, double scale, std::string_view strength_key, std::string_view colour_key,
             std::initializer_list<std::string_view> direction_keys, std::string_view penumbra_key,
             std::vector<std::string>& out) {
  const double strength = light_number(world, strength_key).value_or(0);
  const Vec3 colour = light_colour(world, colour_key).value_or(white);
  if (!(strength > 0) || !(largest(colour) > 0)) return;
  const Vec3 mangle = first_triple(world, direction_keys).value_or(straight_down);
  const double degrees = std::fmod(mangle[0] + 180, 360);
  const std::string place = short_number(degrees < 0 ? degrees + 360 : degrees) + " " + short_number(-mangle[1]);
  const std::string light = unit_colour(colour) + " " + short_number(strength * scale * largest(colour) / 255);
  const double penumbra = penumbra_key == unset ? 0 : light_number(world, penumbra_key).value_or(0);
  if (penumbra > 0)
    out.push_back("q3map_sunExt " + light + " " + place + " " + short_number(penumbra) + " " +
                  std::to_string(sun_penumbra_samples));
  else
    out.push_back("q3map_sun " + light + " " + place);
}

}  // namespace

std::vector<std::string> sky_light_directives(const Entity& world, bool quake2) {
  const double scale = light_value_scale(world, quake2);
  std::vector<std::string> out;
  add_sun(world, scale, light_key(world, "_sunlight") ? "_sunlight" : "_sun_light",
          light_key(world, "_sunlight_color") ? "_sunlight_color" : "_sun_color",
          {"_sunlight_mangle", "_sun_mangle", "_sun_angle"}, "_sunlight_penumbra", out);
  add_sun(world, scale, "_sun2", "_sun2_color", {"_sun2_mangle"}, unset, out);

  // The upper dome, then the lower one; one colour serves both.
  std::optional<Vec3> dome_colour;
  for (const auto& [strength_key, colour_key, horizon] :
       {std::tuple{"_sunlight2", "_sunlight2_color", " 0 90 0"}, std::tuple{"_sunlight3", "_sunlight3_color", " -90 0 0"}}) {
    const double strength = light_number(world, strength_key).value_or(0);
    const Vec3 colour = light_colour(world, colour_key).value_or(white);
    if (!(strength > 0) || !(largest(colour) > 0)) continue;
    const double value = quake_dome_floor / q3_dome_floor(sky_dome_iterations) * strength * scale * largest(colour) / 255;
    out.push_back("q3map_skyLight " + short_number(value) + " " + std::to_string(sky_dome_iterations) + horizon);
    if (!dome_colour) dome_colour = colour;
  }
  // Without a colour of its own the dome would take the sky image's.
  if (dome_colour) out.push_back("q3map_lightRGB " + unit_colour(*dome_colour));
  return out;
}

}  // namespace kmap
