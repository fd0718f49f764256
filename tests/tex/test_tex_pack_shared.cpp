// Packs from the shared game data and corpus: pixels read back against the
// palette, every corpus map that has its compiled BSP, a Quake 2 map of the
// shared .wal files, damaged WADs. Skipped where the data is absent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "pack_names.h"
#include "test_tex_pack_support.h"

namespace fs = std::filesystem;

namespace {

#define NEED_SHARED()                                              \
  const std::string shared = shared_dir();                         \
  if (shared.empty()) {                                            \
    GTEST_SKIP() << "no shared data next to the project";          \
  }                                                                \
  static_assert(true)

std::vector<uint8_t> file_bytes(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), {}};
}

// One face line per name, in a brush of a worldspawn.
std::string map_using(const std::vector<std::string>& names, bool quake2) {
  std::string text = "{\n\"classname\" \"worldspawn\"\n{\n";
  for (const std::string& name : names)
    text += "( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) " + name + (quake2 ? " 0 0 0 1 1 0 0 0\n" : " 0 0 0 1 1\n");
  return text + "}\n}\n";
}

// The first texture of a container the readers take.
texpack::SourceTexture first_texture(const std::string& path, bool bsp) {
  const std::vector<uint8_t> bytes = file_bytes(path);
  std::vector<texpack::SourceTexture> textures;
  std::string error;
  const texpack::SourceStatus status = bsp ? texpack::read_bsp(bytes, path, textures, error)
                                           : texpack::read_wad(bytes, path, textures, error);
  EXPECT_EQ(status, texpack::SourceStatus::OK) << error;
  EXPECT_FALSE(textures.empty());
  return textures.empty() ? texpack::SourceTexture{} : textures[0];
}

texpack::Palette palette_from(const std::string& path, bool pcx) {
  const std::vector<uint8_t> bytes = file_bytes(path);
  texpack::Palette palette;
  std::string error;
  const texpack::SourceStatus status = pcx ? texpack::read_colormap_pcx(bytes, path, palette, error)
                                           : texpack::read_palette_lmp(bytes, path, palette, error);
  EXPECT_EQ(status, texpack::SourceStatus::OK) << error;
  return palette;
}

// Packs the texture from `sources` and compares the PNG, pixel by pixel,
// with the palette lookup of its indices.
void expect_packed_like_palette(const texpack::SourceTexture& texture, const texpack::Palette& palette,
                                const std::vector<std::string>& sources, bool quake2) {
  TempFolder dir;
  dir.write("m.map", map_using({texture.name}, quake2));
  std::vector<std::string> words{dir.file("m.map")};
  words.insert(words.end(), sources.begin(), sources.end());
  const TexRun run = run_tex(words);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("missing: none"), std::string::npos) << run.out;
  const auto pack = read_zip(dir.file("m.pk3"));
  ASSERT_TRUE(pack.has_value());
  const std::string path =
      "textures/" + (quake2 ? texpack::quake2_pack_name(texture.name) : texpack::quake_pack_name(texture.name)) + ".png";
  ASSERT_EQ(pack->count(path), 1u) << path;
  const std::optional<Rgba> image = decode_png(pack->at(path));
  ASSERT_TRUE(image.has_value());
  ASSERT_EQ(image->width, texture.width);
  ASSERT_EQ(image->height, texture.height);
  size_t differences = 0;
  for (size_t i = 0; i < texture.indices.size(); ++i) {
    const uint8_t* rgb = &palette.rgb[texture.indices[i] * 3];
    const uint8_t* got = &image->pixels[i * 4];
    if (got[0] != rgb[0] || got[1] != rgb[1] || got[2] != rgb[2] || got[3] != 255) ++differences;
  }
  EXPECT_EQ(differences, 0u) << texture.name;
}

TEST(TexPackShared, Wad2PixelsThroughTheGamePalette) {
  NEED_SHARED();
  const std::string wad = shared + "/textures/q1/cr8_czg.wad";
  const std::string palette = shared + "/textures/q1/palette.lmp";
  expect_packed_like_palette(first_texture(wad, false), palette_from(palette, false), {wad, palette}, false);
}

TEST(TexPackShared, Wad3PixelsThroughTheirOwnPalette) {
  NEED_SHARED();
  const std::string wad = shared + "/textures/q1/embedded.wad";
  const texpack::SourceTexture texture = first_texture(wad, false);
  ASSERT_NE(texture.own_palette, nullptr);
  // No game palette given: a Half-Life texture needs none.
  expect_packed_like_palette(texture, *texture.own_palette, {wad}, false);
}

TEST(TexPackShared, WalPixelsThroughTheColormapPalette) {
  NEED_SHARED();
  const std::string q2 = shared + "/textures/q2";
  const std::vector<uint8_t> bytes = file_bytes(q2 + "/textures/rtz/b_rc_v16.wal");
  std::vector<texpack::SourceTexture> textures;
  std::string error;
  ASSERT_EQ(texpack::read_wal(bytes, "rtz/b_rc_v16", "b_rc_v16.wal", textures, error), texpack::SourceStatus::OK);
  expect_packed_like_palette(textures.at(0), palette_from(q2 + "/pics/colormap.pcx", true), {q2}, true);
}

