// The two-step road: maps converted by korvex, in-process, with the keep tables
// (tables/q1-keep.tex, q2-keep.tex), then packed. The pack must supply every
// q1/ and q2/ name the converted map uses, and the names the tables turn into
// Q3 tool shaders must be exactly the ones korvex-tex leaves out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "map_scan.h"
#include "pack_names.h"
#include "korvex_runner.h"
#include "test_tex_pack_support.h"

namespace fs = std::filesystem;

namespace {

const std::string tables = source_file("tables/");

// The texture names of a map file, as scanned for packing.
std::set<std::string> map_names(const std::string& path) {
  std::ifstream stream(path);
  const std::string text{std::istreambuf_iterator<char>(stream), {}};
  texpack::MapScan scan;
  std::string error;
  std::set<std::string> names;
  if (texpack::scan_map(text, false, false, scan, error) != texpack::ScanStatus::ok) {
    ADD_FAILURE() << path << ": " << error;
    return names;
  }
  for (const texpack::TextureUse& use : scan.textures) names.insert(use.name);
  return names;
}

std::set<std::string> with_prefix(const std::set<std::string>& names, std::string_view prefix) {
  std::set<std::string> kept;
  for (const std::string& name : names)
    if (name.starts_with(prefix)) kept.insert(name);
  return kept;
}

std::set<std::string> minus(const std::set<std::string>& a, const std::set<std::string>& b) {
  std::set<std::string> left;
  for (const std::string& name : a)
    if (!b.contains(name)) left.insert(name);
  return left;
}

std::string joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += name + " ";
  return text;
}

// Packs the converted map `map` from `sources`; expects exactly `gaps` of
// its kept names (`prefix`) without an image or shader, and a sound archive.
void expect_pack_supplies(const TempDir& dir, const std::string& map, const std::vector<std::string>& sources,
                          std::string_view prefix, const std::set<std::string>& gaps) {
  const std::set<std::string> kept = with_prefix(map_names(map), prefix);
  std::vector<std::string> words{map, "-o", dir.file("pack.pk3")};
  words.insert(words.end(), sources.begin(), sources.end());
  const TexRun run = run_tex(words);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("converted map"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("tool textures left out"), std::string::npos) << run.out;
  EXPECT_EQ(missing_names(run.out), gaps) << run.out;
  const ZipMembers pack = read_zip(dir.file("pack.pk3"));
  EXPECT_EQ(minus(kept, supplied_names(pack)), gaps) << "kept: " << joined(kept);
  if (!fs::exists(dir.file("pack.pk3"))) {
    EXPECT_EQ(gaps, kept);  // nothing found, nothing written
    return;
  }
  EXPECT_FALSE(pack.empty());
  if (std::system("command -v unzip >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("unzip -tqq '" + dir.file("pack.pk3") + "' >/dev/null").c_str()), 0);
  }
}

// Every corpus map with its compiled BSP, converted with the keep table and
// packed from the BSP: only the names the BSP does not embed are missing.
TEST(TexPackConvert, EveryCorpusMapConvertedThenPacked) {
  const std::string shared = shared_dir();
  if (shared.empty()) GTEST_SKIP() << "no shared data next to the project";
  int maps = 0;
  for (const CorpusBsp& bsp : corpus_bsps(shared)) {
    SCOPED_TRACE(bsp.map);
    TempDir dir;
    const KorvexRun converted = run_korvex_in(
        dir, {"-x", "-k", "-t", tables + "q1-keep.tex", "-e", tables + "q1.ent", "-s", bsp.map, "-d", "out.map"});
    ASSERT_EQ(converted.status, 0) << converted.out() << converted.errors;
    const std::set<std::string> names = map_names(dir.file("out.map"));
    for (const std::string& name : with_prefix(names, "q1/"))
      EXPECT_FALSE(texpack::is_tool_texture(name.substr(3), texpack::Game::quake)) << name;
    expect_pack_supplies(dir, dir.file("out.map"), {bsp.bsp, shared + "/textures/q1/palette.lmp"}, "q1/",
                         bsp.not_embedded);
    ++maps;
  }
  EXPECT_GE(maps, 20);
}

TEST(TexPackConvert, Quake2MapConvertedThenPacked) {
  const std::string shared = shared_dir();
  if (shared.empty()) GTEST_SKIP() << "no shared data next to the project";
  TempDir dir;
  // Seven kept names, tool faces by name (clip) and by flag (playerclip 0x10000).
  dir.write("q2.map", R"({
"classname" "worldspawn"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rtz/b_pv_v1a1 0 0 0 1 1 0 0 0
( 0 0 64 ) ( 64 0 64 ) ( 0 64 64 ) rtz/b_rc_v16w 0 0 0 1 1 0 0 0
( 0 0 0 ) ( 0 0 64 ) ( 0 64 0 ) e1m1/f1/b_rc_v4 0 0 0 1 1 0 0 0
( 64 0 0 ) ( 64 64 0 ) ( 64 0 64 ) b_pv_v1a1 0 0 0 1 1 0 0 0
( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) lavatest 0 0 0 1 1 8 9 700
( 0 64 0 ) ( 0 64 64 ) ( 64 64 0 ) wsrv/pregame 0 0 0 1 1 0 0 0
}
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/clip 0 0 0 1 1 0 0 0
( 0 0 64 ) ( 64 0 64 ) ( 0 64 64 ) e1m1/b_pv_v1a2 0 0 0 1 1 65536 0 0
( 0 0 0 ) ( 0 0 64 ) ( 0 64 0 ) rtz/b_rc_v28 0 0 0 1 1 0 0 0
( 64 0 0 ) ( 64 64 0 ) ( 64 0 64 ) rtz/b_rc_v28 0 0 0 1 1 0 0 0
( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) rtz/b_rc_v28 0 0 0 1 1 0 0 0
( 0 64 0 ) ( 0 64 64 ) ( 64 64 0 ) rtz/b_rc_v28 0 0 0 1 1 0 0 0
}
}
)");
  const KorvexRun converted = run_korvex_in(
      dir, {"-q2", "-x", "-t", tables + "q2-keep.tex", "-e", tables + "q2.ent", "-s", "q2.map", "-d", "out.map"});
  ASSERT_EQ(converted.status, 0) << converted.out() << converted.errors;
  const std::set<std::string> names = map_names(dir.file("out.map"));
  EXPECT_EQ(with_prefix(names, "q2/"),
            (std::set<std::string>{"q2/b_pv_v1a1", "q2/e1m1/f1/b_rc_v4", "q2/lavatest", "q2/rtz/b_pv_v1a1",
                                   "q2/rtz/b_rc_v16w", "q2/rtz/b_rc_v28", "q2/wsrv/pregame"}));
  EXPECT_TRUE(names.contains("common/clip")) << joined(names);
  expect_pack_supplies(dir, dir.file("out.map"), {shared + "/textures/q2"}, "q2/", {});
}

