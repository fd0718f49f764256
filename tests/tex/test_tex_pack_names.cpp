// Map names to pack names, tool textures, and reading names out of maps.
#include <gtest/gtest.h>

#include "map_scan.h"
#include "pack_names.h"
#include "test_tex_pack_support.h"

using namespace texpack;

namespace {

TEST(TexPackNames, SourceAndConvertedNamesMeetInOnePackName) {
  const struct {
    std::string_view map_name;
    bool converted;
    Game game;
    NameClass expected;
    std::string_view pack_name, library_name, alt_library_name;
  } cases[] = {
      {"*WATER0", false, Game::quake, NameClass::packed, "q1/#water0", "*WATER0", ""},
      {"+0slipbotsd", false, Game::quake, NameClass::packed, "q1/+0slipbotsd", "+0slipbotsd", ""},
      {"{Fence", false, Game::quake, NameClass::packed, "q1/{fence", "{Fence", ""},
      {"e1u1/floor1_3", false, Game::quake2, NameClass::packed, "q2/e1u1/floor1_3", "e1u1/floor1_3", ""},
      {"q1/#water0", true, Game::quake, NameClass::packed, "q1/#water0", "*water0", "#water0"},
      {"Q1/city4_2", true, Game::quake, NameClass::packed, "q1/city4_2", "city4_2", ""},
      {"q2/e1u1/floor1_3", true, Game::quake2, NameClass::packed, "q2/e1u1/floor1_3", "e1u1/floor1_3", ""},
      {"CLIP", false, Game::quake, NameClass::tool, "q1/clip", "CLIP", ""},
      {"HintSkip", false, Game::quake, NameClass::tool, "q1/hintskip", "HintSkip", ""},
      {"e1u1/trigger", false, Game::quake2, NameClass::tool, "q2/e1u1/trigger", "e1u1/trigger", ""},
      // The keep tables keep these: the pack supplies them.
      {"*waterskip", false, Game::quake, NameClass::packed, "q1/#waterskip", "*waterskip", ""},
      {"e1u1/clip_mon", false, Game::quake2, NameClass::tool, "q2/e1u1/clip_mon", "e1u1/clip_mon", ""},
      {"q1/#waterskip", true, Game::quake, NameClass::packed, "q1/#waterskip", "*waterskip", "#waterskip"},
      {"clip2", false, Game::quake, NameClass::packed, "q1/clip2", "clip2", ""},
      {"e1u1/clipper", false, Game::quake2, NameClass::packed, "q2/e1u1/clipper", "e1u1/clipper", ""},
      // The editor's placeholder for a face without a texture.
      {"__TB_empty", false, Game::quake, NameClass::tool, "q1/__tb_empty", "__TB_empty", ""},
      {"__TB_empty", false, Game::quake2, NameClass::tool, "q2/__tb_empty", "__TB_empty", ""},
      // Faces that must not block: their own shader, the kept name's texture.
      {"q1/nonsolid/#water0", true, Game::quake, NameClass::packed, "q1/nonsolid/#water0", "*water0", "#water0"},
      {"Q2/nonsolid_opaque/e1u1/floor1_3", true, Game::quake2, NameClass::packed, "q2/nonsolid_opaque/e1u1/floor1_3",
       "e1u1/floor1_3", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.map_name));
    PackName name;
    EXPECT_EQ(c.converted ? classify_converted_name(c.map_name, name) : classify_source_name(c.map_name, c.game, name),
              c.expected);
    EXPECT_EQ(name.game, c.game);
    EXPECT_EQ(name.pack_name, c.pack_name);
    EXPECT_EQ(name.library_name, c.library_name);
    EXPECT_EQ(name.alt_library_name, c.alt_library_name);
  }
  for (std::string_view stock : {"common/clip", "skies/tim_hell", "q3/x", "q1"}) {
    PackName untouched{Game::quake2, "unchanged", "", ""};
    EXPECT_EQ(classify_converted_name(stock, untouched), NameClass::stock) << stock;
    EXPECT_EQ(untouched.pack_name, "unchanged");
  }
}

