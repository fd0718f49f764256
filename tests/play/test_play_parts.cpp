// The parts of korvex-play: names, arena files, the map's facts, the
// compiler's commands and logs.
#include <gtest/gtest.h>

#include <filesystem>

#include "arena.h"
#include "compiler.h"
#include "map_facts.h"
#include "map_list.h"
#include "summary.h"
#include "test_tex_pack_support.h"

namespace {

TEST(PlayArena, LongNameIsOnePlainLine) {
  const struct {
    std::string message;
    std::string expected;
  } cases[] = {
      {"The Slipgate Complex", "The Slipgate Complex"},
      {"", "e1m1"},
      {"   ", "e1m1"},
      {"Castle\\nof the Damned", "Castle of the Damned"},
      {"Snake \"driver\"; by me\\", "Snake 'driver', by me"},
      {"tab\there  and   there", "tab here and there"},
      // Quake's high-bit letters are its plain ones in another colour.
      {std::string("\xC7\xEF\xEC\xE4 ok"), "Gold ok"},
      // UTF-8 letters a Q3 font lacks are dropped, not garbled.
      {"Caf\xC3\xA9 Noir", "Caf Noir"},
      {std::string(70, 'x'), std::string(play::longest_long_name, 'x')},
  };
  for (const auto& c : cases) EXPECT_EQ(play::long_name(c.message, "e1m1"), c.expected) << c.message;
}

TEST(PlayArena, GameTypesFollowTheSpawnPointsAndFlags) {
  const struct {
    std::map<std::string, int> classes;
    std::vector<std::string> types;
  } cases[] = {
      {{}, {"ffa"}},
      {{{"info_player_deathmatch", 1}}, {"ffa"}},
      {{{"info_player_deathmatch", 2}, {"light", 40}}, {"ffa", "tourney", "team"}},
      {{{"info_player_deathmatch", 8}, {"team_CTF_redflag", 1}}, {"ffa", "tourney", "team"}},
      {{{"info_player_deathmatch", 8}, {"team_CTF_redflag", 1}, {"team_CTF_blueflag", 1}},
       {"ffa", "tourney", "team", "ctf"}},
  };
  for (const auto& c : cases) EXPECT_EQ(play::game_types(c.classes), c.types);
  EXPECT_EQ(play::arena_text("e1m1", "The Slipgate Complex", {"ffa", "tourney"}),
            "{\nmap \"e1m1\"\nlongname \"The Slipgate Complex\"\ntype \"ffa tourney\"\n}\n");
}

TEST(PlayMaps, NamesFitThePack) {
  const struct {
    std::string path;
    std::string name;
  } cases[] = {
      {"e1m1.map", "e1m1"},
      {"/q/Maps/DM4.MAP", "dm4"},
      {"my map (v2).map", "my_map__v2_"},
      {"noext", "noext"},
      {".map", "_map"},  // a dot file's name is all stem
      {"", "map"},
      {"jjelliott__progs_dump__mapsrc__pd_counter.map", "jjelliott__progs_dump__mapsrc_"},
  };
  for (const auto& c : cases) EXPECT_EQ(play::map_name_of(c.path), c.name) << c.path;
}

TEST(PlayMaps, ThePackIsNamedAfterTheMapOrTheFolder) {
  TempDir dir;
  dir.write("jam.v2/a.map", "");
  dir.write("jam.v2/sub/b.map", "");
  const std::string here = std::filesystem::current_path().string();
  const struct {
    std::string input;
    std::string pack;
  } cases[] = {
      {"e1m1.map", "e1m1.pk3"},
      {"q/E1M1.MAP", "q/E1M1.pk3"},
      {dir.file("jam.v2/a.map"), dir.file("jam.v2/a.pk3")},
      {dir.file("jam.v2"), dir.file("jam.v2.pk3")},
      {dir.file("jam.v2//"), dir.file("jam.v2.pk3")},
      {dir.file("jam.v2/sub/."), dir.file("jam.v2/sub.pk3")},
      {dir.file("jam.v2/sub/.."), dir.file("jam.v2.pk3")},
      {".", here + ".pk3"},
  };
  for (const auto& c : cases) EXPECT_EQ(play::default_pack_path(c.input), c.pack) << c.input;
}

TEST(PlayMaps, AFolderGivesItsMapsInOrderWithUniqueNames) {
  TempDir dir;
  for (const char* name : {"b.map", "A.MAP", "a.map", "notes.txt", "sub/c.map"}) dir.write(name, "{\n}\n");
  std::vector<play::MapEntry> maps;
  std::string error;
  ASSERT_EQ(play::list_maps(dir.file(""), maps, error), play::ListStatus::ok) << error;
  std::vector<std::string> names;
  for (const play::MapEntry& map : maps) names.push_back(play::map_name_of(map.source) + "=" + map.name);
  EXPECT_EQ(names, (std::vector<std::string>{"a=a", "a=a_2", "b=b"}));

  const struct {
    std::string input;
    play::ListStatus status;
    std::string error;
  } failures[] = {
      {dir.file("absent.map"), play::ListStatus::unreadable, "absent.map: No such file or directory"},
      {dir.file("sub/none"), play::ListStatus::unreadable, "sub/none: No such file or directory"},
  };
  dir.write("empty/readme.txt", "");
  EXPECT_EQ(play::list_maps(dir.file("empty"), maps, error), play::ListStatus::no_maps);
  EXPECT_NE(error.find("no .map file in the folder"), std::string::npos) << error;
  for (const auto& f : failures) {
    EXPECT_EQ(play::list_maps(f.input, maps, error), f.status);
    EXPECT_NE(error.find(f.error), std::string::npos) << error;
  }
}

TEST(PlayMapFacts, MessageClassesAndTheGameVote) {
  std::string quake2_world = "{\n\"classname\" \"worldspawn\"\n\"message\" \"Outer Base\"\n";
  for (int i = 0; i < 3; ++i) {
    quake2_world += "{\n";
    for (int f = 0; f < 6; ++f) quake2_world += "( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) e1u1/floor1_3 0 0 0 1 1 0 0 0\n";
    quake2_world += "}\n";
  }
  quake2_world +=
      "}\n{\n\"classname\" \"info_player_deathmatch\"\n}\n{\n\"classname\" \"info_player_deathmatch\"\n"
      "\"message\" \"not the world's\"\n}\n";
  const play::MapFacts facts = play::read_map_facts(quake2_world);
  EXPECT_EQ(facts.message, "Outer Base");
  EXPECT_EQ(facts.classes, (std::map<std::string, int>{{"worldspawn", 1}, {"info_player_deathmatch", 2}}));
  EXPECT_EQ(play::game_to_convert_as(facts, kmap::Game::unknown), kmap::Game::quake2);
  EXPECT_EQ(play::game_to_convert_as(facts, kmap::Game::quake), kmap::Game::quake);
  // Too few faces to tell: Quake, as korvex -q3 decides.
  const play::MapFacts small = play::read_map_facts(map_text({"e1u1/floor1_3 0 0 0 1 1 0 0 0"}));
  EXPECT_EQ(play::game_to_convert_as(small, kmap::Game::unknown), kmap::Game::quake);
}

TEST(PlayCompiler, StageCommands) {
  const play::CompilerPaths paths{"/usr/share/games/openarena", "baseoa", "/w/home"};
  const std::string common =
      "q3map2 -fs_basepath /usr/share/games/openarena -fs_basegame baseoa -fs_homepath /w/home "
      "-game quake3 ";
  const struct {
    play::Stage stage;
    std::vector<std::string> light;
    bool fast;
    std::string command;
  } cases[] = {
      {play::Stage::bsp, {}, true, common + "-bsp -meta maps/e1m1.map"},
      {play::Stage::vis, {}, false, common + "-vis maps/e1m1.bsp"},
      {play::Stage::vis, {}, true, common + "-vis -fast maps/e1m1.bsp"},
      {play::Stage::light, {"-bounce", "2"}, false, common + "-light -bounce 2 maps/e1m1.bsp"},
      {play::Stage::light, {}, true, common + "-light -fast maps/e1m1.bsp"},
      {play::Stage::levelshot,
       {},
       true,
       common + "-minimap -size 256 -keepaspect -o levelshots/e1m1.tga maps/e1m1.bsp"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& word : play::stage_command("q3map2", paths, c.stage, "e1m1", c.light, c.fast))
      line += (line.empty() ? "" : " ") + word;
    EXPECT_EQ(line, c.command);
  }
  // Without a game path the compiler keeps its own.
  EXPECT_EQ(play::stage_command("q", {"", "baseq3", "/h"}, play::Stage::vis, "m", {}, false),
            (std::vector<std::string>{"q", "-fs_basegame", "baseq3", "-fs_homepath", "/h", "-game", "quake3", "-vis",
                                      "maps/m.bsp"}));
}

TEST(PlayCompiler, LogsSayErrorsLeaksAndWarnings) {
  const struct {
    std::string log;
    std::string error;
    bool leaked;
    std::vector<std::string> warnings;
  } cases[] = {
      {"--- LoadMapFile ---\n   144 total world brushes\nWriting maps/e1m1.bsp\n", "", false, {}},
      {"************ ERROR ************\nMAX_MAP_DRAW_SURFS (65536) exceeded\n",
       "MAX_MAP_DRAW_SURFS (65536) exceeded",
       false,
       {}},
      {"--- FloodEntities ---\nEntity 1, Brush 0: Entity leaked\n******* leaked *******\n", "", true, {}},
      {"0...1...2...WARNING: Couldn't find image for shader textures/q1/gone\n"
       "WARNING: Couldn't find image for shader textures/q1/gone\r\n"
       "Entity 0, Brush 12: degenerate plane\n"
       "Entity 39 (func_train), Brush 1: origin brush detected\n"
       "Entity 0, Brush 3 leaked\n"
       "WARNING: Duplicate or Flipped triangle: (1 2 3)\n"
       "WARNING: Over 90 percent structural map detected.\n",
       "",
       false,
       {"Couldn't find image for shader textures/q1/gone (x2)", "Entity 0, Brush 12: degenerate plane"}},
  };
  for (const auto& c : cases) {
    const play::StageLog read = play::read_stage_log(c.log);
    EXPECT_EQ(read.error, c.error) << c.log;
    EXPECT_EQ(read.leaked, c.leaked) << c.log;
    EXPECT_EQ(read.leak_at, c.leaked ? "Entity 1, Brush 0" : "") << c.log;
    EXPECT_EQ(read.warnings, c.warnings) << c.log;
  }
}

TEST(PlayCompiler, ShellWordsReadBackAsGiven) {
  const struct {
    std::string word;
    std::string quoted;
  } cases[] = {
      {"/tmp/e1m1.pk3", "/tmp/e1m1.pk3"},
      {"maps/*.map", "'maps/*.map'"},
      {"my pack.pk3", "'my pack.pk3'"},
      {"it's", "'it'\\''s'"},
      {"", "''"},
      {"$HOME", "'$HOME'"},
  };
  for (const auto& c : cases) EXPECT_EQ(play::shell_word(c.word), c.quoted);
}

TEST(PlayCompiler, FoundOnPathOrNamed) {
  TempDir dir;
  dir.write("bin/q3map2", "#!/bin/sh\n");
  dir.write("text/q3map2", "not a program");
  std::filesystem::permissions(dir.file("bin/q3map2"), std::filesystem::perms::owner_all);
  std::string error;
  EXPECT_EQ(play::find_compiler("", dir.file("text") + ":" + dir.file("bin"), error), dir.file("bin/q3map2"));
  EXPECT_EQ(play::find_compiler("", dir.file("text"), error), "");
  EXPECT_EQ(error, "no q3map2 on PATH");
  EXPECT_EQ(play::find_compiler(dir.file("bin/q3map2"), "", error), dir.file("bin/q3map2"));
  EXPECT_EQ(play::find_compiler(dir.file("text/q3map2"), "", error), "");
  EXPECT_EQ(error, dir.file("text/q3map2") + ": is not a program that can be run");
  EXPECT_EQ(play::find_compiler(dir.file("none"), dir.file("bin"), error), "");
  EXPECT_EQ(error, dir.file("none") + ": no such file");
}

TEST(PlaySummary, HandCommandsQuotePathsSkipFailedMapsAndCarryTheLightSwitches) {
  play::PlayRecord record;
  record.paths = {"/usr/share/games/openarena", "baseoa", "/tmp/work/home"};
  play::MapRecord good;
  good.entry = {"e1m1.map", "e1m1"};
  good.conversion.report.compile_switches = {"-bounce", "2"};
  play::MapRecord failed;
  failed.entry = {"e1m2.map", "e1m2"};
  failed.failure = "conversion failed";
  record.maps = {failed, good};
  const std::string q3map2 =
      "q3map2 -fs_basepath /usr/share/games/openarena -fs_basegame baseoa -fs_homepath "
      "'/my packs/e1-build/home' -game quake3 ";
  EXPECT_EQ(play::hand_commands(record, "/my packs/e1.pk3", true),
            (std::vector<std::string>{
                "mkdir -p '/my packs/e1-build/home/baseoa' '/my packs/e1-build/levelshots' && cp '/my packs/e1.pk3' "
                "'/my packs/e1-build/home/baseoa/'",
                "cd '/my packs/e1-build' && unzip -o -q '/my packs/e1.pk3' 'maps/*.map'",
                q3map2 + "-bsp -meta maps/e1m1.map",
                q3map2 + "-vis -fast maps/e1m1.bsp",
                q3map2 + "-light -bounce 2 -fast maps/e1m1.bsp",
                q3map2 + "-minimap -size 256 -keepaspect -o levelshots/e1m1.tga maps/e1m1.bsp",
                "zip -q -r -D '/my packs/e1.pk3' maps scripts levelshots -x '*.map' '*.prt' '*.srf' '*.lin'",
            }));
}

}  // namespace
