// The readers against the shared game data: pixels compared with the bytes
// at the documented offsets, read here without the readers, and with
// checksums taken once from those bytes.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "test_tex_sources_bytes.h"
#include "texture_sources.h"

namespace fs = std::filesystem;
using texbytes::Bytes;
using texbytes::get_u32;
using texpack::SourceStatus;
using texpack::SourceTexture;

namespace {

const fs::path kTextures = fs::path(KORVEX_SHARED_DIR) / "textures";

#define REQUIRE_SHARED_DATA()                                                      \
  do {                                                                             \
    if (!fs::is_directory(kTextures)) GTEST_SKIP() << kTextures << " is absent"; \
  } while (0)

Bytes read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t fnv1a(const std::vector<uint8_t>& bytes) {
  uint32_t hash = 0x811c9dc5u;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x01000193u;
  return hash;
}

std::vector<SourceTexture> read_source(const char* relative) {
  const fs::path path = kTextures / relative;
  const Bytes bytes = read_file(path);
  std::vector<SourceTexture> out;
  std::string error;
  const bool bsp = path.extension() == ".bsp";
  const SourceStatus status = bsp ? texpack::read_bsp(bytes, relative, out, error)
                                  : texpack::read_wad(bytes, relative, out, error);
  EXPECT_EQ(status, SourceStatus::OK) << error;
  return out;
}

const SourceTexture& named(const std::vector<SourceTexture>& textures, const std::string& name) {
  for (const SourceTexture& texture : textures)
    if (texture.name == name) return texture;
  static const SourceTexture none;
  ADD_FAILURE() << "no texture " << name;
  return none;
}

// Mip level 0 of the WAD lump called `name`, found through the directory.
Bytes wad_level0(const Bytes& file, const std::string& name) {
  const uint32_t count = get_u32(file, 4), directory = get_u32(file, 8);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = directory + 32 * i;
    if (std::string(reinterpret_cast<const char*>(&file[entry + 16])) != name) continue;
    const uint32_t lump = get_u32(file, entry);
    const uint32_t pixels = lump + get_u32(file, lump + 24);
    return Bytes(file.begin() + pixels, file.begin() + pixels + get_u32(file, lump + 16) * get_u32(file, lump + 20));
  }
  return {};
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string rgb_hex(const texpack::Palette& palette, int index) {
  char text[7];
  snprintf(text, sizeof text, "%02x%02x%02x", palette.rgb[3 * index], palette.rgb[3 * index + 1],
           palette.rgb[3 * index + 2]);
  return text;
}

TEST(SharedData, Wad2PixelsAreTheLumpBytes) {
  REQUIRE_SHARED_DATA();
  const auto textures = read_source("q1/cr8_czg.wad");
  ASSERT_EQ(textures.size(), 21u);
  const SourceTexture& tall = named(textures, "cr8_czg_3");
  ASSERT_EQ(tall.width, 64);
  ASSERT_EQ(tall.height, 128);
  EXPECT_EQ(tall.indices, wad_level0(read_file(kTextures / "q1/cr8_czg.wad"), "cr8_czg_3"));
  EXPECT_EQ(fnv1a(tall.indices), 0xfc554617u);
  // Row-major, top row first: (x, y) at y * width + x.
  EXPECT_EQ(tall.indices[0], 49);
  EXPECT_EQ(tall.indices[63], 112);
  EXPECT_EQ(tall.indices[64 * 127], 49);
  EXPECT_EQ(tall.indices[20 * 64 + 10], 113);
  EXPECT_EQ(tall.own_palette, nullptr);
  EXPECT_FALSE(tall.wal.has_value());
  EXPECT_EQ(tall.origin, "q1/cr8_czg.wad");
}

TEST(SharedData, Wad3TexturesCarryTheirOwnDifferentPalettes) {
  REQUIRE_SHARED_DATA();
  const auto textures = read_source("q1/embedded.wad");
  ASSERT_EQ(textures.size(), 2u);
  const SourceTexture& embedded = named(textures, "EMBEDDED");
  const SourceTexture& skip = named(textures, "SKIP");
  ASSERT_NE(embedded.own_palette, nullptr);
  ASSERT_NE(skip.own_palette, nullptr);
  EXPECT_NE(embedded.own_palette->rgb, skip.own_palette->rgb);
  EXPECT_EQ(rgb_hex(*embedded.own_palette, 0), "1d26fc");
  EXPECT_EQ(rgb_hex(*embedded.own_palette, 255), "1d981d");
  EXPECT_EQ(rgb_hex(*skip.own_palette, 0), "ff00ff");
  EXPECT_EQ(rgb_hex(*skip.own_palette, 255), "000000");
  // The colours sit behind level 3: lump 12, level 3 at 1384 of 4x4 bytes, then the count.
  const Bytes file = read_file(kTextures / "q1/embedded.wad");
  const size_t colours = 12 + 1384 + 16;
  EXPECT_EQ(file[colours] | file[colours + 1] << 8, 256);
  EXPECT_TRUE(std::equal(embedded.own_palette->rgb.begin(), embedded.own_palette->rgb.end(),
                         file.begin() + colours + 2));
  EXPECT_EQ(fnv1a(embedded.indices), 0x5fc6c5dcu);
  EXPECT_EQ(fnv1a(skip.indices), 0x01ec5ef2u);
  EXPECT_EQ(embedded.indices, wad_level0(file, "EMBEDDED"));
}

TEST(SharedData, Wad3AndWad2OfTheSameTexturesAgree) {
  REQUIRE_SHARED_DATA();
  const auto half_life = read_source("q1/hl.wad");
  const auto quake = read_source("q1/cr8_czg.wad");
  const Bytes quake_palette = read_file(kTextures / "q1/palette.lmp");
  ASSERT_EQ(half_life.size(), 2u);
  for (const SourceTexture& texture : half_life) {
    SCOPED_TRACE(texture.name);
    const SourceTexture& same = named(quake, texture.name);
    EXPECT_EQ(texture.width, same.width);
    EXPECT_EQ(texture.height, same.height);
    EXPECT_EQ(texture.indices, same.indices);
    ASSERT_NE(texture.own_palette, nullptr);
    EXPECT_TRUE(std::equal(quake_palette.begin(), quake_palette.end(), texture.own_palette->rgb.begin()));
  }
}

TEST(SharedData, Bsp29TexturesAndTheCompilersMarks) {
  REQUIRE_SHARED_DATA();
  const auto cube = read_source("q1/bsp/q1_cube.bsp");
  ASSERT_EQ(cube.size(), 2u);
  EXPECT_EQ(fnv1a(named(cube, "orangestuff8").indices), 0x436b1e0du);
  EXPECT_EQ(fnv1a(named(cube, "skip").indices), 0x246ec4cbu);
  const auto start = read_source("q1/bsp/start.bsp");
  const SourceTexture& trim = named(start, "met14trim");
  ASSERT_EQ(trim.width, 128);
  ASSERT_EQ(trim.height, 64);
  EXPECT_EQ(fnv1a(trim.indices), 0xb874e094u);
  EXPECT_EQ(trim.indices[127], 19);
  EXPECT_EQ(trim.indices.back(), 20);
  EXPECT_EQ(trim.own_palette, nullptr);
  // 16 entries, one of them -1: 15 textures.
  EXPECT_EQ(read_source("q1/bsp/prefab_fog.bsp").size(), 15u);
}

TEST(SharedData, Bsp30MatchesItsWad3AndSkipsTheExternalTexture) {
  REQUIRE_SHARED_DATA();
  const auto map = read_source("q1/bsp/hl.bsp");
  const auto wad = read_source("q1/embedded.wad");
  ASSERT_EQ(map.size(), 2u);  // EXTERNAL has mip offsets 0
  for (const char* name : {"embedded", "skip"}) {
    SCOPED_TRACE(name);
    const SourceTexture& from_map = named(map, name);
    const SourceTexture& from_wad = named(wad, upper(name));
    EXPECT_EQ(from_map.indices, from_wad.indices);
    ASSERT_NE(from_map.own_palette, nullptr);
    EXPECT_EQ(from_map.own_palette->rgb, from_wad.own_palette->rgb);
  }
}

// Every WAD and compiled map of the manifest gives the number of textures
// the manifest counts.
TEST(SharedData, EveryFileGivesTheManifestsTextureCount) {
  REQUIRE_SHARED_DATA();
  std::ifstream manifest(kTextures / "MANIFEST.tsv");
  std::string line;
  std::getline(manifest, line);  // column names
  int checked = 0;
  while (std::getline(manifest, line)) {
    std::vector<std::string> columns;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) columns.push_back(field);
    ASSERT_GE(columns.size(), 8u) << line;
    const std::string& file = columns[0];
    const std::string& format = columns[6];
    if (format.rfind("WAD2", 0) != 0 && format.rfind("WAD3 (", 0) != 0 && format.rfind("BSP", 0) != 0) continue;
    SCOPED_TRACE(file);
    EXPECT_EQ(read_source(file.c_str()).size(), std::stoul(columns[7]));
    ++checked;
  }
  EXPECT_EQ(checked, 29 + 12);
}

