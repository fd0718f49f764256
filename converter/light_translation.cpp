#include "light_translation.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "light_keys.h"
#include "map_limits.h"
#include "texture_names.h"

using namespace kmap;

namespace conv {
namespace {

// The Q3 compiler: a linear light gives 0.9375 per "light" (7500/8000), an
// inverse-square one 7500 photons per "light", and a cone is "radius" + 16
// units wide at its target (a negative radius narrows it), of which the
// last 32 units fade.
constexpr double linear_unit = 0.9375;
constexpr double photons_per_light = 7500;
constexpr double cone_edge = 16;
// Our targets stand this close to their light, so that they stay inside
// the level: a target in the void would leak the map.
constexpr double target_distance = 2;
// "fade" for no falloff ("0" would read as 1).
constexpr double no_fade = 0.0001;
// A spotlight keeps an angle term, min(1, cos θ / "_anglescale"): flat but
// for the last few degrees with this (see the header).
constexpr double spot_anglescale = 0.1;

// The Quake compilers: the distance at which their 1/x curves give the
// light's value, the default cone, the samples of a light with "_deviance".
constexpr double curve_unit = 128;
constexpr double default_cone = 40;
constexpr double default_quake2_cone = 20;
constexpr int default_samples = 16;

// Fits of curves the Q3 compiler lacks, by 1/(x² + extradist²) (see the
// header): 1/x within ±45 % over a/4..4a, 1/(x + a)² within ±41 %.
constexpr double inverse_fit = 2.917;
constexpr double offset_square_fit = std::numbers::sqrt2 / 2;
// A spotlight without falloff: flat to 3 % within an eighth of this.
constexpr double flat_spot_reach = 2048;

// The keys the Q3 compiler would read in a sense of its own; the
// translation writes those it needs afresh.
constexpr std::array reread_keys{"_light",  "color",       "_color",      "style",  "_style",
                                 "target",  "targetname",  "_anglescale", "anglescale",
                                 "_anglesense", "anglesense", "scale",   "spawnflags",
                                 "fade",    "radius",      "_extradist",  "_sun",   "sun",
                                 "_samples", "samples",    "deviance",    "_deviance"};

struct QuakeLight {
  double value = 0;
  Vec3 colour{};
  int delay = 0;
  double wait = 1;
  double falloff = 0;
  double deviance = 0;
  int samples = 1;
  Vec3 origin{};
  std::optional<Vec3> aim;  // unit direction of a spotlight or sun
  double cone = default_cone;
  bool sun = false;
  bool dome = false;
  bool surface_template = false;
  bool switchable = false;
  bool start_off = false;
  bool styled = false;
};

std::optional<Vec3> unit(const Vec3& v) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (!(length > 0)) return std::nullopt;
  return Vec3{v[0] / length, v[1] / length, v[2] / length};
}

int spawnflags_of(const Entity& e) {
  const auto flags = light_number(e, "spawnflags");
  return flags && *flags >= 0 && *flags < 1 << 30 ? static_cast<int>(*flags) : 0;
}

QuakeLight read_quake_light(const Entity& e, std::string_view source_class, const WorldLightFacts& world,
                            const LightSurroundings& map) {
  QuakeLight q;
  q.value = quake_light_value(e);
  q.colour = quake_light_colour(e);
  q.delay = quake_light_delay(e);
  q.wait = quake_light_wait(e);
  q.falloff = std::fmax(0, light_number(e, "_falloff").value_or(0));
  q.deviance = std::fmax(0, light_number(e, "_deviance").value_or(0));
  if (q.deviance > 0) {
    const double samples = light_number(e, "_samples").value_or(default_samples);
    q.samples = samples >= 1 ? static_cast<int>(samples) : 1;
  }
  q.origin = light_triple(e, "origin").value_or(Vec3{});

  if (const auto target = e.value("target"); target && !target->empty())
    if (const auto at = map.target_origin(*target))
      q.aim = unit({(*at)[0] - q.origin[0], (*at)[1] - q.origin[1], (*at)[2] - q.origin[2]});
  if (!q.aim)
    if (const auto mangle = light_triple(e, "mangle")) q.aim = direction_of((*mangle)[0], (*mangle)[1]);
  if (const auto angle = e.value("angle"); angle && q.aim) {
    q.cone = light_number(e, "angle").value_or(default_cone);
  } else if (const auto half = light_number(e, "_cone")) {
    q.cone = 2 * *half;
  } else {
    q.cone = world.quake2 ? default_quake2_cone : default_cone;
  }
  if (!(q.cone > 0) || q.cone >= 180) q.cone = default_cone;

  q.sun = light_number(e, "_sun").value_or(0) == 1;
  q.dome = light_number(e, "_sunlight2").value_or(0) == 1 || light_number(e, "_sunlight3").value_or(0) == 1;
  q.surface_template = light_key(e, "_surface").has_value();
  const auto targetname = e.value("targetname");
  q.switchable = targetname && !targetname->empty();
  // The game turns these two classes off at the start; the compiler gave
  // them a style of their own.
  const std::string source = ascii_lower(source_class);
  q.start_off = q.switchable && (spawnflags_of(e) & 1) != 0 && (source == "light" || source == "light_fluoro");
  const auto style = light_number(e, "style") ? light_number(e, "style") : light_number(e, "_style");
  q.styled = style && *style != 0;
  return q;
}

struct Q3Light {
  double light = 0;
  bool linear = false;
  double fade = 0;
  double extradist = 0;
  bool spot = false;
  bool sun = false;
};

// The Q3 compiler's light of a Quake point light or spotlight.
Q3Light q3_light_of(const QuakeLight& q, const WorldLightFacts& world) {
  const double s = world.value_scale * largest(q.colour) / 255;
  const double a = curve_unit / (q.wait * world.distance_scale);
  // The Quake compiler does not divide a linear light by its samples.
  const double undivided = q.delay == 0 || q.delay == 4 ? q.samples : 1;
  const auto inverse_square = [&](double factor, double extradist) {
    return Q3Light{factor * s * q.value * (extradist > 0 ? extradist * extradist : a * a) / photons_per_light, false,
                   0, extradist, q.aim.has_value(), false};
  };
  if (q.sun) return Q3Light{s * q.value, false, 0, 0, false, true};
  switch (q.delay) {
    case 1: return inverse_square(inverse_fit, a);
    case 2: return inverse_square(1, 0);
    case 5: return inverse_square(offset_square_fit, a);
    default: break;
  }
  if (q.aim) {
    // Spotlights are 1/x² in the Q3 compiler: through the light's value at
    // the light and its half at half its reach.
    const double reach = q.delay == 0 ? (q.falloff > 0 ? q.falloff : q.value / (q.wait * world.distance_scale))
                                      : 2 * flat_spot_reach;
    Q3Light spot = inverse_square(1, reach / 2);
    spot.light *= undivided;
    return spot;
  }
  Q3Light linear{s * q.value / linear_unit * undivided, true, no_fade, 0, false, false};
  if (q.delay == 0) linear.fade = q.falloff > 0 ? s * q.value / q.falloff : s * q.wait * world.distance_scale;
  return linear;
}

std::string target_name(const LightSurroundings& map, int& counter) {
  std::string name;
  do name = "light_target_" + std::to_string(++counter);
  while (map.name_in_use(name));
  return name;
}

Vec3 along(const Vec3& origin, const Vec3& direction, double distance) {
  return {origin[0] + direction[0] * distance, origin[1] + direction[1] * distance,
          origin[2] + direction[2] * distance};
}

}  // namespace

