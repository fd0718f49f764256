// The readers on files built here: exact decoding of known patterns, and
// every kind of damage rejected with its status and a message naming the
// file, without touching what was already read.
#include <gtest/gtest.h>

#include <functional>

#include "test_tex_sources_bytes.h"
#include "texture_sources.h"

using namespace texbytes;
using texpack::SourceStatus;
using texpack::SourceTexture;

namespace {

enum class Reader { WAD, BSP, WAL, LMP, PCX, PAK };

// Runs a reader; gives its status, and in `count` what it added to a list
// that held one texture before.
SourceStatus run(Reader reader, const Bytes& bytes, std::string& error, size_t& count) {
  std::vector<SourceTexture> out(1);
  std::vector<texpack::PakEntry> entries(1);
  texpack::Palette palette;
  SourceStatus status = SourceStatus::OK;
  switch (reader) {
    case Reader::WAD: status = texpack::read_wad(bytes, "t.wad", out, error); break;
    case Reader::BSP: status = texpack::read_bsp(bytes, "t.bsp", out, error); break;
    case Reader::WAL: status = texpack::read_wal(bytes, "e1u1/t", "t.wal", out, error); break;
    case Reader::LMP: status = texpack::read_palette_lmp(bytes, "t.lmp", palette, error); break;
    case Reader::PCX: status = texpack::read_colormap_pcx(bytes, "t.pcx", palette, error); break;
    case Reader::PAK: status = texpack::read_pak_directory(bytes, "t.pak", entries, error); break;
  }
  count = reader == Reader::PAK ? entries.size() - 1 : out.size() - 1;
  return status;
}

const char* origin_of(Reader reader) {
  constexpr const char* origins[] = {"t.wad", "t.bsp", "t.wal", "t.lmp", "t.pcx", "t.pak"};
  return origins[static_cast<int>(reader)];
}

void expect_pattern(const SourceTexture& texture, int width, int height) {
  ASSERT_EQ(texture.width, width);
  ASSERT_EQ(texture.height, height);
  ASSERT_EQ(texture.indices.size(), size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(texture.indices[size_t(y) * width + x], pattern(x, y)) << x << "," << y;
}

// Layout landmarks of the builders' files.
constexpr size_t kLump = 12;                 // a WAD's first lump
constexpr size_t kWidth = 16, kMips = 24;    // in a miptex
size_t directory_of(const Bytes& wad) { return get_u32(wad, kWadDirectoryAt); }
constexpr size_t kBspLump = 4 + 15 * 8;      // the builder puts the texture lump right after the header
constexpr size_t kWalMips = 40, kWalNext = 56;

Bytes one_texture_wad(const char* magic = "WAD2") {
  return wad(magic, {{"floor", 0x44, miptex("floor", 32, 16, magic[3] == '3' ? 256 : 0)}});
}
Bytes changed(Bytes bytes, const std::function<void(Bytes&)>& change) {
  change(bytes);
  return bytes;
}

TEST(Decoding, SyntheticTexturesOfEveryKindComeOutExactly) {
  std::vector<SourceTexture> out;
  std::string error;
  ASSERT_EQ(texpack::read_wad(one_texture_wad(), "a.wad", out, error), SourceStatus::OK) << error;
  ASSERT_EQ(texpack::read_wad(one_texture_wad("WAD3"), "b.wad", out, error), SourceStatus::OK) << error;
  ASSERT_EQ(texpack::read_bsp(bsp(29, {miptex("*lava1", 16, 48)}, {-1}), "c.bsp", out, error), SourceStatus::OK);
  ASSERT_EQ(texpack::read_wal(wal(48, 32, 9, 8, 700, "e1u1/next"), "e1u1/lava", "d.wal", out, error),
            SourceStatus::OK);
  ASSERT_EQ(out.size(), 4u);
  expect_pattern(out[0], 32, 16);
  EXPECT_EQ(out[0].own_palette, nullptr);
  expect_pattern(out[1], 32, 16);
  ASSERT_NE(out[1].own_palette, nullptr);
  EXPECT_EQ(out[1].own_palette->rgb[3 * 10], 10);
  EXPECT_EQ(out[1].own_palette->rgb[3 * 10 + 1], 245);
  EXPECT_EQ(out[1].own_palette->rgb[3 * 255 + 2], 7);
  EXPECT_EQ(out[1].own_palette->origin, "b.wad:floor");
  expect_pattern(out[2], 16, 48);
  EXPECT_EQ(out[2].name, "*lava1");
  expect_pattern(out[3], 48, 32);
  EXPECT_EQ(out[3].name, "e1u1/lava");
  ASSERT_TRUE(out[3].wal.has_value());
  EXPECT_EQ(out[3].wal->anim_next, "e1u1/next");
  EXPECT_EQ(out[3].wal->value, 700u);
}

TEST(Decoding, MapVariantsAndSkippedEntries) {
  Bytes external = miptex("sky4", 16, 16);
  for (size_t i = 0; i < 4; ++i) set_u32(external, kMips + 4 * i, 0);
  for (const uint32_t version : {29u, 30u, 0x32505342u /* "BSP2" */, 0x42535032u /* "2PSB" */}) {
    SCOPED_TRACE(version);
    std::vector<SourceTexture> out;
    std::string error;
    const int colours = version == 30 ? 256 : 0;
    ASSERT_EQ(texpack::read_bsp(bsp(version, {miptex("a", 16, 16, colours), external, miptex("b", 32, 32, colours)},
                                    {-1, -1}),
                                "m.bsp", out, error),
              SourceStatus::OK)
        << error;
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].name, "b");
    EXPECT_EQ(out[1].own_palette != nullptr, version == 30);
  }
}

