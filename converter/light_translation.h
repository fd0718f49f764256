// One light of a Quake map made the Q3 compiler's light that lights the
// level as the Quake light compilers did.
//
// The Quake compilers fall a light off linearly (value - wait·distance), or
// per "delay" as 1/x, 1/x², not at all, or 1/(x + 128)²; the Q3 compiler's
// lights fall off as 1/x² unless spawnflag 1 makes them linear. A Quake
// value v is worth v · value scale in the Q3 compiler (light_keys.h), and
// its linear lights give 0.9375·"light" - "fade"·distance, so:
//
// | Quake                 | Q3 compiler (s = value scale, m = brightest colour channel / 255)      |
// |-----------------------|------------------------------------------------------------------------|
// | delay 0 (linear)      | spawnflags 1, light s·m·L/0.9375, fade s·m·wait·_dist ("_falloff" F: s·m·L/F) |
// | delay 1 (1/x)         | spawnflags 2, light 2.917·s·m·L·a²/7500, _extradist a, a = 128/(wait·_dist): within 45 % from a/4 to 4a |
// | delay 2 (1/x²)        | spawnflags 2, light s·m·L·a²/7500: the same curve                        |
// | delay 3 (none), 4     | spawnflags 1, light s·m·L/0.9375, fade 0.0001 (4 raises dark faces only: approximated) |
// | delay 5 (1/(x+128)²)  | spawnflags 2, light 0.7071·s·m·L·a²/7500, _extradist a: within 41 %     |
//
// Quake lights a face at an angle θ by 0.5 + 0.5·cos θ, the Q3 compiler by
// cos θ unless told otherwise: its linear lights have no angle term, and
// spawnflag 2 takes it from the others, so a face at a grazing angle gets
// up to twice the Quake light rather than none of it.
//
// A spotlight (a "target" the map holds, or a "mangle") is always 1/x² in
// the Q3 compiler and needs a target: one of our own is placed on its axis,
// 2 units from the light (inside the level, where a target must be), with
// "radius" giving the cone of "angle" (default 40°; "_cone" c: 2c)
// and "_anglescale" 0.1 keeping its angle term flat; its delay-0 curve is
// matched at the light and at half its reach. A "_sun" light becomes the
// Q3 compiler's sun light. "_color" is written scaled to its brightest
// channel (the Q3 compiler's reading); "_deviance" and "_samples" stay (a
// delay-0 or -4 light is multiplied by its samples, which the Q3 compiler
// divides by and the Quake one does not).
//
// Q3 has no light styles: a styled or switchable light is baked lit (its
// style and targetname go); a switchable light that starts off (spawnflag 1
// on a "light" or "light_fluoro" with a targetname) is dark when the level
// starts and is left out. A "_surface" template lights the faces of its
// texture, not its own place: it is written as an info_null keeping its
// keys, from which the texture pack writes the texture's surface light.
#ifndef KORVEX_CONVERTER_LIGHT_TRANSLATION_H
#define KORVEX_CONVERTER_LIGHT_TRANSLATION_H

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "entity.h"
#include "status.h"
#include "texture_axes.h"
#include "world_light.h"

namespace conv {

// What a light's translation asks of the rest of the map.
class LightSurroundings {
 public:
  virtual ~LightSurroundings() = default;
  // The origin of the entity named `targetname` (names compared without
  // regard to case, as the Quake compiler does), or nothing when no entity
  // with an origin has that name.
  [[nodiscard]] virtual std::optional<kmap::Vec3> target_origin(std::string_view targetname) const = 0;
  // True when an entity of the map has this targetname (compared exactly).
  [[nodiscard]] virtual bool name_in_use(std::string_view targetname) const = 0;
};

// The surroundings as a table, filled by a first pass over the map.
class TargetTable final : public LightSurroundings {
 public:
  // Records an entity's targetname and origin (nothing: it has none). Of
  // two entities with one name, the one recorded last counts.
  void add(std::string_view targetname, std::optional<kmap::Vec3> origin);
  [[nodiscard]] std::optional<kmap::Vec3> target_origin(std::string_view targetname) const override;
  [[nodiscard]] bool name_in_use(std::string_view targetname) const override;

 private:
  std::unordered_map<std::string, std::optional<kmap::Vec3>> by_lower_name_;
  std::unordered_map<std::string, bool> exact_names_;
};

// An entity a light needs written after it: the point its Q3 spotlight or
// sun aims at.
struct AddedTarget {
  std::string targetname;
  kmap::Vec3 origin{};
};

// Fills `out`, an empty entity, as that target: an info_null with its
// targetname and origin. Returns CONV_OK or an edit's failure.
[[nodiscard]] conv_status make_target_entity(const AddedTarget& target, kmap::Entity& out);

// What became of one light.
struct LightTranslation {
  bool write = true;                  // false: leave the entity out of the map
  std::optional<AddedTarget> target;  // write this after the light
};

// What the translation did over a run, for the run's report.
struct LightReport {
  int lights = 0;                // lights translated (left-out ones included)
  std::array<int, 6> by_delay{};  // of those, by Quake falloff ("delay" 0-5)
  int spotlights = 0;
  int suns = 0;
  int targets_added = 0;         // also numbers the added targets' names
  int coloured = 0;
  int jittered = 0;              // with "_deviance"
  int styled = 0;                // animated styles baked lit
  int switchable = 0;            // lights with a targetname, baked lit
  int start_off_left_out = 0;    // switchable lights dark at the start
  int surface_templates = 0;     // "_surface" templates kept for the pack
  int approximated = 0;          // delay 1, 4 and 5, and spotlights: no exact Q3 curve
  int unsupported = 0;           // lights of the Quake sky dome: left out
};

// True for the classes the Q3 compiler reads as lights: those whose name
// starts with "light", in any case.
[[nodiscard]] bool is_light_class(std::string_view classname);

// Translates `light` when its classname (as written: the Q3 compiler's
// reading) starts with "light"; any other entity is left as it is.
// `source_class` is its classname in the source map, before a table renamed
// it. On CONV_OK fills `out` and adds to `report`; on failure (an edit's
// CONV_LINE_TOO_LONG or CONV_TOO_MANY_LINES) the keys edited so far stay
// edited, and `out` and `report` are untouched.
[[nodiscard]] conv_status translate_light(kmap::Entity& light, std::string_view source_class,
                                          const WorldLightFacts& world, const LightSurroundings& map,
                                          LightTranslation& out, LightReport& report);

}  // namespace conv

#endif
