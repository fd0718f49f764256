// The light translation in a whole run, in-process: lights, their targets,
// the world's keys and the report, with -lights and -q3 and without.
#include <gtest/gtest.h>

#include "korvex_runner.h"

namespace {

constexpr const char* lit_map = R"({
"classname" "worldspawn"
"_minlight" "16"
"_dirt" "1"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) rock1 0 0 0 1 1
( 0 0 0 ) ( 0 0 64 ) ( 0 64 0 ) rock1 0 0 0 1 1
( 64 64 64 ) ( 64 128 64 ) ( 128 64 64 ) rock1 0 0 0 1 1
}
}
{
"classname" "light"
"origin" "0 0 100"
"target" "t1"
}
{
"classname" "info_null"
"targetname" "t1"
"origin" "0 0 0"
}
{
"classname" "light"
"origin" "10 0 100"
"targetname" "sw"
"spawnflags" "1"
}
{
"classname" "light_torch_small_walltorch"
"origin" "20 0 100"
"spawnflags" "1"
}
)";

// The spotlight aims at a target of its own on its axis; the light that
// starts off is left out; the torch's flag 1 (nothing in Quake) is the Q3
// compiler's linear falloff with its fade; the world's minimum light is
// scaled and its ambient occlusion asks for -dirty.
const Want translated = Want::has(
    {"  \"_minlight\" \"4.125\"\n", "  \"_dirt\" \"1\"\n", "    \"target\" \"light_target_1\"\n",
     "// entity 1, added 1\n  {\n    \"classname\" \"info_null\"\n    \"targetname\" \"light_target_1\"\n"
     "    \"origin\" \"0 0 98\"\n  }\n",
     "    \"origin\" \"20 0 100\"\n    \"light\" \"82.5\"\n    \"spawnflags\" \"1\"\n    \"fade\" \"0.2578\"\n"},
    {"\"sw\"", "// entity 3\n"});

TEST(LightPass, RunsTranslateLightsOnlyWhenAsked) {
  const struct {
    std::string name;
    Args args;
    Want map;
    Want errors;
    std::vector<std::string> switches;
  } cases[] = {
      {"-x alone leaves lights as they are", {"-x", "-k"},
       Want::has({"  \"_minlight\" \"16\"\n", "    \"targetname\" \"sw\"\n", "    \"target\" \"t1\"\n"},
                 {"fade", "light_target"}),
       Want::lacks({"lights:"}), {}},
      {"-lights", {"-lights"}, translated,
       Want::has({"lights: 3 light(s) translated for the Q3 compiler: 1 spotlight(s), 0 sun(s)",
                  "lights: 1 switchable light(s) that start off left out\n",
                  "lights: world _minlight 16 -> 4.125\n", "lights: compile the light stage with -dirty\n"}),
       {"-dirty"}},
      {"-q3 and its entity rules", {"-q3", "-q1"}, translated, Want::has({"lights: compile the light stage with -dirty\n"}),
       {"-dirty"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Args args{"-s", "a.map", "-d", "a.out", "-e", "q1.ent"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const KorvexRun run = Golden(c.name)
                              .args(args)
                              .input("a.map", lit_map)
                              .input("q1.ent", "light *\ninfo_null *\nlight_torch_small_walltorch light\n")
                              .output("a.out", c.map)
                              .errors(c.errors)
                              .check();
    EXPECT_EQ(run.report.compile_switches, c.switches);
    EXPECT_EQ(run.report.lights.is_null(), c.switches.empty());
  }
}

// Lights the Q3 compiler draws with an angle term (suns, the sky dome,
// surface lights) ask for its half-Lambert curve, nearer Quake's; not when
// the world's own angle term is nearly Lambert already, nor for Quake 2.
TEST(LightPass, AngleTermLightsAskForHalfLambert) {
  const std::string brush = "{\n( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1\n}\n";
  const std::string light = "{\n\"classname\" \"light\"\n\"origin\" \"0 0 64\"\n";
  const struct {
    const char* name;
    std::string world_keys;
    std::string entities;
    Args game;
    std::vector<std::string> switches;
  } cases[] = {
      {"a sun", "\"_sunlight\" \"200\"\n", "", {"-q1"}, {"-lightanglehl", "1"}},
      {"a sky dome", "\"_sunlight2\" \"200\"\n", "", {"-q1"}, {"-lightanglehl", "1"}},
      {"a sun light", "", light + "\"_sun\" \"1\"\n}\n", {"-q1"}, {"-lightanglehl", "1"}},
      {"a surface light", "", light + "\"_surface\" \"lava1\"\n}\n", {"-q1"}, {"-lightanglehl", "1"}},
      {"after other switches", "\"_sunlight\" \"200\"\n\"_dirt\" \"1\"\n", "", {"-q1"},
       {"-dirty", "-lightanglehl", "1"}},
      {"point lights only", "", light + "}\n", {"-q1"}, {}},
      {"a Lambert world", "\"_sunlight\" \"200\"\n\"_anglescale\" \"1\"\n", "", {"-q1"}, {}},
      {"Quake 2", "\"_sunlight\" \"200\"\n", "", {"-q2"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Args args{"-s", "a.map", "-d", "a.out", "-e", "q1.ent", "-lights"};
    args.insert(args.end(), c.game.begin(), c.game.end());
    const std::string map = "{\n\"classname\" \"worldspawn\"\n" + c.world_keys + brush + "}\n" + c.entities;
    const KorvexRun run = Golden(c.name).args(args).input("a.map", map).input("q1.ent", "light *\n").check();
    EXPECT_EQ(run.report.compile_switches, c.switches);
  }
}

}  // namespace
