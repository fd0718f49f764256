// Whole runs, in-process, on WAD files, palettes and maps the tests write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "test_tex_pack_support.h"

namespace {

uint8_t dull(int x, int y) { return static_cast<uint8_t>(16 + (x + y) % 64); }
uint8_t other(int x, int y) { return static_cast<uint8_t>(100 + (x * y) % 32); }
uint8_t holes(int x, int y) { return x == y ? 255 : dull(x, y); }

const std::vector<std::string> source_faces = {"WALL 0 0 0 1 1", "*water0 0 0 0 1 1", "{grate 0 0 0 1 1",
                                               "clip 0 0 0 1 1"};
// The same faces as the converter writes them.
const std::vector<std::string> converted_faces = {"q1/wall 0 0 0 0.5 0.5 0 0 0", "q1/#water0 0 0 0 0.5 0.5 0 0 0",
                                                  "q1/{grate 0 0 0 0.5 0.5 0 0 0", "common/clip 0 0 0 0.5 0.5 0 0 0"};

// A game folder: two WADs that both hold "wall", and the palette.
void write_game(const TempDir& dir) {
  dir.write("game/first.wad", wad2_bytes({make_texture("wall", 16, 16, dull), make_texture("*water0", 16, 16, dull),
                                          make_texture("{grate", 16, 16, holes)}));
  dir.write("game/second.wad", wad2_bytes({make_texture("WALL", 16, 16, other)}));
  const texpack::Palette palette = ramp_palette();
  dir.write("game/gfx/palette.lmp", std::string(palette.rgb.begin(), palette.rgb.end()));
}

TEST(TexPackRun, SourceAndConvertedMapGiveTheSamePack) {
  TempDir dir;
  write_game(dir);
  dir.write("src/e1m1.map", map_text(source_faces));
  dir.write("conv/e1m1.1q3", map_text(converted_faces));
  const TexRun from_source = run_tex({dir.file("src/e1m1.map"), dir.file("game")});
  const TexRun from_converted = run_tex({dir.file("conv/e1m1.1q3"), dir.file("game")});
  ASSERT_EQ(from_source.status, 0) << from_source.err;
  ASSERT_EQ(from_converted.status, 0) << from_converted.err;
  const ZipMembers pack = read_zip(dir.file("src/e1m1.pk3"));
  std::vector<std::string> names;
  for (const auto& [name, bytes] : pack) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"scripts/e1m1.shader", "scripts/shaderlist.txt", "textures/q1/#water0.png",
                                             "textures/q1/wall.png", "textures/q1/{grate.png"}));
  EXPECT_TRUE(pack == read_zip(dir.file("conv/e1m1.pk3")));
  for (const char* line : {"missing: none", "q1/clip (1 face)", "palette: ", "/game/gfx/palette.lmp"})
    EXPECT_NE(from_source.out.find(line), std::string::npos) << line << "\n" << from_source.out;
}

TEST(TexPackRun, WadKeyOrderComesFirst) {
  TempDir dir;
  write_game(dir);
  dir.write("e1m1.map", map_text(source_faces, "\"wad\" \"\\quake\\id1\\SECOND.WAD;/q/first.wad\"\n"));
  const TexRun run = run_tex({dir.file("e1m1.map"), dir.file("game")});
  ASSERT_EQ(run.status, 0) << run.err;
  // SECOND.WAD comes first in the key, so its "WALL" wins over first.wad's.
  int width = 0, height = 0;
  const auto wall = decode_png(read_zip(dir.file("e1m1.pk3"))["textures/q1/wall.png"], width, height);
  ASSERT_TRUE(wall.has_value());
  EXPECT_EQ((*wall)[0], ramp_palette().rgb[other(0, 0) * 3]);
  EXPECT_NE(run.out.find("duplicate names"), std::string::npos) << run.out;
}

TEST(TexPackRun, MissingNamesAreReportedOrFailUnderStrict) {
  TempDir dir;
  write_game(dir);
  dir.write("m.map", map_text({"wall 0 0 0 1 1", "nowhere 0 0 0 1 1", "NOWHERE 0 0 0 1 1"}));
  dir.write("m.pk3", "old pack");
  const TexRun strict = run_tex({"--strict", dir.file("m.map"), dir.file("game")});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("q1/nowhere (2 faces)"), std::string::npos) << strict.err;
  std::ifstream old(dir.file("m.pk3"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "old pack");
  const TexRun lenient = run_tex({dir.file("m.map"), dir.file("game"), "-o", dir.file("out.pk3")});
  EXPECT_EQ(lenient.status, 0) << lenient.err;
  EXPECT_NE(lenient.out.find("missing: 1 names\n  q1/nowhere (2 faces)"), std::string::npos) << lenient.out;
  EXPECT_EQ(read_zip(dir.file("out.pk3")).size(), 3u);  // wall.png, its shader, the shader list
}