TEST(Decoding, LumpsOtherThanMiptexAreNotRead) {
  Bytes picture(8, 0xFF);  // a qpic: no miptex header, nonsense if read as one
  std::vector<SourceTexture> out;
  std::string error;
  ASSERT_EQ(texpack::read_wad(wad("WAD2", {{"conback", 0x42, picture}, {"palette", 0x40, Bytes(768, 1)},
                                           {"floor", 0x44, miptex("floor", 16, 16)}}),
                              "gfx.wad", out, error),
            SourceStatus::OK)
      << error;
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].name, "floor");
}

struct Damage {
  const char* what;
  Reader reader;
  Bytes bytes;
  SourceStatus status;
  const char* message;  // found in the error after "<origin>: "
};

std::vector<Damage> damages() {
  const Bytes good = one_texture_wad();
  const Bytes good3 = one_texture_wad("WAD3");
  const size_t entry = directory_of(good);
  const size_t colours = kLump + 40 + 32 * 16 + 16 * 8 + 8 * 4 + 4 * 2;  // behind level 3 of 32x16
  const Bytes map = bsp(29, {miptex("wall", 16, 16)});
  const Bytes q2 = wal(16, 16, 0, 0, 0, "");
  const Bytes image = pcx(true);
  const Bytes archive = pak({{"gfx/palette.lmp", Bytes(768, 3)}});
  Bytes long_name = wad("WAD2", {{"", 0x44, miptex("x", 16, 16)}});
  std::fill_n(long_name.begin() + long(directory_of(long_name) + 16), 16, 'a');
  return {
      // WAD
      {"wad cut inside its header", Reader::WAD, Bytes(good.begin(), good.begin() + 10), SourceStatus::TRUNCATED, "shorter than a WAD header"},
      {"wad of another kind", Reader::WAD, changed(good, [](Bytes& b) { b[3] = '9'; }), SourceStatus::BAD_MAGIC, "not a WAD2"},
      {"wad cut inside its directory", Reader::WAD, Bytes(good.begin(), good.end() - 1), SourceStatus::BAD_OFFSET, "lies outside the file"},
      {"negative entry count", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, 4, 0xFFFFFFFF); }), SourceStatus::BAD_SIZE, "directory of -1 entries"},
      {"entry count beyond any file", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, 4, 0x7FFFFFFF); }), SourceStatus::BAD_SIZE, "is larger than the file"},
      {"directory far outside", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, 8, 0x7FFFFFF0); }), SourceStatus::BAD_OFFSET, "(1 entries at 2147483632) lies outside the file"},
      {"directory offset negative", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, 8, 0xFFFFFFE0); }), SourceStatus::BAD_OFFSET, "lies outside the file"},
      {"lump outside the file", Reader::WAD, changed(good, [&](Bytes& b) { set_u32(b, entry, 0x7FFFFFFF); }), SourceStatus::BAD_OFFSET, "lump 'floor' ("},
      {"lump size negative", Reader::WAD, changed(good, [&](Bytes& b) { set_u32(b, entry + 4, 0x80000000); }), SourceStatus::BAD_OFFSET, "lies outside the file"},
      {"lump shorter than a miptex header", Reader::WAD, changed(good, [&](Bytes& b) { set_u32(b, entry + 4, 39); }), SourceStatus::TRUNCATED, "texture 'floor' has 39 bytes"},
      {"compressed lump", Reader::WAD, changed(good, [&](Bytes& b) { b[entry + 13] = 1; }), SourceStatus::BAD_MAGIC, "is compressed"},
      {"empty entry name", Reader::WAD, changed(good, [&](Bytes& b) { b[entry + 16] = 0; }), SourceStatus::BAD_NAME, "entry 0 has an empty name"},
      {"unterminated entry name", Reader::WAD, long_name, SourceStatus::BAD_NAME, "entry 0 has an unterminated name"},
      {"zero width", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, kLump + kWidth, 0); }), SourceStatus::BAD_SIZE, "has no pixels (0x16)"},
      {"huge width", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, kLump + kWidth, 8192); }), SourceStatus::BAD_SIZE, "too large (8192x16"},
      {"size that overflows 32 bits", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, kLump + kWidth, 0xFFFFFFFF); set_u32(b, kLump + kWidth + 4, 0xFFFFFFFF); }), SourceStatus::BAD_SIZE, "too large"},
      {"level 0 outside the lump", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, kLump + kMips, 600); }), SourceStatus::BAD_OFFSET, "mip level 0 (512 bytes at 600) lies outside its lump"},
      {"level 3 offset wraps", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, kLump + kMips + 12, 0xFFFFFFFF); }), SourceStatus::BAD_OFFSET, "mip level 3"},
      {"level inside the header", Reader::WAD, changed(good, [](Bytes& b) { set_u32(b, kLump + kMips + 4, 8); }), SourceStatus::BAD_OFFSET, "mip level 1 (128 bytes at 8)"},
      {"wad3 without colours", Reader::WAD, changed(good, [](Bytes& b) { b[3] = '3'; }), SourceStatus::NO_PALETTE, "ends before its colour count"},
      {"wad3 of 0 colours", Reader::WAD, changed(good3, [&](Bytes& b) { b[colours] = 0; b[colours + 1] = 0; }), SourceStatus::NO_PALETTE, "0 colours"},
      {"wad3 of 300 colours", Reader::WAD, changed(good3, [&](Bytes& b) { b[colours] = 44; b[colours + 1] = 1; }), SourceStatus::BAD_SIZE, "300 colours"},
      {"wad3 colours cut", Reader::WAD, changed(good3, [&](Bytes& b) { set_u32(b, directory_of(b) + 4, uint32_t(colours - kLump + 100)); }), SourceStatus::TRUNCATED, "256 colours run past"},
      // Compiled maps
      {"map cut inside its header", Reader::BSP, Bytes(map.begin(), map.begin() + 100), SourceStatus::TRUNCATED, "shorter than a map header"},
      {"map of another version", Reader::BSP, changed(map, [](Bytes& b) { b[0] = 28; }), SourceStatus::BAD_MAGIC, "(version 28)"},
      {"texture lump outside", Reader::BSP, changed(map, [](Bytes& b) { set_u32(b, kBspTextureLumpAt, 0x7FFFFFFF); }), SourceStatus::BAD_OFFSET, "texture lump ("},
      {"texture lump longer than the file", Reader::BSP, Bytes(map.begin(), map.end() - 1), SourceStatus::BAD_OFFSET, "lies outside the file"},
      {"texture count beyond the lump", Reader::BSP, changed(map, [](Bytes& b) { set_u32(b, kBspLump, 0x40000000); }), SourceStatus::BAD_SIZE, "cannot hold 1073741824 texture offsets"},
      {"texture offset outside the lump", Reader::BSP, changed(map, [](Bytes& b) { set_u32(b, kBspLump + 4, 100000); }), SourceStatus::BAD_OFFSET, "texture 0 (at 100000)"},
      {"texture offset -2", Reader::BSP, changed(map, [](Bytes& b) { set_u32(b, kBspLump + 4, 0xFFFFFFFE); }), SourceStatus::BAD_OFFSET, "texture 0 (at -2)"},
      {"texture record cut by the lump's end", Reader::BSP, changed(map, [&](Bytes& b) { set_u32(b, kBspLump + 4, uint32_t(map.size() - kBspLump - 20)); }), SourceStatus::TRUNCATED, "cut short"},
      {"map texture's level outside", Reader::BSP, changed(map, [](Bytes& b) { set_u32(b, kBspLump + 8 + kMips, 5000); }), SourceStatus::BAD_OFFSET, "texture 'wall': mip level 0"},
      {"map texture without a name", Reader::BSP, changed(map, [](Bytes& b) { b[kBspLump + 8] = 0; }), SourceStatus::BAD_NAME, "texture 0 has an empty name"},
      {"map texture of zero height", Reader::BSP, changed(map, [](Bytes& b) { set_u32(b, kBspLump + 8 + kWidth + 4, 0); }), SourceStatus::BAD_SIZE, "no pixels"},
      // Quake 2 textures
      {"wal cut inside its header", Reader::WAL, Bytes(q2.begin(), q2.begin() + 99), SourceStatus::TRUNCATED, "shorter than a .wal header"},
      {"wal cut inside its pixels", Reader::WAL, Bytes(q2.begin(), q2.end() - 1), SourceStatus::BAD_OFFSET, "mip level 3"},
      {"wal of zero height", Reader::WAL, changed(q2, [](Bytes& b) { set_u32(b, 36, 0); }), SourceStatus::BAD_SIZE, "texture 'e1u1/t' has no pixels"},
      {"wal level inside its header", Reader::WAL, changed(q2, [](Bytes& b) { set_u32(b, kWalMips, 50); }), SourceStatus::BAD_OFFSET, "mip level 0 (256 bytes at 50)"},
      {"wal next frame unterminated", Reader::WAL, changed(q2, [](Bytes& b) { std::fill_n(b.begin() + kWalNext, 32, 'n'); }), SourceStatus::BAD_NAME, "unterminated next-frame name"},
      // Palettes
      {"palette short", Reader::LMP, Bytes(767, 0), SourceStatus::TRUNCATED, "this file has 767"},
      {"palette long", Reader::LMP, Bytes(769, 0), SourceStatus::BAD_SIZE, "this file has 769"},
      {"pcx without a palette", Reader::PCX, pcx(false), SourceStatus::NO_PALETTE, "too short to end in a 256-colour palette"},
      {"pcx with another mark", Reader::PCX, changed(pcx(true), [](Bytes& b) { b[b.size() - 769] = 0x0D; }), SourceStatus::NO_PALETTE, "no 256-colour palette"},
      {"pcx of 24 bits", Reader::PCX, changed(pcx(true), [](Bytes& b) { b[65] = 3; }), SourceStatus::NO_PALETTE, "3 plane(s) of 8 bits"},
      {"pcx cut inside its header", Reader::PCX, Bytes(image.begin(), image.begin() + 64), SourceStatus::TRUNCATED, "shorter than a PCX header"},
      {"not a pcx", Reader::PCX, Bytes(2000, 'P'), SourceStatus::BAD_MAGIC, "not a PCX image"},
      {"empty pcx", Reader::PCX, Bytes(), SourceStatus::BAD_MAGIC, "not a PCX image"},
      // Archives
      {"pak cut inside its header", Reader::PAK, Bytes(archive.begin(), archive.begin() + 11), SourceStatus::TRUNCATED, "shorter than a PAK header"},
      {"pak of another kind", Reader::PAK, changed(archive, [](Bytes& b) { b[0] = 'p'; }), SourceStatus::BAD_MAGIC, "not a PAK archive"},
      {"pak directory outside the file", Reader::PAK, changed(archive, [](Bytes& b) { set_u32(b, 4, 0x7FFFFFFF); }), SourceStatus::BAD_OFFSET, "directory (64 bytes at 2147483647) lies outside the file"},
      {"pak directory of partial entries", Reader::PAK, changed(archive, [](Bytes& b) { set_u32(b, 8, 63); }), SourceStatus::BAD_SIZE, "no whole number"},
      {"pak directory larger than the file", Reader::PAK, changed(archive, [](Bytes& b) { set_u32(b, 8, 64 * 1000); }), SourceStatus::BAD_SIZE, "is larger than the file"},
      {"pak member outside", Reader::PAK, changed(archive, [](Bytes& b) { set_u32(b, b.size() - 4, 900); }), SourceStatus::BAD_OFFSET, "member 'gfx/palette.lmp' (900 bytes at 12)"},
      {"pak member name unterminated", Reader::PAK, changed(archive, [](Bytes& b) { std::fill_n(b.end() - 64, 56, 'x'); }), SourceStatus::BAD_NAME, "entry 0 has an unterminated name"},
  };
}