void TargetTable::add(std::string_view targetname, std::optional<Vec3> origin) {
  by_lower_name_[ascii_lower(targetname)] = origin;
  exact_names_[std::string(targetname)] = true;
}

std::optional<Vec3> TargetTable::target_origin(std::string_view targetname) const {
  const auto found = by_lower_name_.find(ascii_lower(targetname));
  return found == by_lower_name_.end() ? std::nullopt : found->second;
}

bool TargetTable::name_in_use(std::string_view targetname) const {
  return exact_names_.count(std::string(targetname)) > 0;
}

bool is_light_class(std::string_view name) { return ascii_lower(name.substr(0, 5)) == "light"; }

conv_status make_target_entity(const AddedTarget& target, Entity& out) {
  out.lines.configure(extended_limits, true);
  conv_status r = out.add("classname", "info_null");
  if (r == CONV_OK) r = out.add("targetname", target.targetname);
  if (r == CONV_OK) r = out.add("origin", short_triple(target.origin));
  return r;
}

conv_status translate_light(Entity& light, std::string_view source_class, const WorldLightFacts& world,
                            const LightSurroundings& map, LightTranslation& out, LightReport& report) {
  if (!is_light_class(light.classname())) {
    out = LightTranslation{};
    return CONV_OK;
  }
  const QuakeLight q = read_quake_light(light, source_class, world, map);
  LightReport counted = report;
  LightTranslation result;
  ++counted.lights;
  ++counted.by_delay[static_cast<size_t>(q.delay)];

  if (q.surface_template) {
    // It lights the faces of its texture: the pack's shader does, from its keys.
    ++counted.surface_templates;
    const conv_status r = light.set("classname", "info_null");
    if (r != CONV_OK) return r;
    out = result;
    report = counted;
    return CONV_OK;
  }
  if (q.dome || q.value < 0 || !(largest(q.colour) > 0) || q.start_off) {
    // Dark at the start, or nothing the Q3 compiler can give.
    result.write = false;
    ++(q.start_off ? counted.start_off_left_out : counted.unsupported);
    out = result;
    report = counted;
    return CONV_OK;
  }

  const Q3Light q3 = q3_light_of(q, world);
  for (const char* key : reread_keys) light.remove(key);
  conv_status r = light.set("light", short_number(q3.light));
  if (r == CONV_OK && !q3.sun) r = light.add("spawnflags", q3.linear ? "1" : "2");
  if (r == CONV_OK && q3.linear) r = light.add("fade", short_number(q3.fade, 4));
  if (r == CONV_OK && q3.extradist > 0) r = light.add("_extradist", short_number(q3.extradist));
  const Vec3& c = q.colour;
  const bool white = c[0] == c[1] && c[1] == c[2];
  if (r == CONV_OK && !white) {
    const double top = largest(c);
    r = light.add("_color", short_triple({c[0] / top, c[1] / top, c[2] / top}));
  }
  if (r == CONV_OK && q.deviance > 0) r = light.add("_deviance", short_number(q.deviance));
  if (r == CONV_OK && q.deviance > 0) r = light.add("_samples", std::to_string(q.samples));
  if (r == CONV_OK && q3.sun) r = light.add("_sun", "1");
  if (r == CONV_OK && (q3.spot || q3.sun)) {
    int counter = counted.targets_added;
    const Vec3 aim = q.aim.value_or(Vec3{0, 0, -1});
    const double half = q.cone * std::numbers::pi / 360;
    result.target = AddedTarget{target_name(map, counter), along(q.origin, aim, target_distance)};
    counted.targets_added = counter;
    r = light.add("target", result.target->targetname);
    if (r == CONV_OK && q3.spot) r = light.add("radius", short_number(target_distance * std::tan(half) - cone_edge));
    if (r == CONV_OK && q3.spot) r = light.add("_anglescale", short_number(spot_anglescale));
  }
  if (r != CONV_OK) return r;

  counted.spotlights += q3.spot;
  counted.suns += q3.sun;
  counted.coloured += !white;
  counted.jittered += q.deviance > 0;
  counted.styled += q.styled;
  counted.switchable += q.switchable;
  counted.approximated += q.delay == 1 || q.delay == 4 || q.delay == 5 || q3.spot;
  out = result;
  report = counted;
  return CONV_OK;
}

}  // namespace conv