TEST(TexPackRun, FailuresLeaveNothing) {
  TempDir dir;
  write_game(dir);
  dir.write("m.map", map_text({"wall 0 0 0 1 1"}));
  dir.write("bad.map", "{\n}\n}\n");
  std::string damaged = wad2_bytes({make_texture("wall", 16, 16, dull)});
  dir.write("damaged.wad", damaged.substr(0, damaged.size() - 40));  // the directory runs past the end
  dir.write("full/readme.txt", "not a pack");
  const std::vector<std::string> before = dir.tree();
  const std::string map = dir.file("m.map"), game = dir.file("game");
  const struct {
    std::vector<std::string> words;
    std::string message;
  } cases[] = {
      {{map, dir.file("damaged.wad"), game}, dir.file("damaged.wad") + ": "},
      {{map, dir.file("game/first.wad")}, "no palette found: give the game folder or palette.lmp/colormap.pcx"},
      {{map, dir.file("absent.wad")}, dir.file("absent.wad")},
      {{dir.file("absent.map"), game}, "cannot read the map"},
      {{dir.file("bad.map"), game}, dir.file("bad.map") + ": line 3: '}' without a block to close"},
      {{"-z", map, game}, "unknown option '-z'"},
      {{map}, "no source given"},
      {{map, game, "-o"}, "option -o needs a file name"},
      {{map, game, "-o", map}, "would replace the map"},
      {{map, game, "-o", dir.file("full") + "/"}, "not an empty folder"},
      {{map, game, "-o", dir.file("full")}, "full: is a folder; name a .pk3 file, or end the name with /"},
      {{map, game, "-o", dir.file("full/readme.txt") + "/"}, "readme.txt: exists and is not a folder"},
      {{map, game, "-o", game + "/"}, "would replace a source"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const TexRun run = run_tex(c.words);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(dir.tree(), before);
  }
}

TEST(TexPackRun, FolderOutput) {
  TempDir dir;
  write_game(dir);
  dir.write("m.map", map_text(source_faces));
  const TexRun run = run_tex({dir.file("m.map"), dir.file("game"), "-o", dir.file("out") + "/"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(dir.tree("out"), (std::vector<std::string>{"scripts/", "scripts/m.shader", "scripts/shaderlist.txt",
                                                     "textures/", "textures/q1/", "textures/q1/#water0.png",
                                                     "textures/q1/wall.png", "textures/q1/{grate.png"}));
}

TEST(TexPackRun, HelpVersionAndNothingToPack) {
  TempDir dir;
  write_game(dir);
  dir.write("stock.1q3", map_text({"common/clip 0 0 0 1 1 0 0 0"}));
  const TexRun help = run_tex({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"-o FILE.pk3", "-o DIR/", "-q2", "--strict", "--help", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  const TexRun version = run_tex({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("korvex-tex ")) << version.out;
  const TexRun stock = run_tex({dir.file("stock.1q3"), dir.file("game")});
  EXPECT_EQ(stock.status, 0);
  EXPECT_NE(stock.out.find("nothing written"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("stock.pk3")));
}

// A converted map's fog volume gets its fog shader, even in a map whose
// textures are all the game's own.
TEST(TexPackRun, FogVolumesGetTheirShader) {
  TempDir dir;
  write_game(dir);
  const std::string fog_face = "korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0";
  dir.write("stock.1q3", map_text({"common/clip 0 0 0 1 1 0 0 0", fog_face, fog_face}));
  const TexRun run = run_tex({dir.file("stock.1q3"), dir.file("game"), "-o", dir.file("stock.pk3")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("shaders written: 1 (1 fog)"), std::string::npos) << run.out;
  const ZipMembers pack = read_zip(dir.file("stock.pk3"));
  ASSERT_EQ(pack.count("scripts/stock.shader"), 1u);
  ASSERT_EQ(pack.count("textures/korvex/fog_b9d2fd_4316.png"), 1u);
  int width = 0, height = 0;
  const auto pixels = decode_png(pack.at("textures/korvex/fog_b9d2fd_4316.png"), width, height);
  ASSERT_TRUE(pixels && !pixels->empty());
  EXPECT_EQ(std::vector<uint8_t>(pixels->begin(), pixels->begin() + 4), (std::vector<uint8_t>{185, 210, 253, 255}));
  EXPECT_EQ(std::string(pack.at("scripts/stock.shader").begin(), pack.at("scripts/stock.shader").end()),
            "textures/korvex/fog_b9d2fd_4316\n{\n\tqer_editorimage textures/korvex/fog_b9d2fd_4316.png\n\tsurfaceparm fog\n\tsurfaceparm nonsolid\n\tsurfaceparm trans\n"
            "\tsurfaceparm nolightmap\n\tfogparms ( 0.725 0.824 0.992 ) 4316\n}\n");
}

}  // namespace

namespace {

nlohmann::json read_json(const std::string& path) {
  std::ifstream stream(path);
  return nlohmann::json::parse(stream, nullptr, false);
}

std::vector<std::string> names_of(const nlohmann::json& list) {
  std::vector<std::string> names;
  for (const nlohmann::json& item : list)
    names.push_back(item.is_string() ? item.get<std::string>() : item["name"].get<std::string>() + " " +
                                                                     std::to_string(item["faces"].get<int>()));
  return names;
}

TEST(TexPackRun, ReportSaysWhatWasWantedPackedAndLeftOut) {
  TempDir dir;
  write_game(dir);
  dir.write("m.1q3", map_text({"q1/wall 0 0 0 0.5 0.5 0 0 0", "q1/wall 0 0 0 0.5 0.5 0 0 0",
                               "q1/nowhere 0 0 0 0.5 0.5 0 0 0", "common/clip 0 0 0 0.5 0.5 0 0 0",
                               "q1/clip 0 0 0 0.5 0.5 0 0 0", "base_wall/concrete 0 0 0 0.5 0.5 0 0 0"}));
  const struct {
    std::vector<std::string> extra;
    int status;
    std::string failure;
    std::string destination;
  } cases[] = {
      {{}, 0, "", dir.file("m.pk3")},
      {{"--strict"}, 1, "1 textures missing (--strict), nothing written:\n  q1/nowhere (1 face)\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    std::vector<std::string> words = {dir.file("m.1q3"), dir.file("game"), "--report", dir.file("r.json")};
    words.insert(words.end(), c.extra.begin(), c.extra.end());
    const TexRun run = run_tex(words);
    EXPECT_EQ(run.status, c.status) << run.err;
    const nlohmann::json report = read_json(dir.file("r.json"));
    ASSERT_TRUE(report.is_object());
    EXPECT_EQ(report["program"], "korvex-tex");
    EXPECT_EQ(report["kind"], "converted map");
    EXPECT_EQ(report["status"], c.status);
    EXPECT_EQ(report["failure"], c.failure);
    EXPECT_EQ(report["destination"], c.destination);
    EXPECT_EQ(report["files"], c.status == 0 ? 3 : 0);  // wall.png, its shader for Quake's light range, the list
    const nlohmann::json& textures = report["textures"];
    EXPECT_EQ(names_of(textures["wanted"]), (std::vector<std::string>{"q1/wall 2", "q1/nowhere 1"}));
    EXPECT_EQ(names_of(textures["packed"]), (std::vector<std::string>{"q1/wall"}));
    EXPECT_EQ(names_of(textures["missing"]), (std::vector<std::string>{"q1/nowhere 1"}));
    EXPECT_EQ(names_of(textures["tools"]), (std::vector<std::string>{"q1/clip 1"}));
    EXPECT_EQ(names_of(textures["stock"]), (std::vector<std::string>{"common/clip", "base_wall/concrete"}));
    EXPECT_EQ(names_of(textures["sources"]), (std::vector<std::string>{dir.file("game")}));
    EXPECT_EQ(textures["duplicates"].size(), 1u);  // "wall" is in both WADs
    EXPECT_TRUE(report["seconds"].is_number());
  }
}

TEST(TexPackRun, ReportOptionErrors) {
  TempDir dir;
  write_game(dir);
  dir.write("m.map", map_text({"wall 0 0 0 1 1"}));
  const std::string map = dir.file("m.map"), game = dir.file("game");
  const struct {
    std::vector<std::string> words;
    std::string message;
  } cases[] = {
      {{map, game, "--report"}, "option --report needs a file name (FILE.json)"},
      {{map, game, "--report", "a.json", "--report", "b.json"}, "option --report given twice"},
      {{map, game, "--report", map}, "the report would replace the map"},
      {{map, game, "--report", dir.file("x.pk3"), "-o", dir.file("x.pk3")}, "the report and the pack name one file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const TexRun run = run_tex(c.words);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  std::ifstream kept(map);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), map_text({"wall 0 0 0 1 1"}));
}

}  // namespace
