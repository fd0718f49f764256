// Packs from the shared game data and corpus: pixels read back against the
// palette, every corpus map that has its compiled BSP, a Quake 2 map of the
// shared .wal files, damaged WADs. Skipped where the data is absent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pack_names.h"
#include "test_tex_pack_support.h"

namespace fs = std::filesystem;
using texpack::SourceStatus;

namespace {

#define NEED_SHARED()                                     \
  const std::string shared = shared_dir();                \
  if (shared.empty()) {                                   \
    GTEST_SKIP() << "no shared data next to the project"; \
  }                                                       \
  static_assert(true)

std::vector<uint8_t> file_bytes(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), {}};
}

// Packs `texture` from `sources` and compares its PNG, pixel by pixel, with
// the palette lookup of its indices.
void expect_packed_like_palette(const texpack::SourceTexture& texture, const texpack::Palette& palette,
                                const std::vector<std::string>& sources, bool quake2) {
  TempDir dir;
  dir.write("m.map", map_text({texture.name + (quake2 ? " 0 0 0 1 1 0 0 0" : " 0 0 0 1 1")}));
  std::vector<std::string> words{dir.file("m.map")};
  words.insert(words.end(), sources.begin(), sources.end());
  const TexRun run = run_tex(words);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("missing: none"), std::string::npos) << run.out;
  const std::string path = "textures/" + texpack::pack_name_of(texture.name, quake2 ? texpack::Game::quake2 : texpack::Game::quake) + ".png";
  int width = 0, height = 0;
  const auto pixels = decode_png(read_zip(dir.file("m.pk3"))[path], width, height);
  ASSERT_TRUE(pixels.has_value()) << path;
  ASSERT_EQ(width, texture.width);
  ASSERT_EQ(height, texture.height);
  size_t differences = 0;
  for (size_t i = 0; i < texture.indices.size(); ++i)
    differences += !std::equal(&palette.rgb[texture.indices[i] * 3], &palette.rgb[texture.indices[i] * 3 + 3],
                               &(*pixels)[i * 4]) || (*pixels)[i * 4 + 3] != 255;
  EXPECT_EQ(differences, 0u) << texture.name;
}

TEST(TexPackShared, PixelsThroughTheirPalette) {
  NEED_SHARED();
  const std::string q1 = shared + "/textures/q1", q2 = shared + "/textures/q2";
  std::string error;
  std::vector<texpack::SourceTexture> wad2, wad3, wal;
  texpack::Palette quake, quake2;
  ASSERT_EQ(texpack::read_wad(file_bytes(q1 + "/cr8_czg.wad"), "cr8_czg.wad", wad2, error), SourceStatus::ok);
  ASSERT_EQ(texpack::read_wad(file_bytes(q1 + "/embedded.wad"), "embedded.wad", wad3, error), SourceStatus::ok);
  ASSERT_EQ(texpack::read_wal(file_bytes(q2 + "/textures/rtz/b_rc_v16.wal"), "rtz/b_rc_v16", "b_rc_v16.wal", wal,
                              error), SourceStatus::ok);
  ASSERT_EQ(texpack::read_palette_lmp(file_bytes(q1 + "/palette.lmp"), "palette.lmp", quake, error), SourceStatus::ok);
  ASSERT_EQ(texpack::read_colormap_pcx(file_bytes(q2 + "/pics/colormap.pcx"), "colormap.pcx", quake2, error),
            SourceStatus::ok);
  ASSERT_NE(wad3.at(0).own_palette, nullptr);
  expect_packed_like_palette(wad2.at(0), quake, {q1 + "/cr8_czg.wad", q1 + "/palette.lmp"}, false);
  expect_packed_like_palette(wad3.at(0), *wad3.at(0).own_palette, {q1 + "/embedded.wad"}, false);  // no game palette
  expect_packed_like_palette(wal.at(0), quake2, {q2}, true);
}

TEST(TexPackShared, Quake2MapOfTheSharedWals) {
  NEED_SHARED();
  TempDir dir;
  std::vector<std::string> faces;
  for (const char* name : {"rtz/b_pv_v1a1", "rtz/b_rc_v16w", "e1m1/f1/b_rc_v4", "b_pv_v1a1", "lavatest",
                           "wsrv/pregame", "e1u1/clip", "e1u1/trigger"})
    faces.push_back(std::string(name) + " 0 0 0 1 1 0 0 0");
  dir.write("q2.map", map_text(faces));
  const TexRun run = run_tex({dir.file("q2.map"), shared + "/textures/q2"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"Quake 2 source map", "missing: none", "colormap.pcx", "q2/e1u1/clip (1 face)"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  ZipMembers pack = read_zip(dir.file("q2.pk3"));
  EXPECT_EQ(pack.size(), 8u);  // six images, the script, the shader list
  const std::string script(pack["scripts/q2.shader"].begin(), pack["scripts/q2.shader"].end());
  for (const char* word : {"textures/q2/lavatest\n{", "surfaceparm lava", "q3map_surfacelight 700", "tcMod turb"})
    EXPECT_NE(script.find(word), std::string::npos) << word;
}

TEST(TexPackShared, DamagedWadsGivenByNameFailTheRun) {
  NEED_SHARED();
  for (const char* name : {"bad_magic", "too_small", "directory_out_of_bounds", "entry_out_of_bounds",
                           "entry_count_too_large"}) {
    TempDir dir;
    dir.write("m.map", map_text({"wall 0 0 0 1 1"}));
    const std::string wad = shared + "/textures/q1/malformed/" + name + ".wad";
    const TexRun run = run_tex({dir.file("m.map"), wad, shared + "/textures/q1/palette.lmp"});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_NE(run.err.find(wad), std::string::npos) << run.err;
    EXPECT_EQ(dir.tree(), std::vector<std::string>{"m.map"});
  }
}

// Every compiled map packed from its corpus source map misses exactly the
// names MANIFEST.tsv says it does not embed.
TEST(TexPackShared, EveryCorpusMapWithItsBsp) {
  NEED_SHARED();
  const bool have_unzip = std::system("command -v unzip >/dev/null 2>&1") == 0;
  int maps = 0;
  for (const CorpusBsp& bsp : corpus_bsps(shared)) {
    SCOPED_TRACE(bsp.bsp);
    TempDir dir;
    const TexRun run = run_tex({bsp.map, bsp.bsp, shared + "/textures/q1/palette.lmp", "-o", dir.file("pack.pk3")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(missing_names(run.out), bsp.not_embedded) << run.out;
    ++maps;
    if (!fs::exists(dir.file("pack.pk3"))) continue;  // every name missing: nothing to write
    EXPECT_FALSE(read_zip(dir.file("pack.pk3")).empty());
    if (have_unzip) {
      EXPECT_EQ(std::system(("unzip -tqq '" + dir.file("pack.pk3") + "' >/dev/null").c_str()), 0);
    }
  }
  EXPECT_GE(maps, 20);
}

}  // namespace