uint8_t dull(int x, int y) { return static_cast<uint8_t>(16 + (x + y) % 64); }

// Every name korvex-tex leaves out as a tool texture becomes a common/
// shader in the converted map (the editor's placeholder for no texture: the
// owner's fixed one), and every other name is kept and packed: "*waterskip"
// among them.
TEST(TexPackConvert, KeepTableToolsAreTheToolsLeftOut) {
  const std::vector<std::string> tools = {"clip", "trigger", "skip", "hint", "hintskip", "origin", "__TB_empty"};
  const std::vector<std::string> kept = {"*waterskip", "*lava1", "sky1", "{fence", "+0button", "+1button", "wall"};
  TempDir dir;
  std::vector<texpack::SourceTexture> textures;
  std::vector<std::string> faces;
  for (const std::string& name : kept) {
    textures.push_back(make_texture(name, 32, 16, dull));
    faces.push_back(name + " 0 0 0 1 1");
  }
  for (const std::string& name : tools) {
    ASSERT_TRUE(texpack::is_tool_texture(name, texpack::Game::quake)) << name;
    faces.push_back(name + " 0 0 0 1 1");
  }
  dir.write("game/kept.wad", wad2_bytes(textures));
  const texpack::Palette palette = ramp_palette();
  dir.write("game/palette.lmp", std::string(palette.rgb.begin(), palette.rgb.end()));
  dir.write("m.map", map_text(faces));
  const KorvexRun converted =
      run_korvex_in(dir, {"-x", "-t", tables + "q1-keep.tex", "-e", tables + "q1.ent", "-s", "m.map", "-d", "out.map"});
  ASSERT_EQ(converted.status, 0) << converted.out() << converted.errors;
  const std::set<std::string> names = map_names(dir.file("out.map"));
  EXPECT_EQ(with_prefix(names, "q1/"), (std::set<std::string>{"q1/#lava1", "q1/#waterskip", "q1/+0button",
                                                              "q1/+1button", "q1/sky1", "q1/wall", "q1/{fence"}));
  EXPECT_EQ(minus(names, with_prefix(names, "q1/")),
            (std::set<std::string>{"base_floor/concrete", "common/caulk", "common/clip", "common/hint", "common/origin",
                                   "common/skip", "common/trigger"}));
  expect_pack_supplies(dir, dir.file("out.map"), {dir.file("game")}, "q1/", {});
}

}  // namespace
