// The library on folders and archives written here: the search order, the
// first source of a name kept and later ones noted, damaged files reported.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "source_kinds.h"
#include "temp_dir.h"
#include "test_tex_sources_bytes.h"
#include "texture_sources.h"

namespace fs = std::filesystem;
using namespace texbytes;
using texpack::SourceStatus;

namespace {

class Library : public ::testing::Test {
 protected:
  TempDir dir;
  texpack::TextureLibrary library;
  std::string error;

  std::string write(const std::string& relative, const Bytes& bytes) const {  // gives the path
    dir.write(relative, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return dir.file(relative);
  }
  std::string at(const char* relative) const { return dir.file(relative); }
};

TEST_F(Library, ArchivesAndLooseFilesInAFolder) {
  const Bytes map = bsp(29, {miptex("*water0", 16, 16), miptex("+0button", 32, 16)});
  write("id1/pak0.pak", archive("PACK", {{"progs/player.mdl", Bytes(100, 1)},
                                         {"gfx/palette.lmp", test_palette()},
                                         {"maps/e1m1.bsp", map},
                                         {"maps/broken.bsp", Bytes(map.begin(), map.begin() + 200)},
                                         {"gfx.wad", Bytes(50, 0xEE)},  // the status-bar pictures: not searched
                                         {"TEXTURES/E1U1/Floor1_3.wal", wal(16, 16, 1, 300, "")}}));
  write("id1/pak1.pak", archive("PACK", {{"maps/e1m2.bsp", bsp(29, {miptex("*WATER0", 64, 64)})}}));
  write("id1/textures/e2u1/Wall.WAL", wal(16, 16, 0, 0, ""));
  write("id1/stray.wal", wal(16, 16, 0, 0, ""));  // outside textures/: not searched
  write("id1/pics/COLORMAP.pcx", pcx(true));
  write("q1/Base.WAD", archive("WAD2", {{"city4_2", miptex("city4_2", 16, 16)}}));
  write("q1/broken.wad", Bytes{'W', 'A', 'D', '2'});
  write("q1/notes.txt", Bytes(10, 'x'));
  ASSERT_EQ(library.add_path(dir.path(), error), SourceStatus::ok) << error;

  const std::string pak0 = at("id1/pak0.pak"), pak1 = at("id1/pak1.pak");
  ASSERT_NE(library.palette(), nullptr);
  EXPECT_EQ(library.palette()->rgb[3 * 200 + 1], 100);
  EXPECT_EQ(library.palette()->origin, pak0 + ":gfx/palette.lmp");
  ASSERT_NE(library.find("*Water0"), nullptr);
  EXPECT_EQ(library.find("*Water0")->origin, pak0 + ":maps/e1m1.bsp");
  ASSERT_NE(library.find("e1u1/floor1_3"), nullptr);
  EXPECT_EQ(library.find("e1u1/floor1_3")->wal->value, 300u);
  EXPECT_NE(library.find("E2U1/WALL"), nullptr);
  EXPECT_NE(library.find("CITY4_2"), nullptr);
  EXPECT_EQ(library.find("stray"), nullptr);
  EXPECT_EQ(library.duplicates, (std::vector<std::string>{
                                    "*water0: kept from " + pak0 + ":maps/e1m1.bsp, also in " + pak1 + ":maps/e1m2.bsp",
                                    "palette: kept from " + pak0 + ":gfx/palette.lmp, also in " + at("id1/pics/COLORMAP.pcx")}));
  EXPECT_EQ(library.textures_per_origin, (std::map<std::string, int>{{pak0 + ":maps/e1m1.bsp", 2},
                                                                     {pak0 + ":TEXTURES", 1},
                                                                     {pak1 + ":maps/e1m2.bsp", 1},
                                                                     {at("id1/textures"), 1},
                                                                     {at("q1/Base.WAD"), 1}}));
  ASSERT_EQ(library.problems.size(), 2u);
  EXPECT_EQ(library.problems[0].rfind(pak0 + ":maps/broken.bsp: ", 0), 0u) << library.problems[0];
  EXPECT_EQ(library.problems[1], at("q1/broken.wad") + ": shorter than a WAD header (4 bytes)");
}

TEST_F(Library, FirstSourceWinsWithoutRegardToCaseAndAFileIsReadOnce) {
  const std::string a = write("a.wad", archive("WAD2", {{"Floor", miptex("Floor", 16, 16)}}));
  const std::string b = write("b.wad", archive("WAD2", {{"FLOOR", miptex("FLOOR", 32, 32)}, {"wall", miptex("wall", 16, 16)}}));
  for (const std::string& path : {a, b, a}) ASSERT_EQ(library.add_path(path, error), SourceStatus::ok) << error;
  ASSERT_NE(library.find("floor"), nullptr);
  EXPECT_EQ(library.find("floor")->width, 16);
  EXPECT_EQ(library.duplicates, std::vector<std::string>{"Floor: kept from " + a + ", also in " + b});
  EXPECT_EQ(library.textures_per_origin, (std::map<std::string, int>{{a, 1}, {b, 2}}));
}

TEST_F(Library, FilesGivenByNameFailHard) {
  write("huge.wad", {});
  fs::resize_file(dir.file("huge.wad"), (uint64_t{1} << 30) + 1);  // sparse
  const struct {
    std::string path;
    SourceStatus status;
    std::string message;
  } cases[] = {
      {write("empty.wad", {}), SourceStatus::truncated, "shorter than a WAD header (0 bytes)"},
      {at("huge.wad"), SourceStatus::bad_size, "too large (1073741825 bytes, at most 1 GiB)"},
      {write("cut.pak", Bytes{'P', 'A', 'C', 'K'}), SourceStatus::truncated, "shorter than a PAK header (4 bytes)"},
      {write("notes.txt", Bytes(3, 'x')), SourceStatus::bad_magic, "not a texture source"},
      {at("missing.bsp"), SourceStatus::open_failed, "no such file or folder"},
      {write("pics/colormap.pcx", pcx(false)), SourceStatus::no_palette, "too short to end in a 256-colour palette"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(library.add_path(c.path, error), c.status) << c.path;
    EXPECT_EQ(error.rfind(c.path + ": " + c.message, 0), 0u) << error;
  }
  EXPECT_TRUE(library.textures_per_origin.empty());
  EXPECT_EQ(library.palette(), nullptr);
  // A .wal the user names outside any textures/ folder is called by its file name.
  ASSERT_EQ(library.add_path(write("loose/rock.wal", wal(16, 16, 0, 0, "")), error), SourceStatus::ok) << error;
  EXPECT_NE(library.find("rock"), nullptr);
}

TEST_F(Library, WadByTheNameAMapGives) {
  write("first/other.wad", archive("WAD2", {{"x", miptex("x", 16, 16)}}));
  write("second/Base.WAD", archive("WAD2", {{"base1", miptex("base1", 16, 16)}}));
  write("third/bad.wad", Bytes{'W', 'A', 'D', '3', 1, 0, 0, 0});
  const std::vector<std::string> folders = {at("first"), at("second"), at("third")};
  EXPECT_TRUE(library.add_wad_by_name("\\quake\\id1\\GFX\\base.wad", folders, error)) << error;
  EXPECT_NE(library.find("base1"), nullptr);
  EXPECT_EQ(library.find("x"), nullptr);
  EXPECT_TRUE(library.add_wad_by_name("/q/id1/BASE.wad", folders, error)) << error;  // again: read once
  EXPECT_TRUE(library.duplicates.empty());
  const std::pair<std::string, std::string> failures[] = {
      {"/q/id1/textures.wad", "'/q/id1/textures.wad': no file named textures.wad in " + folders[0] + ", " + folders[1] + ", " + folders[2]},
      {"c:\\quake\\", "'c:\\quake\\': names no file"},
      {"bad.wad", at("third/bad.wad") + ": shorter than a WAD header (8 bytes)"},
  };
  for (const auto& [key, message] : failures) {
    EXPECT_FALSE(library.add_wad_by_name(key, folders, error)) << key;
    EXPECT_EQ(error, message);
  }
}

TEST(SourceKinds, FolderOrderAndWalNames) {
  const std::pair<const char*, const char*> ordered[] = {
      {"id1/pak0.pak", "id1/pak1.pak"}, {"id1/pak2.pak", "id1/pak10.pak"}, {"A.wad", "b.wad"},
      {"x/pak02.pak", "x/pak3.pak"},    {"maps/e1m1.bsp", "maps/e1m1a.bsp"}, {"B.wad", "b.wad"}};
  for (const auto& [before, after] : ordered) {
    EXPECT_TRUE(texpack::source_path_less(before, after)) << before << " < " << after;
    EXPECT_FALSE(texpack::source_path_less(after, before)) << after << " < " << before;
  }
  const std::pair<const char*, const char*> wal_names[] = {
      {"/g/baseq2/textures/e1u1/floor1_3.wal", "e1u1/floor1_3"}, {"/g/textures/q2/Textures/rtz/b.v.wal", "rtz/b.v"},
      {"C:\\q2\\textures\\e1u1\\x.wal", "e1u1/x"}, {"/g/mytextures/a.wal", ""}, {"/g/textures.wal", ""}};
  for (const auto& [path, name] : wal_names) {
    const auto place = texpack::wal_place(path);
    EXPECT_EQ(place ? place->name : "", name) << path;
  }
}

}  // namespace