TEST(SharedData, WalPixelsAndSurfaceFields) {
  REQUIRE_SHARED_DATA();
  const Bytes file = read_file(kTextures / "q2/textures/lavatest.wal");
  std::vector<SourceTexture> out;
  std::string error;
  ASSERT_EQ(texpack::read_wal(file, "lavatest", "lavatest.wal", out, error), SourceStatus::OK) << error;
  ASSERT_EQ(out.size(), 1u);
  const SourceTexture& lava = out[0];
  EXPECT_EQ(lava.name, "lavatest");
  ASSERT_EQ(lava.width, 64);
  ASSERT_EQ(lava.height, 64);
  EXPECT_EQ(lava.indices, Bytes(file.begin() + get_u32(file, 40), file.begin() + get_u32(file, 40) + 64 * 64));
  EXPECT_EQ(fnv1a(lava.indices), 0xbf140a9eu);
  EXPECT_EQ(lava.indices[63], 235);
  ASSERT_TRUE(lava.wal.has_value());
  EXPECT_EQ(lava.wal->flags, 9u);  // light, warp
  EXPECT_EQ(lava.wal->contents, 8u);
  EXPECT_EQ(lava.wal->value, 700u);
  EXPECT_EQ(lava.wal->anim_next, "");
}

TEST(SharedData, ColormapPaletteIsTheLast768Bytes) {
  REQUIRE_SHARED_DATA();
  const Bytes file = read_file(kTextures / "q2/pics/colormap.pcx");
  texpack::Palette palette;
  std::string error;
  ASSERT_EQ(texpack::read_colormap_pcx(file, "colormap.pcx", palette, error), SourceStatus::OK) << error;
  EXPECT_EQ(file[file.size() - 769], 0x0C);
  EXPECT_TRUE(std::equal(palette.rgb.begin(), palette.rgb.end(), file.end() - 768));
  EXPECT_EQ(fnv1a(Bytes(palette.rgb.begin(), palette.rgb.end())), 0x5161d8c3u);
  EXPECT_EQ(palette.origin, "colormap.pcx");
  const Bytes lmp = read_file(kTextures / "q1/palette.lmp");
  ASSERT_EQ(texpack::read_palette_lmp(lmp, "palette.lmp", palette, error), SourceStatus::OK) << error;
  EXPECT_EQ(fnv1a(Bytes(palette.rgb.begin(), palette.rgb.end())), 0xc8117c1eu);
}