TEST(Damaged, EveryDamageIsRejectedWithItsStatusAndLeavesTheListAlone) {
  for (const Damage& damage : damages()) {
    SCOPED_TRACE(damage.what);
    std::string error;
    size_t added = 0;
    EXPECT_EQ(run(damage.reader, damage.bytes, error, added), damage.status);
    const std::string origin = std::string(origin_of(damage.reader)) + ": ";
    EXPECT_EQ(error.rfind(origin, 0), 0u) << error;
    EXPECT_NE(error.find(damage.message), std::string::npos) << error;
    EXPECT_EQ(added, 0u);
  }
}

TEST(Damaged, AWalNeedsAName) {
  std::vector<SourceTexture> out;
  std::string error;
  EXPECT_EQ(texpack::read_wal(wal(16, 16, 0, 0, 0, ""), "", "x.wal", out, error), SourceStatus::BAD_NAME);
  EXPECT_EQ(error, "x.wal: a .wal texture needs a name");
}

// The undamaged files of the table read fine, so each damage above is what
// the reader rejects.
TEST(Damaged, TheUndamagedOriginalsAreRead) {
  const std::pair<Reader, Bytes> originals[] = {
      {Reader::WAD, one_texture_wad()}, {Reader::WAD, one_texture_wad("WAD3")}, {Reader::BSP, bsp(29, {miptex("wall", 16, 16)})},
      {Reader::WAL, wal(16, 16, 0, 0, 0, "")}, {Reader::LMP, Bytes(768, 0)}, {Reader::PCX, pcx(true)},
      {Reader::PAK, pak({{"gfx/palette.lmp", Bytes(768, 3)}})},
  };
  for (const auto& [reader, bytes] : originals) {
    std::string error;
    size_t added = 0;
    EXPECT_EQ(run(reader, bytes, error, added), SourceStatus::OK) << error;
    EXPECT_EQ(added, reader == Reader::LMP || reader == Reader::PCX ? 0u : 1u);
  }
}

}  // namespace
