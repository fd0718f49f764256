#include "world_light.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "light_keys.h"
#include "sky_light.h"

using namespace kmap;

namespace conv {
namespace {

// Quake 2 minimum light on the modern compiler's 0-1 scale counts this much.
constexpr double quake2_minlight_unit = 128;
constexpr double largest_byte = 255;
// The Q3 compiler's -bouncescale that bounces as much light as the Quake
// compiler's bounce scale 1.
constexpr double q3_bounce_unit = 4;

// A switch with the world key's number, when the key is there.
void add_switch_of(const Entity& world, std::string_view key, std::string_view flag, std::vector<std::string>& out) {
  if (const auto value = light_number(world, key)) out.push_back(std::string(flag) + " " + short_number(*value));
}

std::vector<std::string> light_switches(const Entity& world) {
  std::vector<std::string> out;
  const double dirt = light_number(world, "_dirt").value_or(light_number(world, "_dirty").value_or(0));
  if (dirt >= 1) {
    out.emplace_back("-dirty");
    add_switch_of(world, "_dirtmode", "-dirtmode", out);
    add_switch_of(world, "_dirtdepth", "-dirtdepth", out);
    add_switch_of(world, "_dirtscale", "-dirtscale", out);
    add_switch_of(world, "_dirtgain", "-dirtgain", out);
  }
  if (const double bounces = light_number(world, "_bounce").value_or(0); bounces >= 1) {
    out.push_back("-bounce " + short_number(std::floor(bounces)));
    // The Q3 compiler's bounce carries a factor 0.25 of its own; the Quake
    // compiler's bounces untinted light unless told otherwise.
    out.push_back("-bouncescale " + short_number(q3_bounce_unit * light_number(world, "_bouncescale").value_or(1)));
    out.push_back("-bouncecolorratio " + short_number(light_number(world, "_bouncecolorscale").value_or(0)));
  }
  if (wants_gamma(world)) {
    out.push_back("-gamma " + short_number(*light_number(world, "_gamma")));
    out.emplace_back("-compensate 2");
  }
  return out;
}

}  // namespace

WorldLightFacts world_light_facts(const Entity& world, bool quake2) {
  WorldLightFacts facts;
  facts.value_scale = light_value_scale(world, quake2);
  const double distance = light_number(world, "_dist").value_or(1);
  facts.distance_scale = distance > 0 ? distance : 1;
  auto anglescale = light_number(world, "_anglescale");
  if (!anglescale) anglescale = light_number(world, "_anglesense");
  if (anglescale && *anglescale >= 0 && *anglescale <= 1) facts.anglescale = *anglescale;
  facts.quake2 = quake2;
  return facts;
}

conv_status translate_world_light(Entity& world, bool quake2, WorldLightReport& report) {
  const WorldLightFacts facts = world_light_facts(world, quake2);
  WorldLightReport done;
  done.switches = light_switches(world);
  done.sky = sky_light_directives(world, quake2);

  // Every value is read before the first edit moves the key lines.
  std::optional<double> minimum = light_number(world, "_minlight");
  const std::optional<double> world_light = light_number(world, "light");
  if (!minimum) minimum = world_light;
  const std::optional<Vec3> minimum_colour =
      light_colour(world, "_minlight_color") ? light_colour(world, "_minlight_color") : light_colour(world, "_mincolor");
  const std::optional<double> maximum = light_number(world, "_maxlight");

  conv_status r = CONV_OK;
  if (minimum && *minimum > 0) {
    const double quake = quake2 && *minimum <= 1 ? *minimum * quake2_minlight_unit : *minimum;
    const std::string value = short_number(quake * facts.value_scale);
    r = world.set("_minlight", value);
    done.changes.push_back("_minlight " + short_number(*minimum) + " -> " + value);
    if (r == CONV_OK && minimum_colour) {
      const Vec3& c = *minimum_colour;
      const std::string colour = short_triple({c[0] / largest_byte, c[1] / largest_byte, c[2] / largest_byte});
      r = world.set("_color", colour);
      done.changes.push_back("_minlight_color -> _color " + colour);
    }
  } else if (minimum) {
    world.remove("_minlight");  // a zero floor is no floor; a negative one means nothing
  }
  if (world_light) {
    world.remove("light");
    done.changes.emplace_back("the world's light key left out (the Q3 compiler reads _minlight)");
  }
  if (r == CONV_OK && maximum && *maximum > 0) {
    const double compensate = wants_gamma(world) ? 2 : 1;
    const std::string value = short_number(std::min(largest_byte, 2 * *maximum * facts.value_scale / compensate));
    r = world.set("_maxlight", value);
    done.changes.push_back("_maxlight " + short_number(*maximum) + " -> " + value);
  }
  if (r != CONV_OK) return r;
  report = std::move(done);
  return CONV_OK;
}

}  // namespace conv
