// The light translation, key for key: a Quake light's keys in, the Q3
// compiler's keys out (and the target it aims at); the world's light keys
// in, the world's keys and the light stage's switches out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "light_keys.h"
#include "light_translation.h"
#include "map_limits.h"
#include "sky_light.h"
#include "world_light.h"

using namespace kmap;
using namespace conv;

namespace {

// `"k" "v"` lines, one per key, as the text of an entity.
void fill(Entity& e, const std::string& keys) {
  e.lines.configure(extended_limits, true);
  e.clear();
  size_t at = 0;
  while ((at = keys.find('"', at)) != std::string::npos) {
    const size_t key_end = keys.find('"', at + 1);
    const size_t value_start = keys.find('"', key_end + 1);
    const size_t value_end = keys.find('"', value_start + 1);
    EXPECT_EQ(e.add(keys.substr(at + 1, key_end - at - 1), keys.substr(value_start + 1, value_end - value_start - 1)),
              CONV_OK);
    at = value_end + 1;
  }
}

// The keys of an entity in its order, as one line of `"k" "v"` pairs.
std::string keys_of(const Entity& e) {
  std::string out;
  for (int k = 0; k < e.key_count(); ++k)
    out += std::string(out.empty() ? "" : " ").append("\"").append(e.key(k).key) + "\" \"" +
           std::string(e.key(k).value) + "\"";
  return out;
}

struct LightCase {
  const char* label;
  std::string world;   // world keys
  std::string source;  // the light's keys (origin 0 0 0 unless given)
  std::string written;  // "" when left out
  std::string target = "";  // the added target's origin
  const char* source_class = "light";
};

TEST(LightTranslation, QuakeKeysBecomeTheQ3CompilersKeys) {
  const std::string omni = R"("classname" "light" "origin" "0 0 0")";
  const LightCase cases[] = {
      // Falloffs: linear is exact; the 1/x curves are 1/x² with an offset.
      {"default: linear 300", "", omni, omni + R"( "light" "82.5" "spawnflags" "1" "fade" "0.2578")"},
      {"wait scales the fade", "", omni + R"( "light" "150" "wait" "2")",
       omni + R"( "light" "41.25" "wait" "2" "spawnflags" "1" "fade" "0.5156")"},
      {"_falloff sets the reach", "", omni + R"( "_falloff" "200")",
       omni + R"( "_falloff" "200" "light" "82.5" "spawnflags" "1" "fade" "0.3867")"},
      {"delay 1: 1/x", "", omni + R"( "delay" "1" "light" "200")",
       omni + R"( "delay" "1" "light" "328.571" "spawnflags" "2" "_extradist" "128")"},
      {"delay 2: 1/x², wait shortens it", "", omni + R"( "delay" "2" "wait" "2")",
       omni + R"( "delay" "2" "wait" "2" "light" "42.24" "spawnflags" "2")"},
      {"delay 3: no falloff", "", omni + R"( "delay" "3")",
       omni + R"( "delay" "3" "light" "82.5" "spawnflags" "1" "fade" "0.0001")"},
      {"delay 5: 1/(x + 128)²", "", omni + R"( "delay" "5")",
       omni + R"( "delay" "5" "light" "119.473" "spawnflags" "2" "_extradist" "128")"},
      {"unknown delay reads as linear", "", omni + R"( "delay" "15")",
       omni + R"( "delay" "15" "light" "82.5" "spawnflags" "1" "fade" "0.2578")"},
      // World scales.
      {"_range and _dist", R"("_range" "1" "_dist" "2")", omni,
       omni + R"( "light" "165" "spawnflags" "1" "fade" "1.0313")"},
      {"_gamma doubles for -compensate 2", R"("_gamma" "1.4")", omni,
       omni + R"( "light" "165" "spawnflags" "1" "fade" "0.5156")"},
      // Colour: scaled to its brightest channel, the light by that channel.
      {"colour 0-255", "", omni + R"( "_color" "255 128 0")",
       omni + R"( "light" "82.5" "spawnflags" "1" "fade" "0.2578" "_color" "1 0.502 0")"},
      {"colour 0-1, dim, without underscore", "", omni + R"( "color" "0.5 0.5 0.25")",
       omni + R"( "light" "41.25" "spawnflags" "1" "fade" "0.1289" "_color" "1 1 0.5")"},
      {"light r g b n", "", omni + R"( "light" "255 0 0 200")",
       omni + R"( "light" "55" "spawnflags" "1" "fade" "0.2578" "_color" "1 0 0")"},
      {"black light gives nothing", "", omni + R"( "_color" "0 0 0")", ""},
      {"negative light: no Q3 form", "", omni + R"( "light" "-200")", ""},
      // Spotlights: 1/x², a target of our own on the axis, cone by radius.
      {"target with angle", "", R"("classname" "light" "origin" "0 0 0" "target" "T1" "angle" "60")",
       R"("classname" "light" "origin" "0 0 0" "angle" "60" "light" "232.031" "spawnflags" "2" "_extradist" "150" "target" "light_target_1" "radius" "-14.845" "_anglescale" "0.1")",
       "0 0 -2"},
      {"mangle, default cone", "", omni + R"( "mangle" "90 -45 0" "delay" "2")",
       omni + R"( "mangle" "90 -45 0" "delay" "2" "light" "168.96" "spawnflags" "2" "target" "light_target_1" "radius" "-15.272" "_anglescale" "0.1")",
       "0 1.414 -1.414"},
      {"target the map lacks: a plain light", "", omni + R"( "target" "nowhere")",
       omni + R"( "light" "82.5" "spawnflags" "1" "fade" "0.2578")"},
      {"sun light", "", omni + R"( "_sun" "1" "light" "200" "mangle" "0 -90 0")",
       omni + R"( "light" "51.563" "mangle" "0 -90 0" "_sun" "1" "target" "light_target_1")", "0 0 -2"},
      // Soft shadows: the samples the Q3 compiler divides by.
      {"deviance", "", omni + R"( "_deviance" "8")",
       omni + R"( "light" "1320" "spawnflags" "1" "fade" "0.2578" "_deviance" "8" "_samples" "16")"},
      // Styles and switches: baked lit, or left out when dark at the start.
      {"style and targetname go", "", omni + R"( "style" "5" "targetname" "sw" "_anglescale" "0.5")",
       omni + R"( "light" "82.5" "spawnflags" "1" "fade" "0.2578")"},
      {"switchable, starts off", "", omni + R"( "targetname" "sw" "spawnflags" "1")", ""},
      {"start off without a name is lit", "", omni + R"( "spawnflags" "1")",
       omni + R"( "light" "82.5" "spawnflags" "1" "fade" "0.2578")"},
      {"a flame's flag 1 is no switch", "", omni + R"( "targetname" "sw" "spawnflags" "1")",
       omni + R"( "light" "82.5" "spawnflags" "1" "fade" "0.2578")", "", "light_flame_large_yellow"},
      // Templates and other entities.
      {"surface template kept for the pack", "", omni + R"( "_surface" "*lava1" "wait" "3")",
       R"("classname" "info_null" "origin" "0 0 0" "_surface" "*lava1" "wait" "3")"},
      {"not a light", "", R"("classname" "info_null" "origin" "0 0 0" "light" "300")",
       R"("classname" "info_null" "origin" "0 0 0" "light" "300")"},
  };
  TargetTable map;
  map.add("t1", Vec3{0, 0, -100});
  map.add("light_target_2", std::nullopt);
  for (const LightCase& c : cases) {
    SCOPED_TRACE(c.label);
    Entity world, light;
    fill(world, c.world);
    fill(light, c.source);
    LightTranslation out;
    LightReport report;
    ASSERT_EQ(translate_light(light, c.source_class, world_light_facts(world, false), map, out, report), CONV_OK);
    EXPECT_EQ(out.write ? keys_of(light) : "", c.written);
    EXPECT_EQ(out.target ? short_triple(out.target->origin) : "", c.target);
  }
}

TEST(LightTranslation, ReportCountsAndTargetNamesStayUnique) {
  TargetTable map;
  map.add("light_target_2", std::nullopt);
  Entity world, light, target;
  fill(world, "");
  LightReport report;
  std::vector<std::string> names;
  for (const char* keys : {R"("classname" "light" "mangle" "0 -90 0" "style" "2")",
                           R"("classname" "light" "mangle" "0 -90 0" "targetname" "a")",
                           R"("classname" "light" "targetname" "b" "spawnflags" "1")",
                           R"("classname" "light" "_surface" "sky1")"}) {
    fill(light, keys);
    LightTranslation out;
    ASSERT_EQ(translate_light(light, "light", world_light_facts(world, false), map, out, report), CONV_OK);
    if (out.target) names.push_back(out.target->targetname);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"light_target_1", "light_target_3"}));
  EXPECT_EQ(report.lights, 4);
  EXPECT_EQ(report.spotlights, 2);
  EXPECT_EQ(report.styled, 1);
  EXPECT_EQ(report.switchable, 1);
  EXPECT_EQ(report.start_off_left_out, 1);
  EXPECT_EQ(report.surface_templates, 1);
  ASSERT_EQ(make_target_entity({"light_target_1", {1, 2, 3.5}}, target), CONV_OK);
  EXPECT_EQ(keys_of(target), R"("classname" "info_null" "targetname" "light_target_1" "origin" "1 2 3.5")");
}

