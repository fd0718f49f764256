// The library: folders and archives searched in a fixed order, the first
// source of a name kept and later ones noted, damaged files reported.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "source_kinds.h"
#include "test_tex_sources_bytes.h"
#include "texture_sources.h"

namespace fs = std::filesystem;
using namespace texbytes;
using texpack::SourceStatus;
using texpack::TextureLibrary;

namespace {

class Library : public ::testing::Test {
 protected:
  fs::path dir;
  TextureLibrary library;
  std::string error;

  void SetUp() override {
    char folder[] = "/tmp/korvex_texsources_XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    dir = folder;
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string write(const std::string& relative, const Bytes& bytes) const {  // gives the path
    const fs::path path = dir / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
  }
  bool noted(const std::vector<std::string>& list, const std::string& text) const {
    return std::find(list.begin(), list.end(), text) != list.end();
  }
};

Bytes palette_lmp() {
  const auto rgb = test_palette();
  return Bytes(rgb.begin(), rgb.end());
}

TEST_F(Library, PakArchivesInAFolder) {
  const Bytes map1 = bsp(29, {miptex("*water0", 16, 16), miptex("+0button", 32, 16)});
  write("id1/pak0.pak", pak({{"progs/player.mdl", Bytes(100, 1)},
                             {"gfx/palette.lmp", palette_lmp()},
                             {"maps/e1m1.bsp", map1},
                             {"maps/broken.bsp", Bytes(map1.begin(), map1.begin() + 200)},
                             {"gfx.wad", Bytes(50, 0xEE)},  // status-bar pictures: not searched
                             {"TEXTURES/E1U1/Floor1_3.wal", wal(16, 16, 1, 0, 300, "")}}));
  write("id1/pak1.pak", pak({{"maps/e1m2.bsp", bsp(29, {miptex("*WATER0", 64, 64)})}}));
  ASSERT_EQ(library.add_path(dir.string(), error), SourceStatus::OK) << error;

  const std::string pak0 = (dir / "id1/pak0.pak").string(), pak1 = (dir / "id1/pak1.pak").string();
  ASSERT_NE(library.palette(), nullptr);
  EXPECT_EQ(library.palette()->rgb, test_palette());
  EXPECT_EQ(library.palette()->origin, pak0 + ":gfx/palette.lmp");
  const auto* water = library.find("*Water0");
  ASSERT_NE(water, nullptr);
  EXPECT_EQ(water->width, 16);
  EXPECT_EQ(water->origin, pak0 + ":maps/e1m1.bsp");
  EXPECT_TRUE(noted(library.duplicates, "*water0: kept from " + pak0 + ":maps/e1m1.bsp, also in " + pak1 + ":maps/e1m2.bsp"));
  const auto* floor = library.find("e1u1/floor1_3");
  ASSERT_NE(floor, nullptr);
  EXPECT_EQ(floor->name, "E1U1/Floor1_3");
  ASSERT_TRUE(floor->wal.has_value());
  EXPECT_EQ(floor->wal->value, 300u);
  EXPECT_EQ(library.textures_per_origin[pak0 + ":maps/e1m1.bsp"], 2);
  EXPECT_EQ(library.textures_per_origin[pak0 + ":TEXTURES"], 1);
  ASSERT_EQ(library.problems.size(), 1u);
  EXPECT_EQ(library.problems[0].rfind(pak0 + ":maps/broken.bsp: ", 0), 0u) << library.problems[0];
}

TEST_F(Library, LooseFilesInAFolder) {
  write("baseq2/textures/e1u1/Floor.WAL", wal(16, 16, 0, 0, 0, ""));
  write("baseq2/stray.wal", wal(16, 16, 0, 0, 0, ""));  // outside textures/: not searched
  write("baseq2/pics/COLORMAP.pcx", pcx(true));
  write("q1/Palette.LMP", palette_lmp());
  write("q1/Textures.WAD", wad("WAD2", {{"city4_2", 0x44, miptex("city4_2", 16, 16)}}));
  write("q1/broken.wad", Bytes{'W', 'A', 'D', '2'});
  write("q1/notes.txt", Bytes(10, 'x'));
  ASSERT_EQ(library.add_path(dir.string(), error), SourceStatus::OK) << error;

  EXPECT_NE(library.find("E1U1/FLOOR"), nullptr);
  EXPECT_EQ(library.find("stray"), nullptr);
  EXPECT_NE(library.find("CITY4_2"), nullptr);
  ASSERT_NE(library.palette(), nullptr);  // baseq2 sorts before q1: the PCX comes first
  EXPECT_EQ(library.palette()->origin, (dir / "baseq2/pics/COLORMAP.pcx").string());
  EXPECT_TRUE(noted(library.duplicates, "palette: kept from " + (dir / "baseq2/pics/COLORMAP.pcx").string() +
                                            ", also in " + (dir / "q1/Palette.LMP").string()));
  EXPECT_EQ(library.textures_per_origin[(dir / "baseq2/textures").string()], 1);
  ASSERT_EQ(library.problems.size(), 1u);
  EXPECT_EQ(library.problems[0], (dir / "q1/broken.wad").string() + ": shorter than a WAD header (4 bytes)");
}

TEST_F(Library, FirstSourceWinsAcrossFilesWithoutRegardToCase) {
  const std::string a = write("a.wad", wad("WAD2", {{"Floor", 0x44, miptex("Floor", 16, 16)}}));
  const std::string b = write("b.wad", wad("WAD2", {{"FLOOR", 0x44, miptex("FLOOR", 32, 32)}, {"wall", 0x44, miptex("wall", 16, 16)}}));
  ASSERT_EQ(library.add_path(a, error), SourceStatus::OK) << error;
  ASSERT_EQ(library.add_path(b, error), SourceStatus::OK) << error;
  ASSERT_EQ(library.add_path(a, error), SourceStatus::OK) << error;  // named again: read once
  ASSERT_NE(library.find("floor"), nullptr);
  EXPECT_EQ(library.find("floor")->width, 16);
  EXPECT_EQ(library.duplicates, std::vector<std::string>{"Floor: kept from " + a + ", also in " + b});
  EXPECT_EQ(library.textures_per_origin[a], 1);
  EXPECT_EQ(library.textures_per_origin[b], 2);
}

TEST_F(Library, FilesGivenByNameFailHard) {
  const struct {
    std::string path;
    SourceStatus status;
    std::string message;
  } cases[] = {
      {write("empty.wad", {}), SourceStatus::TRUNCATED, "shorter than a WAD header (0 bytes)"},
      {write("cut.pak", Bytes{'P', 'A', 'C', 'K'}), SourceStatus::TRUNCATED, "shorter than a PAK header (4 bytes)"},
      {write("notes.txt", Bytes(3, 'x')), SourceStatus::BAD_MAGIC, "not a texture source"},
      {(dir / "missing.bsp").string(), SourceStatus::OPEN_FAILED, "no such file or folder"},
      {write("pics/colormap.pcx", pcx(false)), SourceStatus::NO_PALETTE, "too short to end in a 256-colour palette"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(library.add_path(c.path, error), c.status);
    EXPECT_EQ(error.rfind(c.path + ": " + c.message, 0), 0u) << error;
  }
  EXPECT_TRUE(library.textures_per_origin.empty());
  EXPECT_EQ(library.palette(), nullptr);
}

TEST_F(Library, AWalNamedByTheUserOutsideTexturesTakesItsFileName) {
  ASSERT_EQ(library.add_path(write("loose/rock.wal", wal(16, 16, 0, 0, 0, "")), error), SourceStatus::OK) << error;
  EXPECT_NE(library.find("rock"), nullptr);
}

TEST_F(Library, WadByTheNameAMapGives) {
  write("first/other.wad", wad("WAD2", {{"x", 0x44, miptex("x", 16, 16)}}));
  write("second/Base.WAD", wad("WAD2", {{"base1", 0x44, miptex("base1", 16, 16)}}));
  const std::vector<std::string> folders = {(dir / "first").string(), (dir / "second").string()};
  EXPECT_TRUE(library.add_wad_by_name("\\quake\\id1\\GFX\\base.wad", folders, error)) << error;
  EXPECT_NE(library.find("base1"), nullptr);
  EXPECT_EQ(library.find("x"), nullptr);
  EXPECT_TRUE(library.add_wad_by_name("/q/id1/BASE.wad", folders, error)) << error;  // again: read once
  EXPECT_TRUE(library.duplicates.empty());

  EXPECT_FALSE(library.add_wad_by_name("/q/id1/textures.wad", folders, error));
  EXPECT_EQ(error, "'/q/id1/textures.wad': no file named textures.wad in " + folders[0] + ", " + folders[1]);
  EXPECT_FALSE(library.add_wad_by_name("c:\\quake\\", folders, error));
  EXPECT_EQ(error, "'c:\\quake\\': names no file");
  write("third/bad.wad", Bytes{'W', 'A', 'D', '3', 1, 0, 0, 0});
  EXPECT_FALSE(library.add_wad_by_name("bad.wad", {(dir / "third").string()}, error));
  EXPECT_EQ(error, (dir / "third/bad.wad").string() + ": shorter than a WAD header (8 bytes)");
}

TEST(SourceKinds, FolderOrderAndWalNames) {
  const std::pair<const char*, const char*> ordered[] = {
      {"id1/pak0.pak", "id1/pak1.pak"}, {"id1/pak2.pak", "id1/pak10.pak"}, {"A.wad", "b.wad"},
      {"x/pak02.pak", "x/pak3.pak"},    {"maps/e1m1.bsp", "maps/e1m1a.bsp"}, {"B.wad", "b.wad"},
  };
  for (const auto& [before, after] : ordered) {
    EXPECT_TRUE(texpack::source_path_less(before, after)) << before << " < " << after;
    EXPECT_FALSE(texpack::source_path_less(after, before)) << after << " < " << before;
  }
  const std::pair<const char*, const char*> wal_names[] = {
      {"/g/baseq2/textures/e1u1/floor1_3.wal", "e1u1/floor1_3"},
      {"/g/textures/q2/Textures/rtz/b.v.wal", "rtz/b.v"},
      {"C:\\q2\\textures\\e1u1\\x.wal", "e1u1/x"},
      {"/g/mytextures/a.wal", ""},
      {"/g/textures.wal", ""},
  };
  for (const auto& [path, name] : wal_names) {
    const auto place = texpack::wal_place(path);
    EXPECT_EQ(place ? place->name : "", name) << path;
  }
}

}  // namespace
