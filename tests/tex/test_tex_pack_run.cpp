// Whole runs, in-process, on WAD files, palettes and maps the tests write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "test_tex_pack_support.h"

namespace {

uint8_t dull(int x, int y) { return static_cast<uint8_t>(16 + (x + y) % 64); }
uint8_t other(int x, int y) { return static_cast<uint8_t>(100 + (x * y) % 32); }
uint8_t holes(int x, int y) { return x == y ? 255 : dull(x, y); }

constexpr std::string_view source_map = R"({
"classname" "worldspawn"
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) WALL 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) *water0 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) {grate 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) clip 0 0 0 1 1
}
}
)";

// The same map as the converter writes it.
constexpr std::string_view converted_map = R"(// Quake map 'e1m1.map' converted to Q3A format
{
"classname" "worldspawn"
// brush 0
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) q1/wall 0 0 0 0.5 0.5 0 0 0
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) q1/#water0 0 0 0 0.5 0.5 0 0 0
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) q1/{grate 0 0 0 0.5 0.5 0 0 0
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) common/clip 0 0 0 0.5 0.5 0 0 0
}
}
)";

// A game folder: two WADs that both hold "wall", and the palette.
void write_game(const TempFolder& dir) {
  using texpack::SourceTexture;
  dir.write("game/first.wad", wad2_bytes({make_texture("wall", 16, 16, dull), make_texture("*water0", 16, 16, dull),
                                          make_texture("{grate", 16, 16, holes)}));
  dir.write("game/second.wad", wad2_bytes({make_texture("WALL", 16, 16, other)}));
  dir.write("game/gfx/palette.lmp", palette_bytes(ramp_palette()));
}

std::map<std::string, std::vector<uint8_t>> zip_of(const std::string& path) {
  auto members = read_zip(path);
  EXPECT_TRUE(members.has_value()) << path;
  return members.value_or(std::map<std::string, std::vector<uint8_t>>{});
}

TEST(TexPackRun, SourceAndConvertedMapGiveTheSamePack) {
  TempFolder dir;
  write_game(dir);
  dir.write("src/e1m1.map", source_map);
  dir.write("conv/e1m1.1q3", converted_map);
  const TexRun from_source = run_tex({dir.file("src/e1m1.map"), dir.file("game")});
  const TexRun from_converted = run_tex({dir.file("conv/e1m1.1q3"), dir.file("game")});
  ASSERT_EQ(from_source.status, 0) << from_source.err;
  ASSERT_EQ(from_converted.status, 0) << from_converted.err;
  const auto source_pack = zip_of(dir.file("src/e1m1.pk3"));
  const auto converted_pack = zip_of(dir.file("conv/e1m1.pk3"));
  std::vector<std::string> names;
  for (const auto& [name, bytes] : source_pack) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"scripts/e1m1.shader", "scripts/shaderlist.txt",
                                             "textures/q1/#water0.png", "textures/q1/wall.png",
                                             "textures/q1/{grate.png"}));
  for (const auto& [name, bytes] : source_pack)
    EXPECT_TRUE(converted_pack.count(name) == 1 && converted_pack.at(name) == bytes) << name;
  EXPECT_EQ(source_pack.size(), converted_pack.size());
  EXPECT_NE(from_source.out.find("missing: none"), std::string::npos) << from_source.out;
  EXPECT_NE(from_source.out.find("q1/clip (1 face)"), std::string::npos) << from_source.out;
  EXPECT_NE(from_source.out.find("palette: " + dir.file("game/gfx/palette.lmp")), std::string::npos)
      << from_source.out;
}

TEST(TexPackRun, WadKeyOrderComesFirst) {
  TempFolder dir;
  write_game(dir);
  std::string map(source_map);
  map.insert(map.find('\n', 2) + 1, R"("wad" "\quake\id1\SECOND.WAD;/q/first.wad")" "\n");
  dir.write("e1m1.map", map);
  const TexRun run = run_tex({dir.file("e1m1.map"), dir.file("game")});
  ASSERT_EQ(run.status, 0) << run.err;
  // SECOND.WAD is named first in the key, so its "WALL" wins over first.wad's.
  const auto pack = zip_of(dir.file("e1m1.pk3"));
  const std::optional<Rgba> wall = decode_png(pack.at("textures/q1/wall.png"));
  ASSERT_TRUE(wall.has_value());
  const texpack::Palette palette = ramp_palette();
  EXPECT_EQ(wall->pixels[0], palette.rgb[other(0, 0) * 3]);
  EXPECT_NE(run.out.find("duplicate names"), std::string::npos) << run.out;
}