TEST(TexPackShared, Quake2MapOfTheSharedWals) {
  NEED_SHARED();
  TempFolder dir;
  dir.write("q2.map", map_using({"rtz/b_pv_v1a1", "rtz/b_rc_v16w", "e1m1/f1/b_rc_v4", "b_pv_v1a1", "lavatest",
                                 "wsrv/pregame", "e1u1/clip", "e1u1/trigger"},
                                true));
  const TexRun run = run_tex({dir.file("q2.map"), shared + "/textures/q2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Quake 2 source map"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("missing: none"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("colormap.pcx"), std::string::npos) << run.out;
  const auto pack = read_zip(dir.file("q2.pk3"));
  ASSERT_TRUE(pack.has_value());
  EXPECT_EQ(pack->size(), 8u);  // six images, the script, the shader list
  const std::vector<uint8_t>& script = pack->at("scripts/q2.shader");
  const std::string text(script.begin(), script.end());
  EXPECT_NE(text.find("textures/q2/lavatest\n{"), std::string::npos) << text;
  for (const char* word : {"surfaceparm lava", "q3map_surfacelight 700", "tcMod turb"})
    EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(TexPackShared, DamagedWadsGivenByNameFailTheRun) {
  NEED_SHARED();
  const std::string palette = shared + "/textures/q1/palette.lmp";
  for (const char* name : {"bad_magic", "too_small", "directory_out_of_bounds", "entry_out_of_bounds",
                           "entry_count_too_large"}) {
    SCOPED_TRACE(name);
    TempFolder dir;
    dir.write("m.map", map_using({"wall"}, false));
    const std::string wad = shared + "/textures/q1/malformed/" + name + ".wad";
    const TexRun run = run_tex({dir.file("m.map"), wad, palette});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(wad), std::string::npos) << run.err;
    EXPECT_EQ(dir.tree(), std::vector<std::string>{"m.map"});
  }
}

struct CompiledMap {
  std::string bsp;
  std::string corpus_map;
  std::set<std::string> gaps;  // pack names the BSP does not embed
};

std::vector<std::string> split(const std::string& line, char at) {
  std::vector<std::string> parts;
  std::stringstream stream(line);
  std::string part;
  while (std::getline(stream, part, at)) parts.push_back(part);
  return parts;
}

std::string underscored(std::string path) {
  std::string out;
  for (char c : path) out += c == '/' ? std::string("__") : std::string(1, c);
  return out;
}

// The compiled maps MANIFEST.tsv lists, with the corpus file of each source
// ("compiled from [owner/repo] path") and the names it says are not embedded.
std::vector<CompiledMap> compiled_maps(const std::string& shared) {
  std::vector<CompiledMap> maps;
  std::ifstream manifest(shared + "/textures/MANIFEST.tsv");
  std::string line;
  while (std::getline(manifest, line)) {
    const std::vector<std::string> fields = split(line, '\t');
    if (fields.size() < 10 || !fields[0].starts_with("q1/bsp/")) continue;
    const std::string& notes = fields[9];
    const std::string from = "compiled from ";
    if (!notes.starts_with(from)) continue;
    const std::vector<std::string> words = split(notes.substr(from.size(), notes.find(';') - from.size()), ' ');
    const bool repo_named = words.size() >= 2 && !words[0].ends_with(".map");
    const std::string repo = repo_named ? words[0] : fields[1];
    const std::string path = repo_named ? words[1] : words[0];
    CompiledMap map{shared + "/textures/" + fields[0], shared + "/corpus/q1/" + underscored(repo + "/" + path), {}};
    const size_t gap = notes.find("not embedded: ");
    if (gap != std::string::npos) {
      const std::string list = notes.substr(gap + 14, notes.find(';', gap) - gap - 14);
      for (const std::string& name : split(list, ' '))
        if (!name.empty()) map.gaps.insert(texpack::quake_pack_name(name));
    }
    maps.push_back(map);
  }
  return maps;
}

// Pack names listed under "missing:" in a run's summary.
std::set<std::string> missing_names(const std::string& summary) {
  std::set<std::string> names;
  const size_t start = summary.find("\nmissing: ");
  if (start == std::string::npos) return {"(no missing line)"};
  std::stringstream stream(summary.substr(summary.find('\n', start + 1) + 1));
  std::string line;
  while (std::getline(stream, line) && line.starts_with("  ")) names.insert(line.substr(2, line.find(" (") - 2));
  return names;
}

TEST(TexPackShared, EveryCorpusMapWithItsBsp) {
  NEED_SHARED();
  const std::vector<CompiledMap> maps = compiled_maps(shared);
  ASSERT_GE(maps.size(), 20u);
  const bool have_unzip = std::system("command -v unzip >/dev/null 2>&1") == 0;
  for (const CompiledMap& map : maps) {
    SCOPED_TRACE(map.bsp);
    ASSERT_TRUE(fs::exists(map.corpus_map)) << map.corpus_map;
    TempFolder dir;
    const std::string pack = dir.file("pack.pk3");
    const TexRun run = run_tex({map.corpus_map, map.bsp, shared + "/textures/q1/palette.lmp", "-o", pack});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(missing_names(run.out), map.gaps) << run.out;
    if (!fs::exists(pack)) continue;  // a map whose every name is missing writes nothing
    EXPECT_TRUE(read_zip(pack).has_value());
    if (have_unzip) EXPECT_EQ(std::system(("unzip -tqq '" + pack + "' >/dev/null").c_str()), 0);
  }
}

}  // namespace