struct WorldCase {
  const char* label;
  std::string source;
  std::string written;
  std::vector<std::string> switches = {};
  std::vector<std::string> sky = {};
};

TEST(WorldLight, WorldKeysBecomeMinimumLightSwitchesAndSky) {
  const WorldCase cases[] = {
      {"the world's light is its minimum", R"("light" "25" "message" "m")", R"("message" "m" "_minlight" "6.445")"},
      {"minimum light and colour", R"("_minlight" "40" "_minlight_color" "255 128 0")",
       R"("_minlight" "10.313" "_minlight_color" "255 128 0" "_color" "1 0.502 0")"},
      {"zero minimum is none", R"("_minlight" "0")", ""},
      {"maximum", R"("_maxlight" "200")", R"("_maxlight" "103.125")"},
      {"dirt with depth", R"("_dirt" "1" "_dirtdepth" "64")", R"("_dirt" "1" "_dirtdepth" "64")",
       {"-dirty", "-dirtdepth 64"}},
      {"dirt off", R"("_dirt" "-1")", R"("_dirt" "-1")"},
      {"bounce", R"("_bounce" "2")", R"("_bounce" "2")", {"-bounce 2", "-bouncescale 4", "-bouncecolorratio 0"}},
      {"gamma", R"("_gamma" "1.5" "light" "10")", R"("_gamma" "1.5" "_minlight" "5.156")",
       {"-gamma 1.5", "-compensate 2"}},
      {"sun from a mangle", R"("_sunlight" "300" "_sun_mangle" "0 -65 0")", R"("_sunlight" "300" "_sun_mangle" "0 -65 0")",
       {}, {"q3map_sun 1 1 1 77.344 180 65"}},
      {"coloured sun with a penumbra, default straight down",
       R"("_sunlight" "200" "_sunlight_color" "255 128 0" "_sunlight_penumbra" "3")",
       R"("_sunlight" "200" "_sunlight_color" "255 128 0" "_sunlight_penumbra" "3")", {},
       {"q3map_sunExt 1 0.502 0 51.563 180 90 3 16"}},
      {"dome with its colour", R"("_sunlight2" "300" "_sunlight2_color" "175 175 255")",
       R"("_sunlight2" "300" "_sunlight2_color" "175 175 255")", {},
       {"q3map_skyLight 117.437 3 0 90 0", "q3map_lightRGB 0.686 0.686 1"}},
      {"lower dome", R"("_sunlight3" "100")", R"("_sunlight3" "100")", {},
       {"q3map_skyLight 39.146 3 -90 0 0", "q3map_lightRGB 1 1 1"}},
  };
  for (const WorldCase& c : cases) {
    SCOPED_TRACE(c.label);
    Entity world;
    fill(world, c.source);
    WorldLightReport report;
    ASSERT_EQ(translate_world_light(world, false, report), CONV_OK);
    EXPECT_EQ(keys_of(world), c.written);
    EXPECT_EQ(report.switches, c.switches);
    EXPECT_EQ(report.sky, c.sky);
  }
}

TEST(WorldLight, Quake2MinimumIsOnAUnitScale) {
  Entity world;
  fill(world, R"("_minlight" "0.5")");
  WorldLightReport report;
  ASSERT_EQ(translate_world_light(world, true, report), CONV_OK);
  EXPECT_EQ(keys_of(world), R"("_minlight" "16")");
}

}  // namespace
