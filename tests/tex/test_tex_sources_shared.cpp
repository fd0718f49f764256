// The readers and the library on the shared game data (skipped where it is
// absent): pixels compared with the file's bytes at offsets worked out by
// hand from the layouts, and with checksums of those bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "test_tex_sources_bytes.h"
#include "texture_sources.h"

namespace fs = std::filesystem;
using texbytes::Bytes;
using texpack::SourceStatus;
using texpack::SourceTexture;

namespace {

const fs::path kData = fs::path(KORVEX_SHARED_DIR) / "textures";
#if defined(__SANITIZE_ADDRESS__)
constexpr double kSecondsForTheTree = 10.0;  // instrumented build
#else
constexpr double kSecondsForTheTree = 1.0;
#endif

class SharedData : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::is_directory(kData)) GTEST_SKIP() << kData << " is absent";
  }
};

Bytes read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t fnv1a(const uint8_t* bytes, size_t size) {
  uint32_t hash = 0x811c9dc5u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x01000193u;
  return hash;
}

// Every texture of a WAD, map or .wal (named by its path under textures/).
std::vector<SourceTexture> read_source(const std::string& relative) {
  const Bytes bytes = read_file(kData / relative);
  std::vector<SourceTexture> out;
  std::string error;
  SourceStatus status = SourceStatus::ok;
  if (relative.ends_with(".bsp")) status = texpack::read_bsp(bytes, relative, out, error);
  if (relative.ends_with(".wad")) status = texpack::read_wad(bytes, relative, out, error);
  if (relative.ends_with(".wal"))
    status = texpack::read_wal(bytes, relative.substr(12, relative.size() - 16), relative, out, error);
  EXPECT_EQ(status, SourceStatus::ok) << error;
  return out;
}

const SourceTexture& named(const std::vector<SourceTexture>& textures, const std::string& name) {
  static const SourceTexture none;
  const auto found = std::find_if(textures.begin(), textures.end(), [&](const auto& t) { return t.name == name; });
  if (found != textures.end()) return *found;
  ADD_FAILURE() << "no texture " << name;
  return none;
}

TEST_F(SharedData, Level0IsTheBytesAtItsDocumentedOffset) {
  const struct {
    const char* file;
    const char* name;
    int width, height;
    size_t level0;  // lump + level-0 offset: WAD lump from the directory, map texture lump + record offset
    uint32_t checksum;
    bool own_palette;
  } cases[] = {
      {"q1/cr8_czg.wad", "cr8_czg_3", 64, 128, 10972 + 40, 0xfc554617, false},
      {"q1/embedded.wad", "EMBEDDED", 32, 32, 12 + 40, 0x5fc6c5dc, true},
      {"q1/embedded.wad", "SKIP", 32, 32, 2184 + 40, 0x01ec5ef2, true},
      {"q1/bsp/q1_cube.bsp", "orangestuff8", 64, 64, 1492 + 5492 + 40, 0x436b1e0d, false},
      {"q1/bsp/hl.bsp", "embedded", 32, 32, 5152 + 2188 + 40, 0x5fc6c5dc, true},
      {"q2/textures/lavatest.wal", "lavatest", 64, 64, 100, 0xbf140a9e, false},
      {"q2/textures/e1m1/f1/b_rc_v4.wal", "e1m1/f1/b_rc_v4", 128, 128, 100, 0xf67fce10, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.name);
    const Bytes file = read_file(kData / c.file);
    const auto textures = read_source(c.file);
    const SourceTexture& texture = named(textures, c.name);
    ASSERT_EQ(texture.width, c.width);
    ASSERT_EQ(texture.height, c.height);
    ASSERT_LE(c.level0 + texture.indices.size(), file.size());
    EXPECT_TRUE(std::equal(texture.indices.begin(), texture.indices.end(), file.begin() + long(c.level0)));
    EXPECT_EQ(fnv1a(texture.indices.data(), texture.indices.size()), c.checksum);
    EXPECT_EQ(texture.own_palette != nullptr, c.own_palette);
    EXPECT_EQ(texture.wal.has_value(), std::string(c.file).ends_with(".wal"));
  }
  const SourceTexture lava = read_source("q2/textures/lavatest.wal").at(0);
  EXPECT_EQ(lava.wal->flags, 9u);  // light, warp
  EXPECT_EQ(lava.wal->contents, 8u);
  EXPECT_EQ(lava.wal->value, 700u);
}

TEST_F(SharedData, HalfLifeTexturesCarryTheirOwnColours) {
  const auto embedded = read_source("q1/embedded.wad");
  const auto& a = named(embedded, "EMBEDDED").own_palette;
  const auto& b = named(embedded, "SKIP").own_palette;
  ASSERT_TRUE(a && b);
  EXPECT_NE(a->rgb, b->rgb);
  // EMBEDDED's colours follow its level 3 (1384 + 16 from lump 12) and a count of 256.
  const Bytes file = read_file(kData / "q1/embedded.wad");
  EXPECT_EQ(file[12 + 1400] | file[12 + 1401] << 8, 256);
  EXPECT_TRUE(std::equal(a->rgb.begin(), a->rgb.end(), file.begin() + 12 + 1402));
  EXPECT_EQ(fnv1a(b->rgb.data(), 768), 0xd29541edu);
  // The map built from them carries the same colours.
  const auto map = read_source("q1/bsp/hl.bsp");
  EXPECT_EQ(named(map, "embedded").own_palette->rgb, a->rgb);

  // hl.wad holds two cr8_czg.wad textures in WAD3 form, with the Quake palette as their own.
  const auto quake = read_source("q1/cr8_czg.wad");
  const Bytes palette = read_file(kData / "q1/palette.lmp");
  for (const SourceTexture& texture : read_source("q1/hl.wad")) {
    SCOPED_TRACE(texture.name);
    EXPECT_EQ(texture.indices, named(quake, texture.name).indices);
    EXPECT_TRUE(std::equal(palette.begin(), palette.end(), texture.own_palette->rgb.begin()));
  }
}