TEST(TexPackRun, MissingNamesAreReportedOrFailUnderStrict) {
  TempFolder dir;
  write_game(dir);
  dir.write("m.map", R"({
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) wall 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) nowhere 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) NOWHERE 0 0 0 1 1
}
})");
  dir.write("m.pk3", "old pack");
  const TexRun strict = run_tex({"--strict", dir.file("m.map"), dir.file("game")});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("q1/nowhere (2 faces)"), std::string::npos) << strict.err;
  std::ifstream old(dir.file("m.pk3"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old pack");
  const TexRun lenient = run_tex({dir.file("m.map"), dir.file("game"), "-o", dir.file("out.pk3")});
  EXPECT_EQ(lenient.status, 0) << lenient.err;
  EXPECT_NE(lenient.out.find("missing: 1 names\n  q1/nowhere (2 faces)"), std::string::npos) << lenient.out;
  EXPECT_EQ(zip_of(dir.file("out.pk3")).size(), 1u);
}

TEST(TexPackRun, FailuresLeaveNothing) {
  TempFolder dir;
  write_game(dir);
  dir.write("m.map", "{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) wall 0 0 0 1 1\n}\n}\n");
  std::string damaged = wad2_bytes({make_texture("wall", 16, 16, dull)});
  damaged.resize(damaged.size() - 40);  // the directory runs past the end
  dir.write("damaged.wad", damaged);
  dir.write("full/readme.txt", "not a pack");
  const std::vector<std::string> before = dir.tree();
  const struct {
    const char* label;
    std::vector<std::string> words;
    std::string message;
  } cases[] = {
      {"damaged WAD given by name", {dir.file("m.map"), dir.file("damaged.wad"), dir.file("game")},
       dir.file("damaged.wad")},
      {"no palette", {dir.file("m.map"), dir.file("game/first.wad")},
       "no palette found: give the game folder or palette.lmp/colormap.pcx"},
      {"source that is not there", {dir.file("m.map"), dir.file("absent.wad")}, dir.file("absent.wad")},
      {"map that is not there", {dir.file("absent.map"), dir.file("game")}, "cannot read the map"},
      {"unknown option", {"-z", dir.file("m.map"), dir.file("game")}, "unknown option '-z'"},
      {"no source", {dir.file("m.map")}, "no source given"},
      {"output would replace the map", {dir.file("m.map"), dir.file("game"), "-o", dir.file("m.map")},
       "would replace the map"},
      {"folder output into a folder with files", {dir.file("m.map"), dir.file("game"), "-o", dir.file("full") + "/"},
       "not an empty folder"},
      {"output would replace a source", {dir.file("m.map"), dir.file("game"), "-o", dir.file("game") + "/"},
       "would replace a source"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const TexRun run = run_tex(c.words);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(dir.tree(), before);
  }
}

TEST(TexPackRun, DamagedMapNamesItsLine) {
  TempFolder dir;
  write_game(dir);
  dir.write("m.map", "{\n}\n}\n");
  const TexRun run = run_tex({dir.file("m.map"), dir.file("game")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(dir.file("m.map") + ": line 3:"), std::string::npos) << run.err;
}

TEST(TexPackRun, FolderOutput) {
  TempFolder dir;
  write_game(dir);
  dir.write("m.map", source_map);
  const TexRun run = run_tex({dir.file("m.map"), dir.file("game"), "-o", dir.file("out") + "/"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> out;
  for (const std::string& name : dir.tree())
    if (name.starts_with("out/")) out.push_back(name);
  EXPECT_EQ(out, (std::vector<std::string>{"out/scripts", "out/scripts/m.shader", "out/scripts/shaderlist.txt",
                                           "out/textures", "out/textures/q1", "out/textures/q1/#water0.png",
                                           "out/textures/q1/wall.png", "out/textures/q1/{grate.png"}));
}

TEST(TexPackRun, HelpVersionAndNothingToPack) {
  TempFolder dir;
  write_game(dir);
  dir.write("stock.1q3", "{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) common/clip 0 0 0 1 1 0 0 0\n}\n}\n");
  const TexRun help = run_tex({"--help"});
  const TexRun version = run_tex({"--version"});
  const TexRun stock = run_tex({dir.file("stock.1q3"), dir.file("game")});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"-o FILE.pk3", "-o DIR/", "-q2", "--strict", "--help", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("korvex-tex ")) << version.out;
  EXPECT_EQ(stock.status, 0);
  EXPECT_NE(stock.out.find("nothing written"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("stock.pk3")));
}

}  // namespace
