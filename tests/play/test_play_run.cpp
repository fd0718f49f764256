// Whole korvex-play runs, in-process, on maps and game files the tests
// write, with a stand-in compiler (a shell script) where a compiler is
// needed: the pack's members read back, the commands the compiler got, the
// summary, the report, and where a pack may go.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "play_run.h"
#include "test_tex_pack_support.h"

namespace {
namespace fs = std::filesystem;

struct PlayRunResult {
  int status = -1;
  std::string out;
  std::string err;
};

PlayRunResult run_play(const std::vector<std::string>& words) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = play::run_korvex_play(words, out, err, false);
  return {status, out.str(), err.str()};
}

std::string read_file(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), {});
}

std::string text_of(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<std::string> member_names(const ZipMembers& pack) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : pack) names.push_back(name);
  return names;
}

uint8_t dull(int x, int y) { return static_cast<uint8_t>(16 + (x + y) % 64); }

// A game folder with the textures the maps use, and its palette.
void write_game(const TempDir& dir) {
  dir.write("game/base.wad", wad2_bytes({make_texture("wall", 16, 16, dull), make_texture("floor", 16, 16, dull),
                                         make_texture("*water0", 16, 16, dull)}));
  const texpack::Palette palette = ramp_palette();
  dir.write("game/gfx/palette.lmp", std::string(palette.rgb.begin(), palette.rgb.end()));
}

// A closed box of Quake faces with a spawn point or two, the world named
// by `message`.
std::string box_map(const std::string& wall, const std::string& floor, const std::string& message, int spawns) {
  std::string text = "{\n\"classname\" \"worldspawn\"\n\"message\" \"" + message + "\"\n";
  const char* planes[] = {"( -64 0 0 ) ( -64 1 0 ) ( -64 0 1 )", "( 64 0 0 ) ( 64 0 1 ) ( 64 1 0 )",
                          "( 0 -64 0 ) ( 0 -64 1 ) ( 1 -64 0 )", "( 0 64 0 ) ( 1 64 0 ) ( 0 64 1 )",
                          "( 0 0 -64 ) ( 1 0 -64 ) ( 0 1 -64 )", "( 0 0 64 ) ( 0 1 64 ) ( 1 0 64 )"};
  text += "{\n";
  for (int i = 0; i < 6; ++i) text += std::string(planes[i]) + " " + (i == 4 ? floor : wall) + " 0 0 0 1 1\n";
  text += "}\n}\n";
  for (int i = 0; i < spawns; ++i)
    text += "{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"" + std::to_string(i * 16) + " 0 0\"\n}\n";
  return text;
}

// A stand-in compiler: it notes each command line in `calls`, checks that
// the pack's textures are where the compiler reads them, writes what each
// stage writes, and runs `extra` (shell text) last.
void write_compiler(const TempDir& dir, const std::string& extra = "") {
  dir.write("bin/q3map2",
            "#!/bin/sh\n"
            "echo \"$*\" >> '" +
                dir.file("calls") +
                "'\n"
                "home=; out=; prev=; stage=\n"
                "for a in \"$@\"; do\n"
                "  case \"$prev\" in -fs_homepath) home=$a;; -o) out=$a;; esac\n"
                "  case \"$a\" in -bsp|-vis|-light|-minimap) stage=$a;; esac\n"
                "  prev=$a; last=$a\n"
                "done\n"
                "case \"$stage\" in\n"
                "  -bsp) [ -f \"$home/baseoa/textures/q1/wall.png\" ] || { echo '************ ERROR ************';"
                " echo 'no textures'; exit 1; }\n"
                "        printf 'BSP of %s' \"$last\" > \"${last%.map}.bsp\" ;;\n"
                "  -light) mkdir -p \"${last%.bsp}\" && printf 'lightmap' > \"${last%.bsp}/lm_0000.tga\" ;;\n"
                "  -minimap) printf 'TGA' > \"$out\" ;;\n"
                "esac\n" +
                extra + "\nexit 0\n");
  fs::permissions(dir.file("bin/q3map2"), fs::perms::owner_all);
  fs::create_directories(dir.file("oa/baseoa"));
}