TEST_F(SharedData, PalettesOfBothGames) {
  texpack::Palette palette;
  std::string error;
  const Bytes pcx = read_file(kData / "q2/pics/colormap.pcx");
  ASSERT_EQ(texpack::read_colormap_pcx(pcx, "colormap.pcx", palette, error), SourceStatus::ok) << error;
  EXPECT_TRUE(std::equal(palette.rgb.begin(), palette.rgb.end(), pcx.end() - 768));
  EXPECT_EQ(fnv1a(palette.rgb.data(), 768), 0x5161d8c3u);
  ASSERT_EQ(texpack::read_palette_lmp(read_file(kData / "q1/palette.lmp"), "p", palette, error), SourceStatus::ok);
  EXPECT_EQ(fnv1a(palette.rgb.data(), 768), 0xc8117c1eu);
}

// Every WAD and map of the manifest gives the texture count it lists
// (maps: their -1 entries and textures left in a WAD not counted).
TEST_F(SharedData, EveryFileGivesTheManifestsTextureCount) {
  std::ifstream manifest(kData / "MANIFEST.tsv");
  int checked = 0;
  for (std::string line; std::getline(manifest, line);) {
    std::vector<std::string> column;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) column.push_back(field);
    if (column.size() < 8 || !(column[6].starts_with("WAD2") || column[6].starts_with("WAD3 (") || column[6].starts_with("BSP")))
      continue;
    EXPECT_EQ(read_source(column[0]).size(), std::stoul(column[7])) << column[0];
    ++checked;
  }
  EXPECT_EQ(checked, 29 + 12);
}

TEST_F(SharedData, MalformedWadsAreRejected) {
  const struct {
    const char* file;
    SourceStatus status;
    const char* message;
  } cases[] = {
      {"bad_magic.wad", SourceStatus::bad_magic, "not a WAD2 or WAD3 file"},
      {"directory_out_of_bounds.wad", SourceStatus::bad_offset, "directory (1 entries at 20) lies outside the file (44 bytes)"},
      {"entry_count_too_large.wad", SourceStatus::bad_size, "directory (1 entries at 12) is larger than the file (43 bytes)"},
      {"entry_out_of_bounds.wad", SourceStatus::bad_offset, "lump 'toofar' (10 bytes at 1000) lies outside the file (44 bytes)"},
      {"skips_empty_entry_name.wad", SourceStatus::bad_name, "entry 0 has an empty name"},
      {"too_small.wad", SourceStatus::truncated, "shorter than a WAD header (8 bytes)"},
      {"wad3_empty.wad", SourceStatus::bad_size, "directory holds no entries"},
  };
  for (const auto& c : cases) {
    std::vector<SourceTexture> out;
    std::string error;
    EXPECT_EQ(texpack::read_wad(read_file(kData / "q1/malformed" / c.file), c.file, out, error), c.status) << c.file;
    EXPECT_EQ(error, std::string(c.file) + ": " + c.message);
  }
}

// The whole tree, its 16 MB of compiled maps included, read well within a second.
TEST_F(SharedData, LibraryOverTheWholeTree) {
  texpack::TextureLibrary library;
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(library.add_path(kData.string(), error), SourceStatus::ok) << error;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, kSecondsForTheTree);
  int from_maps = 0;  // the 29 maps hold 750 textures
  for (const auto& [origin, count] : library.textures_per_origin) from_maps += origin.ends_with(".bsp") ? count : 0;
  EXPECT_EQ(from_maps, 750);
  // Sorted order: cr8_a_excerpt.wad before cr8_czg.wad, so its 64x128 cr8_czg_1 wins.
  const std::string excerpt = (kData / "q1/cr8_a_excerpt.wad").string(), czg = (kData / "q1/cr8_czg.wad").string();
  ASSERT_NE(library.find("CR8_CZG_1"), nullptr);
  EXPECT_EQ(library.find("CR8_CZG_1")->height, 128);
  const std::string noted = "cr8_czg_1: kept from " + excerpt + ", also in " + czg;
  EXPECT_EQ(std::count(library.duplicates.begin(), library.duplicates.end(), noted), 1);
  // Quake 2 textures by their path under textures/, whatever their internal name.
  for (const char* name : {"e1m1/f1/b_rc_v4", "wsrv/pregame", "rtz/b_rc_v16w", "b_pv_v1a1"})
    EXPECT_NE(library.find(name), nullptr) << name;
  EXPECT_EQ(library.find("b_rc_v4"), nullptr);
  EXPECT_EQ(library.textures_per_origin[(kData / "q2/textures").string()], 12);
  ASSERT_NE(library.palette(), nullptr);
  EXPECT_EQ(library.palette()->origin, (kData / "q1/palette.lmp").string());
  EXPECT_EQ(library.problems.size(), 7u);  // the malformed WADs
}

}  // namespace
