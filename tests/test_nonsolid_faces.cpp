// Faces that must not block: the names they are written with, read back by
// the pack writer, and the rewrite of a brush entity's faces.
#include <gtest/gtest.h>

#include "map_text.h"
#include "nonsolid_faces.h"
#include "nonsolid_names.h"

using namespace conv;

namespace {

using kmap::Solidity;

struct NameCase {
  const char* chosen;
  Solidity solidity;
  const char* written;
};

const NameCase name_cases[] = {
    {"q1/metal1", Solidity::nonsolid, "q1/nonsolid/metal1"},
    {"q1/#water1", Solidity::nonsolid, "q1/nonsolid/#water1"},
    {"Q2/e1u1/floor1_3", Solidity::nonsolid_opaque, "Q2/nonsolid_opaque/e1u1/floor1_3"},
    {"common/caulk", Solidity::nonsolid, "common/nodraw"},
    {"COMMON/Clip", Solidity::nonsolid_opaque, "common/nodraw"},
    {"common/trigger", Solidity::nonsolid, "common/trigger"},
    {"liquids/clear_calm1", Solidity::nonsolid, "liquids/clear_calm1"},
    {"base_floor/concrete", Solidity::nonsolid, "korvex/nonsolid"},
    {"base_floor/concrete", Solidity::nonsolid_opaque, "korvex/nonsolid_opaque"},
    {"q1/", Solidity::nonsolid, "korvex/nonsolid"},
    {"q1/metal1", Solidity::solid, "q1/metal1"},
};

TEST(NonsolidNames, WrittenByTheChosenName) {
  for (const NameCase& c : name_cases)
    EXPECT_EQ(kmap::nonsolid_texture_name(c.chosen, c.solidity), c.written) << c.chosen;
}

TEST(NonsolidNames, ReadBackToTheKeptName) {
  struct ReadCase {
    const char* name;
    bool read;
    Solidity solidity;
    const char* kept;
  };
  const ReadCase cases[] = {
      {"q1/nonsolid/metal1", true, Solidity::nonsolid, "q1/metal1"},
      {"Q2/NONSOLID_OPAQUE/e1u1/x", true, Solidity::nonsolid_opaque, "Q2/e1u1/x"},
      {"q1/nonsolid/", false, Solidity::solid, ""},
      {"q1/nonsolidx/a", false, Solidity::solid, ""},
      {"q1/metal1", false, Solidity::solid, ""},
      {"korvex/nonsolid", false, Solidity::solid, ""},
  };
  for (const ReadCase& c : cases) {
    Solidity solidity = Solidity::solid;
    std::string kept;
    EXPECT_EQ(kmap::read_nonsolid_name(c.name, solidity, kept), c.read) << c.name;
    EXPECT_EQ(solidity, c.solidity) << c.name;
    EXPECT_EQ(kept, c.kept) << c.name;
  }
}

TEST(NonsolidFaces, EveryFaceOfEveryBrushRenamedKeysLeftAlone) {
  kmap::Entity e = entity_from_text(
      "\"classname\" \"func_group\"\n"
      "\"message\" \"q1/metal1\"\n"
      "{\n"
      "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/metal1 0 0 0 0.5 0.5 0 0 0\n"
      "( 0 0 0 ) ( 0 0 64 ) ( 0 64 0 ) common/caulk 0 0 0 0.5 0.5 0 0 0\n"
      "}\n"
      "{\n"
      "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/{grate [ 1 0 0 8 ] [ 0 -1 0 0 ] 0 1 1 0 0 0\n"
      "}\n");
  ASSERT_EQ(write_nonsolid_faces(e.lines, Solidity::nonsolid), CONV_OK);
  EXPECT_EQ(entity_text(e),
            "\"classname\" \"func_group\"\n"
            "\"message\" \"q1/metal1\"\n"
            "{\n"
            "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/nonsolid/metal1 0 0 0 0.5 0.5 0 0 0\n"
            "( 0 0 0 ) ( 0 0 64 ) ( 0 64 0 ) common/nodraw 0 0 0 0.5 0.5 0 0 0\n"
            "}\n"
            "{\n"
            "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/nonsolid/{grate [ 1 0 0 8 ] [ 0 -1 0 0 ] 0 1 1 0 0 0\n"
            "}\n");
}

}  // namespace