TEST(SharedData, MalformedWadsAreRejected) {
  REQUIRE_SHARED_DATA();
  const struct {
    const char* file;
    SourceStatus status;
    const char* message;
  } cases[] = {
      {"bad_magic.wad", SourceStatus::BAD_MAGIC, "not a WAD2 or WAD3 file"},
      {"directory_out_of_bounds.wad", SourceStatus::BAD_OFFSET, "directory (1 entries at 20) lies outside the file (44 bytes)"},
      {"entry_count_too_large.wad", SourceStatus::BAD_SIZE, "directory (1 entries at 12) is larger than the file (43 bytes)"},
      {"entry_out_of_bounds.wad", SourceStatus::BAD_OFFSET, "lump 'toofar' (10 bytes at 1000) lies outside the file (44 bytes)"},
      {"skips_empty_entry_name.wad", SourceStatus::BAD_NAME, "entry 0 has an empty name"},
      {"too_small.wad", SourceStatus::TRUNCATED, "shorter than a WAD header (8 bytes)"},
      {"wad3_empty.wad", SourceStatus::BAD_SIZE, "directory holds no entries"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<SourceTexture> out;
    std::string error;
    EXPECT_EQ(texpack::read_wad(read_file(kTextures / "q1/malformed" / c.file), c.file, out, error), c.status);
    EXPECT_EQ(error, std::string(c.file) + ": " + c.message);
    EXPECT_TRUE(out.empty());
  }
}

TEST(SharedData, LibraryOverTheWholeTree) {
  REQUIRE_SHARED_DATA();
  texpack::TextureLibrary library;
  std::string error;
  ASSERT_EQ(library.add_path(kTextures.string(), error), SourceStatus::OK) << error;
  // Sorted order: cr8_a_excerpt.wad comes before cr8_czg.wad and wins cr8_czg_1.
  const SourceTexture* first = library.find("CR8_CZG_1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->height, 128);
  EXPECT_EQ(first->origin, (kTextures / "q1/cr8_a_excerpt.wad").string());
  const std::string noted = "cr8_czg_1: kept from " + (kTextures / "q1/cr8_a_excerpt.wad").string() +
                            ", also in " + (kTextures / "q1/cr8_czg.wad").string();
  EXPECT_NE(std::find(library.duplicates.begin(), library.duplicates.end(), noted), library.duplicates.end());
  // Quake 2 textures by their path under textures/, whatever their internal name.
  for (const char* name : {"e1m1/f1/b_rc_v4", "wsrv/pregame", "rtz/b_rc_v16w", "b_pv_v1a1", "lavatest"})
    EXPECT_NE(library.find(name), nullptr) << name;
  EXPECT_EQ(library.find("b_rc_v4"), nullptr);
  ASSERT_NE(library.palette(), nullptr);
  EXPECT_EQ(library.palette()->origin, (kTextures / "q1/palette.lmp").string());
  EXPECT_EQ(library.textures_per_origin[(kTextures / "q2/textures").string()], 12);
  // The seven damaged WADs, each named with what is wrong.
  EXPECT_EQ(library.problems.size(), 7u);
  for (const std::string& problem : library.problems) EXPECT_NE(problem.find("/q1/malformed/"), std::string::npos);
}

// The 29 compiled maps (16 MB) hold 750 textures under 414 names.
TEST(SharedData, CompiledMapSetIsReadQuickly) {
  REQUIRE_SHARED_DATA();
  const auto start = std::chrono::steady_clock::now();
  texpack::TextureLibrary library;
  std::string error;
  ASSERT_EQ(library.add_path((kTextures / "q1/bsp").string(), error), SourceStatus::OK) << error;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  int read = 0;
  for (const auto& [origin, count] : library.textures_per_origin) read += count;
  EXPECT_EQ(library.textures_per_origin.size(), 29u);
  EXPECT_EQ(read, 750);
  EXPECT_EQ(read - static_cast<int>(library.duplicates.size()), 414);
  EXPECT_TRUE(library.problems.empty());
  RecordProperty("seconds", std::to_string(seconds));
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(seconds, 10.0);
#else
  EXPECT_LT(seconds, 1.0);
#endif
}

}  // namespace