TEST(TexPackNames, NonsolidNamesDrawTheKeptNamesImages) {
  const struct {
    std::string_view converted;
    kmap::Solidity solidity;
    std::string_view image;
  } cases[] = {
      {"q1/nonsolid/metal1", kmap::Solidity::nonsolid, "q1/metal1"},
      {"q1/nonsolid_opaque/+0lava", kmap::Solidity::nonsolid_opaque, "q1/+0lava"},
      {"q1/metal1", kmap::Solidity::solid, "q1/metal1"},
      {"q1/nonsolid_x/metal1", kmap::Solidity::solid, "q1/nonsolid_x/metal1"},
  };
  for (const auto& c : cases) {
    PackName name;
    ASSERT_EQ(classify_converted_name(c.converted, name), NameClass::packed) << c.converted;
    EXPECT_EQ(name.solidity, c.solidity) << c.converted;
    EXPECT_EQ(image_pack_name(name), c.image) << c.converted;
  }
}

TEST(TexPackMapScan, NamesFacesKindAndWads) {
  const std::string patch = "{\npatchDef2\n{\np\n( 3 3 0 0 0 )\n( ( 0 0 0 0 0 ) ( 0 0 0 0 0 ) )\n}\n}\n";
  const struct {
    const char* label;
    std::string text;
    bool converted_hint, force_quake2;
    MapKind kind;
    std::vector<TextureUse> textures;
    std::vector<std::string> wads;
  } cases[] = {
      {"quake; case ignored; wad key of the world only, split",
       map_text({"CITY4_2 0 0 0 1 1", "city4_2 0 0 0 1 1", "{fence 0 0 0 1 1"},
                "\"wad\" \"\\quake\\id1\\BASE.WAD; /q/x.wad;;\"\n") +
           "{\n\"classname\" \"func_wall\"\n\"wad\" \"no.wad\"\n}\n",
       false, false, MapKind::quake, {{"CITY4_2", 2}, {"{fence", 1}}, {"\\quake\\id1\\BASE.WAD", "/q/x.wad"}},
      {"valve 220 quake", map_text({"sky4 [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1"}), false, false, MapKind::quake,
       {{"sky4", 1}}, {}},
      {"quake 2 by its numbers", map_text({"floor 0 0 0 1 1 0 0 0"}), false, false, MapKind::quake2, {{"floor", 1}}, {}},
      {"quake 2 valve", map_text({"floor [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1 0 8 0"}), false, false, MapKind::quake2,
       {{"floor", 1}}, {}},
      {"quake 2 by a folder", map_text({"e1u1/f 0 0 0 1 1"}), false, false, MapKind::quake2, {{"e1u1/f", 1}}, {}},
      {"quake 2 when told", map_text({"floor 0 0 0 1 1"}), false, true, MapKind::quake2, {{"floor", 1}}, {}},
      {"converted by its names; comments and patches skipped",
       map_text({"q1/#water0 0 0 0 1 1 0 0 0 // trailing words"},
                patch + "{\n// ( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) hidden 0 0 0 1 1\n}\n"),
       false,
       false, MapKind::converted, {{"q1/#water0", 1}}, {}},
      {"converted by the header", "// Quake map 'x.map' converted to Q3A format\n" + map_text({"common/clip 0 0 0 1 1"}),
       false, false, MapKind::converted, {{"common/clip", 1}}, {}},
      {"converted by the extension", map_text({"common/clip 0 0 0 1 1"}), true, false, MapKind::converted,
       {{"common/clip", 1}}, {}},
      {"one-line blocks, CR LF, points without blanks",
       "{ \"classname\" \"worldspawn\" }\r\n{\r\n{\r\n(0 0 0) (0 1 0) (1 0 0) a 0 0 0 1 1\r\n}\r\n}\r\n", false, false,
       MapKind::quake, {{"a", 1}}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    MapScan scan;
    std::string error;
    ASSERT_EQ(scan_map(c.text, c.converted_hint, c.force_quake2, scan, error), ScanStatus::ok) << error;
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
      {"{\n}\n}\n", ScanStatus::unbalanced, "line 3: '}' without a block to close"},
      {"{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) a 0 0 0 1 1\n", ScanStatus::unbalanced, "line 3: the map ends inside a block"},
      {"{\n{\n( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 )\n}\n}\n", ScanStatus::bad_face, "line 3: a face without a texture name"},
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
