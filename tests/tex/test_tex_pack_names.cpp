// Map names to pack names, tool textures, and reading names out of maps.
#include <gtest/gtest.h>

#include "map_scan.h"
#include "pack_names.h"

using namespace texpack;

namespace {

struct NameCase {
  std::string_view map_name;
  bool converted;
  Game game;  // of a source map
  NameClass expected;
  std::string_view pack_name;
  std::string_view library_name;
  std::string_view alt_library_name;
};

TEST(TexPackNames, SourceAndConvertedNamesMeetInOnePackName) {
  const NameCase cases[] = {
      {"*WATER0", false, Game::QUAKE, NameClass::PACKED, "q1/#water0", "*WATER0", ""},
      {"CITY4_2", false, Game::QUAKE, NameClass::PACKED, "q1/city4_2", "CITY4_2", ""},
      {"+0slipbotsd", false, Game::QUAKE, NameClass::PACKED, "q1/+0slipbotsd", "+0slipbotsd", ""},
      {"{Fence", false, Game::QUAKE, NameClass::PACKED, "q1/{fence", "{Fence", ""},
      {"e1u1/floor1_3", false, Game::QUAKE2, NameClass::PACKED, "q2/e1u1/floor1_3", "e1u1/floor1_3", ""},
      {"q1/#water0", true, Game::QUAKE, NameClass::PACKED, "q1/#water0", "*water0", "#water0"},
      {"Q1/city4_2", true, Game::QUAKE, NameClass::PACKED, "q1/city4_2", "city4_2", ""},
      {"q2/e1u1/floor1_3", true, Game::QUAKE2, NameClass::PACKED, "q2/e1u1/floor1_3", "e1u1/floor1_3", ""},
      // tool textures, in both roads
      {"CLIP", false, Game::QUAKE, NameClass::TOOL, "q1/clip", "CLIP", ""},
      {"hintskip", false, Game::QUAKE, NameClass::TOOL, "q1/hintskip", "hintskip", ""},
      {"*waterskip", false, Game::QUAKE, NameClass::TOOL, "q1/#waterskip", "*waterskip", ""},
      {"e1u1/clip_mon", false, Game::QUAKE2, NameClass::TOOL, "q2/e1u1/clip_mon", "e1u1/clip_mon", ""},
      {"q1/trigger", true, Game::QUAKE, NameClass::TOOL, "q1/trigger", "trigger", ""},
      {"q1/#waterskip", true, Game::QUAKE, NameClass::TOOL, "q1/#waterskip", "*waterskip", "#waterskip"},
      // near misses are real textures
      {"clip2", false, Game::QUAKE, NameClass::PACKED, "q1/clip2", "clip2", ""},
      {"e1u1/clipper", false, Game::QUAKE2, NameClass::PACKED, "q2/e1u1/clipper", "e1u1/clipper", ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(std::string(c.map_name));
    PackName name;
    const NameClass got = c.converted ? classify_converted_name(c.map_name, name)
                                      : classify_source_name(c.map_name, c.game, name);
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(name.game, c.game);
    EXPECT_EQ(name.pack_name, c.pack_name);
    EXPECT_EQ(name.library_name, c.library_name);
    EXPECT_EQ(name.alt_library_name, c.alt_library_name);
  }
}

TEST(TexPackNames, StockShadersOfConvertedMapsNeedNothing) {
  for (std::string_view name : {"common/clip", "liquids/clear_calm1", "skies/tim_hell", "q3/x", "q1"}) {
    PackName untouched;
    untouched.pack_name = "unchanged";
    EXPECT_EQ(classify_converted_name(name, untouched), NameClass::STOCK) << name;
    EXPECT_EQ(untouched.pack_name, "unchanged");
  }
}

struct ScanCase {
  const char* label;
  std::string_view text;
  bool converted_hint;
  bool force_quake2;
  MapKind kind;
  std::vector<TextureUse> textures;
  std::vector<std::string> wads;
};

TEST(TexPackMapScan, NamesFacesKindAndWads) {
  const ScanCase cases[] = {
      {"quake, names counted without regard to case, wad key split", R"({
"classname" "worldspawn"
"wad" "\quake\id1\gfx\base.wad; /q/id1/textures.wad;;"
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) CITY4_2 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) city4_2 0 0 0 1 1
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) *water0 0 0 0 1 1
}
}
{
"classname" "func_wall"
"wad" "not_the_world.wad"
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) {fence 0 0 0 1 1
}
}
)",
       false, false, MapKind::QUAKE, {{"CITY4_2", 2}, {"*water0", 1}, {"{fence", 1}},
       {"\\quake\\id1\\gfx\\base.wad", "/q/id1/textures.wad"}},
      {"valve 220 quake", R"({ "classname" "worldspawn"
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) sky4 [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1
}
})",
       false, false, MapKind::QUAKE, {{"sky4", 1}}, {}},
      {"quake 2 by its three extra numbers", R"({
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) floor 0 0 0 1 1 0 0 0
}
})",
       false, false, MapKind::QUAKE2, {{"floor", 1}}, {}},
      {"quake 2 by a folder in a name", R"({
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) e1u1/floor1_3 0 0 0 1 1
}
})",
       false, false, MapKind::QUAKE2, {{"e1u1/floor1_3", 1}}, {}},
      {"quake 2 valve with flags", R"({
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) floor [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1 0 8 0
}
})",
       false, false, MapKind::QUAKE2, {{"floor", 1}}, {}},
      {"quake 2 when told", R"({
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) floor 0 0 0 1 1
}
})",
       false, true, MapKind::QUAKE2, {{"floor", 1}}, {}},
      {"converted, by its names; comments and patches skipped", R"(// brush 0
{
"classname" "worldspawn"
// ( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) commented 0 0 0 1 1
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) q1/#water0 0 0 0 0.5 0.5 0 0 0
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) common/clip 0 0 0 0.5 0.5 0 0 0
}
{
patchDef2
{
patchname
( 3 3 0 0 0 )
( ( 0 0 0 0 0 ) ( 0 0 0 0 0 ) ( 0 0 0 0 0 ) )
}
}
}
)",
       false, false, MapKind::CONVERTED, {{"q1/#water0", 1}, {"common/clip", 1}}, {}},
      {"converted, by the converter's header", R"(// Quake map 'x.map' converted to Q3A format
{
{
( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) common/trigger 0 0 0 0.5 0.5 0 0 0
}
})",
       false, false, MapKind::CONVERTED, {{"common/trigger", 1}}, {}},
      {"converted, by the file's extension", "{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) common/trigger 0 0 0 1 1\n}\n}\n",
       true, false, MapKind::CONVERTED, {{"common/trigger", 1}}, {}},
      {"one-line blocks and CR LF", "{ \"classname\" \"worldspawn\" }\r\n{\r\n{\r\n(0 0 0) (0 1 0) (1 0 0) a 0 0 0 1 1\r\n}\r\n}\r\n",
       false, false, MapKind::QUAKE, {{"a", 1}}, {}},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.label);
    MapScan scan;
    std::string error;
    ASSERT_EQ(scan_map(c.text, c.converted_hint, c.force_quake2, scan, error), ScanStatus::OK) << error;
    EXPECT_EQ(scan.kind, c.kind);
    EXPECT_EQ(scan.textures, c.textures);
    EXPECT_EQ(scan.wad_entries, c.wads);
  }
}

TEST(TexPackMapScan, DamagedMapsNameTheLine) {
  const struct {
    std::string_view text;
    ScanStatus status;
    std::string_view error;
  } cases[] = {
      {"{\n}\n}\n", ScanStatus::UNBALANCED, "line 3: '}' without a block to close"},
      {"{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) a 0 0 0 1 1\n", ScanStatus::UNBALANCED, "line 3: the map ends inside a block"},
      {"{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 )\n}\n}\n", ScanStatus::BAD_FACE, "line 3: a face without a texture name"},
  };
  for (const auto& c : cases) {
    MapScan scan;
    scan.faces = 99;
    std::string error;
    EXPECT_EQ(scan_map(c.text, false, false, scan, error), c.status);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(scan.faces, 99);
  }
}

}  // namespace
