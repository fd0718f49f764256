// The readers on files built here: the known pattern decoded exactly, and
// every kind of damage rejected with its status and a message naming the
// file, adding nothing to what was read before.
#include <gtest/gtest.h>

#include <functional>

#include "test_tex_sources_bytes.h"
#include "texture_sources.h"

using namespace texbytes;
using texpack::SourceStatus;

namespace {

enum class Reader { wad, bsp, wal, lmp, pcx, pak };

// Runs a reader on a list that held one texture (or member); gives its status and what it added.
SourceStatus run(Reader reader, const Bytes& bytes, std::string& error, size_t& added) {
  std::vector<texpack::SourceTexture> out(1);
  std::vector<texpack::PakEntry> entries(1);
  texpack::Palette palette;
  SourceStatus status = SourceStatus::ok;
  switch (reader) {
    case Reader::wad: status = texpack::read_wad(bytes, "t", out, error); break;
    case Reader::bsp: status = texpack::read_bsp(bytes, "t", out, error); break;
    case Reader::wal: status = texpack::read_wal(bytes, "e1u1/t", "t", out, error); break;
    case Reader::lmp: status = texpack::read_palette_lmp(bytes, "t", palette, error); break;
    case Reader::pcx: status = texpack::read_colormap_pcx(bytes, "t", palette, error); break;
    case Reader::pak: status = texpack::read_pak_directory(bytes, "t", entries, error); break;
  }
  added = out.size() + entries.size() - 2 + (palette.origin.empty() ? 0 : 1);
  for (size_t i = 1; i < out.size(); ++i) {
    for (int y = 0; y < out[i].height; ++y)  // every synthetic texture is the pattern
      for (int x = 0; x < out[i].width; ++x)
        if (out[i].indices.at(size_t(y * out[i].width + x)) != pattern(x, y)) ADD_FAILURE() << x << "," << y;
  }
  return status;
}

Bytes changed(Bytes bytes, const std::function<void(Bytes&)>& change) {
  change(bytes);
  return bytes;
}

// Landmarks: a WAD's first lump at 12; in a miptex the width at 16, level offsets from 24;
// a map's texture lump at 124; a .wal's level offsets from 40, next frame's name at 56.
constexpr size_t kLump = 12, kWidth = 16, kMips = 24, kBspLump = 124;

const Bytes kWad = archive("WAD2", {{"floor", miptex("floor", 32, 16)}});
const Bytes kWad3 = archive("WAD3", {{"floor", miptex("floor", 32, 16, 256)}});
const size_t kEntry = get_u32(kWad, 8);
const size_t kColours = kLump + 40 + 512 + 128 + 32 + 8;  // behind level 3 of 32x16
const Bytes kMap = bsp(29, {miptex("wall", 16, 16)});
const Bytes kWal = wal(16, 16, 0, 0, "");
const Bytes kPcx = pcx(true);
const Bytes kPak = archive("PACK", {{"gfx/palette.lmp", Bytes(768, 3)}});

TEST(Decoding, EveryKindGivesThePatternAndItsFields) {
  Bytes external = miptex("sky4", 16, 16);
  std::fill_n(external.begin() + kMips, 16, 0);  // pixels left in a WAD
  std::vector<texpack::SourceTexture> out;
  std::string error;
  ASSERT_EQ(texpack::read_wad(archive("WAD2", {{"pic", Bytes(8, 0xFF), 0x42}, {"floor", miptex("floor", 32, 16)}}), "a", out, error), SourceStatus::ok);
  ASSERT_EQ(texpack::read_wad(kWad3, "b.wad", out, error), SourceStatus::ok) << error;
  for (const uint32_t version : {29u, 30u, 0x32505342u /* BSP2 */, 0x42535032u /* 2PSB */})
    ASSERT_EQ(texpack::read_bsp(bsp(version, {external, miptex("*lava1", 16, 48, version == 30 ? 256 : 0)}, 2), "c", out, error), SourceStatus::ok);
  ASSERT_EQ(texpack::read_wal(wal(48, 32, 9, 700, "e1u1/next"), "e1u1/lava", "d", out, error), SourceStatus::ok);
  ASSERT_EQ(out.size(), 1u + 1u + 4u + 1u);
  for (const auto& texture : out) {
    SCOPED_TRACE(texture.name);
    for (int y = 0; y < texture.height; ++y)
      for (int x = 0; x < texture.width; ++x) ASSERT_EQ(texture.indices.at(size_t(y * texture.width + x)), pattern(x, y));
  }
  EXPECT_EQ(out[0].name, "floor");
  EXPECT_EQ(out[0].own_palette, nullptr);
  ASSERT_NE(out[1].own_palette, nullptr);
  EXPECT_EQ(out[1].own_palette->origin, "b.wad:floor");
  EXPECT_EQ(out[1].own_palette->rgb[3 * 10 + 1], 245);
  EXPECT_EQ(out[2].name, "*lava1");
  EXPECT_EQ(out[2].height, 48);
  EXPECT_NE(out[3].own_palette, nullptr);  // BSP30
  EXPECT_EQ(out[6].name, "e1u1/lava");
  EXPECT_EQ(out[6].width, 48);
  EXPECT_EQ(out[6].wal->anim_next, "e1u1/next");
  EXPECT_EQ(out[6].wal->flags, 9u);
  EXPECT_EQ(out[6].wal->value, 700u);
}

struct Damage {
  const char* what;
  Reader reader;
  Bytes bytes;
  SourceStatus status;
  const char* message;  // found in the error after "t: "
};

std::vector<Damage> damages() {
  Bytes long_name = archive("WAD2", {{"", miptex("x", 16, 16)}});
  std::fill_n(long_name.begin() + long(get_u32(long_name, 8) + 16), 16, 'a');
  const auto at = [](size_t offset, uint32_t value) { return [=](Bytes& b) { set_u32(b, offset, value); }; };
  return {
      {"wad cut in its header", Reader::wad, Bytes(kWad.begin(), kWad.begin() + 10), SourceStatus::truncated, "shorter than a WAD header (10 bytes)"},
      {"wad of another kind", Reader::wad, changed(kWad, [](Bytes& b) { b[3] = '9'; }), SourceStatus::bad_magic, "not a WAD2"},
      {"wad cut in its directory", Reader::wad, Bytes(kWad.begin(), kWad.end() - 1), SourceStatus::bad_offset, "lies outside the file"},
      {"negative entry count", Reader::wad, changed(kWad, at(4, 0xFFFFFFFF)), SourceStatus::bad_size, "directory of -1 entries"},
      {"entry count beyond any file", Reader::wad, changed(kWad, at(4, 0x7FFFFFFF)), SourceStatus::bad_size, "is larger than the file"},
      {"directory far outside", Reader::wad, changed(kWad, at(8, 0x7FFFFFF0)), SourceStatus::bad_offset, "(1 entries at 2147483632) lies outside"},
      {"lump outside the file", Reader::wad, changed(kWad, at(kEntry, 0x7FFFFFFF)), SourceStatus::bad_offset, "lump 'floor' (720 bytes at 2147483647)"},
      {"lump shorter than a miptex header", Reader::wad, changed(kWad, at(kEntry + 4, 39)), SourceStatus::truncated, "texture 'floor' has 39 bytes"},
      {"compressed lump", Reader::wad, changed(kWad, [](Bytes& b) { b[kEntry + 13] = 1; }), SourceStatus::bad_magic, "is compressed"},
      {"empty entry name", Reader::wad, changed(kWad, [](Bytes& b) { b[kEntry + 16] = 0; }), SourceStatus::bad_name, "entry 0 has an empty name"},
      {"unterminated entry name", Reader::wad, long_name, SourceStatus::bad_name, "entry 0 has an unterminated name"},
      {"zero width", Reader::wad, changed(kWad, at(kLump + kWidth, 0)), SourceStatus::bad_size, "has no pixels (0x16)"},
      {"huge width", Reader::wad, changed(kWad, at(kLump + kWidth, 8192)), SourceStatus::bad_size, "too large (8192x16"},
      {"size over 32 bits", Reader::wad, changed(changed(kWad, at(kLump + kWidth, ~0u)), at(kLump + kWidth + 4, ~0u)), SourceStatus::bad_size, "too large"},
      {"level 0 outside the lump", Reader::wad, changed(kWad, at(kLump + kMips, 600)), SourceStatus::bad_offset, "mip level 0 (512 bytes at 600) lies outside its lump"},
      {"level 3 offset wraps", Reader::wad, changed(kWad, at(kLump + kMips + 12, ~0u)), SourceStatus::bad_offset, "mip level 3"},
      {"level in the header", Reader::wad, changed(kWad, at(kLump + kMips + 4, 8)), SourceStatus::bad_offset, "mip level 1 (128 bytes at 8)"},
      {"wad3 without colours", Reader::wad, changed(kWad, [](Bytes& b) { b[3] = '3'; }), SourceStatus::no_palette, "ends before its colour count"},
      {"wad3 of 0 colours", Reader::wad, changed(kWad3, [](Bytes& b) { b[kColours] = 0, b[kColours + 1] = 0; }), SourceStatus::no_palette, "0 colours"},
      {"wad3 of 300 colours", Reader::wad, changed(kWad3, [](Bytes& b) { b[kColours] = 44, b[kColours + 1] = 1; }), SourceStatus::bad_size, "300 colours"},
      {"wad3 colours cut", Reader::wad, changed(kWad3, at(get_u32(kWad3, 8) + 4, 820)), SourceStatus::truncated, "256 colours run past"},
      {"map cut in its header", Reader::bsp, Bytes(kMap.begin(), kMap.begin() + 100), SourceStatus::truncated, "shorter than a map header"},
      {"map of another version", Reader::bsp, changed(kMap, at(0, 28)), SourceStatus::bad_magic, "(version 28)"},
      {"texture lump outside", Reader::bsp, changed(kMap, at(20, 0x7FFFFFFF)), SourceStatus::bad_offset, "texture lump ("},
      {"texture count beyond the lump", Reader::bsp, changed(kMap, at(kBspLump, 0x40000000)), SourceStatus::bad_size, "cannot hold 1073741824 texture offsets"},
      {"texture offset outside the lump", Reader::bsp, changed(kMap, at(kBspLump + 4, 100000)), SourceStatus::bad_offset, "texture 0 (at 100000)"},
      {"texture offset -2", Reader::bsp, changed(kMap, at(kBspLump + 4, 0xFFFFFFFE)), SourceStatus::bad_offset, "texture 0 (at -2)"},
      {"record cut by the lump's end", Reader::bsp, changed(kMap, at(kBspLump + 4, uint32_t(kMap.size() - kBspLump - 20))), SourceStatus::truncated, "cut short"},
      {"map texture's level outside", Reader::bsp, changed(kMap, at(kBspLump + 8 + kMips, 5000)), SourceStatus::bad_offset, "texture 'wall': mip level 0"},
      {"map texture without a name", Reader::bsp, changed(kMap, [](Bytes& b) { b[kBspLump + 8] = 0; }), SourceStatus::bad_name, "texture 0 has an empty name"},
      {"wal cut in its header", Reader::wal, Bytes(kWal.begin(), kWal.begin() + 99), SourceStatus::truncated, "shorter than a .wal header"},
      {"wal of zero height", Reader::wal, changed(kWal, at(36, 0)), SourceStatus::bad_size, "texture 'e1u1/t' has no pixels"},
      {"wal level in its header", Reader::wal, changed(kWal, at(40, 50)), SourceStatus::bad_offset, "mip level 0 (256 bytes at 50)"},
      {"wal next frame unterminated", Reader::wal, changed(kWal, [](Bytes& b) { std::fill_n(b.begin() + 56, 32, 'n'); }), SourceStatus::bad_name, "unterminated next-frame name"},
      {"palette short", Reader::lmp, Bytes(767, 0), SourceStatus::truncated, "this file has 767"},
      {"palette long", Reader::lmp, Bytes(769, 0), SourceStatus::bad_size, "this file has 769"},
      {"pcx without a palette", Reader::pcx, pcx(false), SourceStatus::no_palette, "too short to end in a 256-colour palette"},
      {"pcx with another mark", Reader::pcx, changed(kPcx, [](Bytes& b) { b[b.size() - 769] = 0x0D; }), SourceStatus::no_palette, "no 256-colour palette"},
      {"pcx of 24 bits", Reader::pcx, changed(kPcx, [](Bytes& b) { b[65] = 3; }), SourceStatus::no_palette, "3 plane(s) of 8 bits"},
      {"pcx cut in its header", Reader::pcx, Bytes(kPcx.begin(), kPcx.begin() + 64), SourceStatus::truncated, "shorter than a PCX header"},
      {"not a pcx", Reader::pcx, Bytes(2000, 'P'), SourceStatus::bad_magic, "not a PCX image"},
      {"pak cut in its header", Reader::pak, Bytes(kPak.begin(), kPak.begin() + 11), SourceStatus::truncated, "shorter than a PAK header"},
      {"pak directory outside", Reader::pak, changed(kPak, at(4, 0x7FFFFFFF)), SourceStatus::bad_offset, "directory (64 bytes at 2147483647) lies outside"},
      {"pak directory of partial entries", Reader::pak, changed(kPak, at(8, 63)), SourceStatus::bad_size, "no whole number"},
      {"pak directory larger than the file", Reader::pak, changed(kPak, at(8, 64000)), SourceStatus::bad_size, "is larger than the file"},
      {"pak member outside", Reader::pak, changed(kPak, at(kPak.size() - 4, 900)), SourceStatus::bad_offset, "member 'gfx/palette.lmp' (900 bytes at 12)"},
      {"pak member name unterminated", Reader::pak, changed(kPak, [](Bytes& b) { std::fill_n(b.end() - 64, 56, 'x'); }), SourceStatus::bad_name, "entry 0 has an unterminated name"},
  };
}

TEST(Damaged, EachDamageIsRejectedWithItsStatusAndAddsNothing) {
  for (const Damage& damage : damages()) {
    std::string error;
    size_t added = 0;
    EXPECT_EQ(run(damage.reader, damage.bytes, error, added), damage.status) << damage.what;
    EXPECT_EQ(error.rfind("t: ", 0), 0u) << damage.what << ": " << error;
    EXPECT_NE(error.find(damage.message), std::string::npos) << damage.what << ": " << error;
    EXPECT_EQ(added, 0u) << damage.what;
  }
  std::vector<texpack::SourceTexture> out;
  std::string error;
  EXPECT_EQ(texpack::read_wal(kWal, "", "x.wal", out, error), SourceStatus::bad_name);
  EXPECT_EQ(error, "x.wal: a .wal texture needs a name");
}

// The files the damages start from are read, so each damage is what fails.
TEST(Damaged, TheUndamagedFilesAreRead) {
  const std::pair<Reader, Bytes> originals[] = {{Reader::wad, kWad}, {Reader::wad, kWad3}, {Reader::bsp, kMap},
                                                {Reader::wal, kWal}, {Reader::lmp, Bytes(768, 0)}, {Reader::pcx, kPcx},
                                                {Reader::pak, kPak}};
  for (const auto& [reader, bytes] : originals) {
    std::string error;
    size_t added = 0;
    EXPECT_EQ(run(reader, bytes, error, added), SourceStatus::ok) << error;
    EXPECT_EQ(added, 1u);
  }
}

}  // namespace