// The words of a compiled run: the stand-in compiler and a game path of the test's own.
std::vector<std::string> compiled(const TempDir& dir, std::vector<std::string> words) {
  words.insert(words.end(), {"--compiler", dir.file("bin/q3map2"), "--game-path", dir.file("oa")});
  return words;
}

nlohmann::json read_json(const std::string& path) {
  std::ifstream stream(path);
  return nlohmann::json::parse(stream, nullptr, false);
}

TEST(PlayRun, WithoutACompilerThePackHoldsTheMapAndTheCommandsArePrinted) {
  TempDir dir;
  write_game(dir);
  dir.write("E1M1.map", box_map("wall", "*water0", "The \\nBox", 2));
  const PlayRunResult run = run_play({"--no-compile", dir.file("E1M1.map"), dir.file("game")});
  ASSERT_EQ(run.status, 0) << run.err;
  const ZipMembers pack = read_zip(dir.file("E1M1.pk3"));
  EXPECT_EQ(member_names(pack),
            (std::vector<std::string>{"maps/e1m1.map", "scripts/e1m1.arena", "scripts/e1m1.shader",
                                      "scripts/shaderlist.txt", "textures/q1/#water0.png", "textures/q1/wall.png"}));
  EXPECT_EQ(text_of(pack.at("scripts/e1m1.arena")),
            "{\nmap \"e1m1\"\nlongname \"The Box\"\ntype \"ffa tourney team\"\n}\n");
  const std::string converted = text_of(pack.at("maps/e1m1.map"));
  EXPECT_NE(converted.find("q1/#water0"), std::string::npos) << "the keep table keeps the names";
  EXPECT_NE(converted.find("info_player_deathmatch"), std::string::npos);

  const std::string pack_path = fs::absolute(dir.file("E1M1.pk3")).string();
  const std::string build = pack_path.substr(0, pack_path.size() - 4) + "-build";
  const std::string tail = " -fs_basegame baseoa -fs_homepath " + build + "/home -game quake3 ";
  for (const std::string& line : std::vector<std::string>{
           "not compiled (--no-compile); with a Q3 compiler such as NetRadiant-custom's q3map2, by hand:\n",
           "  mkdir -p " + build + "/home/baseoa " + build + "/levelshots && cp " + pack_path + " " + build +
               "/home/baseoa/\n",
           "  cd " + build + " && unzip -o -q " + pack_path + " 'maps/*.map'\n", tail + "-bsp -meta maps/e1m1.map\n",
           tail + "-vis maps/e1m1.bsp\n", tail + "-light maps/e1m1.bsp\n",
           tail + "-minimap -size 256 -keepaspect -o levelshots/e1m1.tga maps/e1m1.bsp\n",
           "  zip -q -r -D " + pack_path + " maps scripts levelshots -x '*.map' '*.prt' '*.srf' '*.lin'\n",
           "e1m1: \"The Box\" (Quake map; ffa tourney team), not compiled\n",
           "textures: 2 packed, 0 missing, 0 tool textures left out, 0 left to the game's shaders\n"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
}

// korvex-play converts with the fog volume, and its pack holds the fog's shader.
TEST(PlayRun, QuakeFogTravelsAsAFogVolumeWithItsShader) {
  TempDir dir;
  write_game(dir);
  std::string map = box_map("wall", "floor", "Haze", 1);
  map.insert(map.find("\"message\""), "\"fog\" \"0.05 0.725 0.823 0.992\"\n");
  dir.write("haze.map", map);
  const PlayRunResult run = run_play({"--no-compile", dir.file("haze.map"), dir.file("game")});
  ASSERT_EQ(run.status, 0) << run.err;
  const ZipMembers pack = read_zip(dir.file("haze.pk3"));
  EXPECT_EQ(pack.count("textures/korvex/fog_b9d2fd_4316.png"), 1u);
  EXPECT_NE(text_of(pack.at("scripts/haze.shader")).find("textures/korvex/fog_b9d2fd_4316\n{"), std::string::npos);
  EXPECT_NE(text_of(pack.at("maps/haze.map")).find("// fog volume"), std::string::npos);
}

TEST(PlayRun, AFolderMakesOnePackWithEachTextureOnce) {
  TempDir dir;
  write_game(dir);
  dir.write("jam/dm1.map", box_map("wall", "floor", "First", 1));
  dir.write("jam/dm2.map", box_map("WALL", "nowhere", "Second", 4));
  dir.write("jam/readme.txt", "not a map");
  write_compiler(dir);
  const PlayRunResult run =
      run_play(compiled(dir, {dir.file("jam"), dir.file("game"), "--report", dir.file("r.json")}));
  ASSERT_EQ(run.status, 0) << run.err;
  const ZipMembers pack = read_zip(dir.file("jam.pk3"));
  EXPECT_EQ(member_names(pack), (std::vector<std::string>{
                                    "levelshots/dm1.tga", "levelshots/dm2.tga", "maps/dm1.bsp", "maps/dm1/lm_0000.tga",
                                    "maps/dm2.bsp", "maps/dm2/lm_0000.tga", "scripts/dm1.arena", "scripts/dm2.arena",
                                    "scripts/jam.shader", "scripts/shaderlist.txt", "textures/q1/floor.png",
                                    "textures/q1/wall.png"}));
  EXPECT_EQ(text_of(pack.at("maps/dm2.bsp")), "BSP of maps/dm2.map");
  EXPECT_NE(run.out.find("textures: 2 packed, 1 missing, "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  q1/nowhere (1 face)\n"), std::string::npos) << run.out;

  // Every stage ran for each map, in order, with the paths given.
  const std::vector<std::string> calls = split(read_file(dir.file("calls")), '\n');
  ASSERT_EQ(calls.size(), 8u) << read_file(dir.file("calls"));
  const std::string paths = "-fs_basepath " + dir.file("oa") + " -fs_basegame baseoa -fs_homepath ";
  EXPECT_TRUE(calls[0].starts_with(paths)) << calls[0];
  for (const auto& [index, tail] : std::vector<std::pair<size_t, std::string>>{
           {0, "-game quake3 -bsp -meta maps/dm1.map"},
           {1, "-vis maps/dm1.bsp"},
           {2, "-light maps/dm1.bsp"},
           {3, "-minimap -size 256 -keepaspect -o levelshots/dm1.tga maps/dm1.bsp"},
           {4, "-bsp -meta maps/dm2.map"}})
    EXPECT_TRUE(calls[index].ends_with(tail)) << calls[index];

  const nlohmann::json report = read_json(dir.file("r.json"));
  ASSERT_TRUE(report.is_object());
  EXPECT_EQ(report["status"], 0);
  EXPECT_EQ(report["pack"]["destination"], dir.file("jam.pk3"));
  EXPECT_EQ(report["pack"]["files"], 12);
  ASSERT_EQ(report["maps"].size(), 2u);
  const nlohmann::json& second = report["maps"][1];
  EXPECT_EQ(second["name"], "dm2");
  EXPECT_EQ(second["long_name"], "Second");
  EXPECT_EQ(second["types"], nlohmann::json({"ffa", "tourney", "team"}));
  EXPECT_EQ(second["conversion"]["program"], "korvex");
  EXPECT_EQ(second["conversion"]["counts"]["brushes"], 1);
  EXPECT_EQ(second["compile"].size(), 4u);
  EXPECT_EQ(second["compile"][2]["stage"], "light");
  EXPECT_EQ(report["textures"]["wanted"].size(), 3u);
  EXPECT_EQ(report["textures"]["missing"][0]["name"], "q1/nowhere");
}

TEST(PlayRun, CompilerTroubleFailsOnlyItsMapUnlessStrict) {
  const struct {
    std::string extra;  // the stand-in compiler's last words
    std::vector<std::string> options;
    int status;
    std::vector<std::string> maps_packed;  // "" : no pack
    std::string said;                      // in the summary, or on standard error when nothing was written
  } cases[] = {
      {"", {}, 0, {"maps/a.bsp", "maps/b.bsp"}, "a: \"A\" (Quake map; ffa), compiled, with a levelshot"},
      {"[ \"$stage\" = -vis ] && echo 'WARNING: portal trouble' && echo 'WARNING: portal trouble'",
       {},
       0,
       {"maps/a.bsp", "maps/b.bsp"},
       "  warning: vis: portal trouble (x2)\n"},
      {"[ \"$stage\" = -vis ] && echo 'WARNING: portal trouble'",
       {"--strict"},
       1,
       {},
       "2 maps failed (--strict); nothing written"},
      {"case \"$last\" in *b.bsp) [ \"$stage\" = -light ] && exit 3;; esac",
       {},
       1,
       {"maps/a.bsp"},
       "b: failed: q3map2 -light: exit status 3\n"},
      {"case \"$last\" in *a.map) echo '******* leaked *******';; esac",
       {},
       0,
       {"maps/a.bsp", "maps/b.bsp"},
       "  warning: bsp: the map leaks, its inside is open to the void: vis skipped"},
      {"[ \"$stage\" = -minimap ] && rm -f \"$out\" && exit 1",
       {},
       0,
       {"maps/a.bsp", "maps/b.bsp"},
       "compiled, no levelshot"},
      {"[ \"$stage\" = -bsp ] && rm -f \"${last%.map}.bsp\"", {}, 1, {}, "no map made it; nothing written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extra);
    TempDir dir;
    write_game(dir);
    dir.write("maps/a.map", box_map("wall", "floor", "A", 1));
    dir.write("maps/b.map", box_map("wall", "floor", "B", 1));
    write_compiler(dir, c.extra);
    std::vector<std::string> words = compiled(dir, {dir.file("maps"), dir.file("game"), "-o", dir.file("out.pk3")});
    words.insert(words.end(), c.options.begin(), c.options.end());
    const PlayRunResult run = run_play(words);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.out << run.err;
    std::vector<std::string> maps;
    for (const std::string& name : member_names(read_zip(dir.file("out.pk3"))))
      if (name.ends_with(".bsp")) maps.push_back(name);
    EXPECT_EQ(maps, c.maps_packed);
  }
}

TEST(PlayRun, FailuresSayWhyAndLeaveNothing) {
  TempDir dir;
  write_game(dir);
  const std::string map = dir.file("m.map");
  dir.write("m.map", box_map("wall", "floor", "M", 1));
  dir.write("bad.map", "{\n\"classname\" \"worldspawn\"\n{\n");
  dir.write("folder.pk3/keep", "");
  dir.write("damaged.wad", "WAD2 and nothing more");
  const std::vector<std::string> before = dir.tree();
  const struct {
    std::vector<std::string> words;
    int status;
    std::string message;
  } cases[] = {
      {{"-z", map}, 2, "korvex-play: unknown option '-z' (korvex-play --help lists them)\nTry 'korvex-play --help'.\n"},
      {{}, 2, "no map given"},
      {{dir.file("absent.map"), "--no-compile"}, 1, "absent.map: No such file or directory"},
      {{map, "-o", dir.file("folder.pk3"), "--no-compile"}, 1, "folder.pk3: is a folder; name a .pk3 file"},
      {{map, "-o", map, "--no-compile"}, 1, "m.map: the pack would replace a map"},
      {{map, dir.file("game/base.wad"), "-o", dir.file("game/base.wad"), "--no-compile"},
       1,
       "the pack would replace a source"},
      {{map, dir.file("damaged.wad"), "--no-compile"}, 1, "damaged.wad: "},
      {{map, dir.file("game/base.wad"), "--no-compile"}, 1, "no palette found"},
      {{map, "--no-compile", "--strict"}, 1, "2 textures missing (--strict), nothing written:\n  q1/wall (5 faces)\n"},
      {{map, "--compiler", dir.file("absent")}, 1, "absent: no such file (--compiler)"},
      {{map, "--no-compile", "--game-path", dir.file("none")}, 1, "none: no such folder (--game-path)"},
      {{dir.file("bad.map"), "--no-compile"}, 1, "bad: conversion failed: "},
      {{map, "--no-compile", "--report", map}, 1, "m.map: the report would replace a map"},
      {{map, "--no-compile", "--report", dir.file("m.pk3")}, 1, "the report and the pack name one file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const PlayRunResult run = run_play(c.words);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(dir.tree(), before);
  }
}

// The run works in a folder of its own, but a table in the working folder
// comes first, as it does for korvex.
TEST(PlayRun, TablesAreFoundFromTheWorkingFolder) {
  TempDir dir;
  write_game(dir);
  dir.write("m.map", box_map("wall", "floor", "M", 1));
  dir.write("q1.ent", "info_player_deathmatch team_CTF_redspawn\n");
  const fs::path before = fs::current_path();
  fs::current_path(dir.file(""));
  const PlayRunResult run = run_play({"m.map", "game", "--no-compile"});
  fs::current_path(before);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string converted = text_of(read_zip(dir.file("m.pk3")).at("maps/m.map"));
  EXPECT_NE(converted.find("team_CTF_redspawn"), std::string::npos) << converted;
}

TEST(PlayRun, ThePackGoesOnlyWhereAFileMay) {
  TempDir dir;
  write_game(dir);
  dir.write("m.map", box_map("wall", "floor", "M", 1));
  dir.write("packs/real.pk3", "old");
  symlink("packs/real.pk3", dir.file("link.pk3").c_str());
  mkfifo(dir.file("pipe").c_str(), 0600);
  std::vector<uint8_t> from_pipe;
  std::thread reader([&] {
    std::ifstream pipe(dir.file("pipe"), std::ios::binary);
    from_pipe.assign(std::istreambuf_iterator<char>(pipe), {});
  });
  const PlayRunResult to_pipe = run_play({dir.file("m.map"), dir.file("game"), "--no-compile", "-o", dir.file("pipe")});
  // A run that never opened the pipe must not leave the reader waiting.
  const int release = open(dir.file("pipe").c_str(), O_WRONLY | O_NONBLOCK);
  if (release >= 0) close(release);
  reader.join();
  EXPECT_EQ(to_pipe.status, 0) << to_pipe.err;
  struct stat st;
  EXPECT_TRUE(stat(dir.file("pipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) << "the pipe stays a pipe";
  dir.write("from_pipe.pk3", text_of(from_pipe));
  EXPECT_EQ(read_zip(dir.file("from_pipe.pk3")).count("maps/m.map"), 1u);
  EXPECT_EQ(to_pipe.out.find("by hand:"), std::string::npos) << "no commands for a pack that is no file";

  const PlayRunResult to_null = run_play({dir.file("m.map"), dir.file("game"), "--no-compile", "-o", "/dev/null"});
  EXPECT_EQ(to_null.status, 0) << to_null.err;
  EXPECT_NE(to_null.out.find("written: /dev/null ("), std::string::npos) << to_null.out;
  EXPECT_TRUE(stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));

  const PlayRunResult to_link =
      run_play({dir.file("m.map"), dir.file("game"), "--no-compile", "-o", dir.file("link.pk3")});
  EXPECT_EQ(to_link.status, 0) << to_link.err;
  EXPECT_TRUE(fs::is_symlink(dir.file("link.pk3")));
  EXPECT_EQ(read_zip(dir.file("packs/real.pk3")).count("maps/m.map"), 1u);
}

}  // namespace
