// Maps to play in a Q3 engine, end to end in-process: texture rules (-t)
// and the alignment they keep, Quake 2 flags, world keys (-k), and the
// entity graph that -q3 makes safe.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "korvex_runner.h"

namespace {

// The brush lines of an output map, without indentation.
std::vector<std::string> face_lines(const std::string& map) {
  std::vector<std::string> faces;
  std::istringstream in(map);
  for (std::string line; std::getline(in, line);) {
    const size_t s = line.find_first_not_of(' ');
    if (s != std::string::npos && line[s] == '(') faces.push_back(line.substr(s));
  }
  return faces;
}

const std::string default_table = "info_null *\nfunc_door *\ntrigger_multiple *\nfunc_detail func_group\n"
                                  "func_train *\npath_corner *\ntrigger_relay target_relay\nfunc_group *\n";

// m.map converted into out.map with the class table t.ent and, when there
// are rules, the texture rules rules.tex.
Golden convert(const std::string& name, const std::string& map, const std::string& rules, const Args& options,
               const std::string& table = default_table) {
  Args args{"-s", "m.map", "-d", "out.map", "-e", "t.ent"};
  if (!rules.empty()) args.insert(args.end(), {"-t", "rules.tex"});
  args.insert(args.end(), options.begin(), options.end());
  return Golden(name).args(args).inputs({{"m.map", map}, {"rules.tex", rules}, {"t.ent", table}});
}

std::string world_of(const std::string& faces, const std::string& keys = "") {
  return "{\n\"classname\" \"worldspawn\"\n" + keys + "{\n" + faces + "}\n}\n";
}

struct RuleCase {
  const char* name;
  const char* rules;
  std::vector<std::string> options;
  const char* faces;     // world brush lines in
  const char* expected;  // the same lines out
};

const char* const three_q1 =
    "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) *WATER0 16 8 90 1 2\n"
    "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) *lava1 0 0 0 0.5 0.5\n"
    "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) water1 -4 0 0 1 1\n";

const RuleCase rule_cases[] = {
    {"a literal star, and a name that only looks like a liquid",
     "# liquids\n\\*lava*  liquids/lavahell\n\\**  liquids/clear_calm1  # any other\n* @keep\n", {}, three_q1,
     "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) liquids/clear_calm1 16 8 90 1 2 0 0 0\n"
     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) liquids/lavahell 0 0 0 0.5 0.5 0 0 0\n"
     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) q1/water1 -4 0 0 1 1 0 0 0\n"},
    {"kept under the folder, lowercased, star written as hash; no rule: the owner's", "*A* @keep\n", {},
     three_q1,
     "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/#water0 16 8 90 1 2 0 0 0\n"
     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) q1/#lava1 0 0 0 0.5 0.5 0 0 0\n"
     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) q1/water1 -4 0 0 1 1 0 0 0\n"},
    {"the owner's texture by a rule and by none", "*lava* @owner\nwater? q3/w\n", {}, three_q1,
     "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) base_floor/concrete 0 0 0 0.5 0.5 0 0 0\n"
     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) base_floor/concrete 0 0 0 0.5 0.5 0 0 0\n"
     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) q3/w -4 0 0 1 1 0 0 0\n"},
    {"-g 2 doubles points and texture scales, offsets kept", "* @keep\n", {"-g", "2"}, three_q1,
     "( 0 0 0 ) ( 0 128 0 ) ( 128 0 0 ) q1/#water0 16 8 90 2 4 0 0 0\n"
     "( 0 0 32 ) ( 128 0 32 ) ( 0 128 32 ) q1/#lava1 0 0 0 1 1 0 0 0\n"
     "( 0 0 0 ) ( 128 0 0 ) ( 0 0 128 ) q1/water1 -4 0 0 2 2 0 0 0\n"},
    {"Quake 2 flags tested, detail bit kept, surface and value kept",
     "* +water liquids/clear_calm1\n* +sky !nodraw skies/tim_hell\n* @keep\n", {"-q2"},
     "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/WATER1_8 0 0 0 1 1 32 40 0\n"
     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) e1u1/sky1 0 0 0 1 1 1 4 0\n"
     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) e1u1/floor1_3 0 0 0 1 1 134217729 1 300\n"
     "( 0 0 1 ) ( 64 0 1 ) ( 0 0 65 ) e1u1/sky1 0 0 0 1 1 1 132 0\n",
     "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) liquids/clear_calm1 0 0 0 1 1 0 40 0\n"
     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) skies/tim_hell 0 0 0 1 1 0 4 0\n"
     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) q2/e1u1/floor1_3 0 0 0 1 1 134217728 1 300\n"
     "( 0 0 1 ) ( 64 0 1 ) ( 0 0 65 ) q2/e1u1/sky1 0 0 0 1 1 0 132 0\n"},
    {"Valve 220 kept; a fixed-texture face gets axes from its plane",
     "*lava* @owner\n* @keep\n", {"-g", "2"},
     "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) wall [ 0 1 0 8 ] [ 0 0 -1 16 ] 0 0.5 0.5\n"
     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) *lava1 [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1\n"
     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) floor 0 0 90 1 1\n",
     "( 0 0 0 ) ( 0 128 0 ) ( 128 0 0 ) q1/wall [ 0 1 0 8 ] [ 0 0 -1 16 ] 0 1 1 0 0 0\n"
     "( 0 0 32 ) ( 128 0 32 ) ( 0 128 32 ) base_floor/concrete [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 0.5 0.5 0 0 0\n"
     "( 0 0 0 ) ( 128 0 0 ) ( 0 0 128 ) q1/floor [ 0 0 1 0 ] [ 1 0 0 0 ] 90 2 2 0 0 0\n"},
};

class Rules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(Rules, FacesOut) {
  const RuleCase& c = GetParam();
  const KorvexRun out = convert(c.name, world_of(c.faces), c.rules, c.options).check();
  std::string faces;
  for (const std::string& line : face_lines(out.file("out.map").value_or(""))) faces += line + "\n";
  EXPECT_EQ(faces, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Faces, Rules, ::testing::ValuesIn(rule_cases), [](const auto& test) {
  std::string name = test.param.name;
  for (char& ch : name)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

const char* const brush3 =
    "{\n( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) trigger 0 0 0 1 1\n( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) trigger 0 0 0 1 1\n"
    "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) trigger 0 0 0 1 1\n}\n";

// A world of one brush, for maps whose entities are what matters.
const std::string plain_world = world_of("( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1\n"
                                         "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) w 0 0 0 1 1\n"
                                         "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) w 0 0 0 1 1\n");

// Runs -q3 on m.map with the class table and "* @keep" as the shipped tables.
Golden play(const std::string& name, const std::string& map, const char* classes) {
  return Golden(name)
      .args({"-s", "m.map", "-d", "out.map", "-q3"})
      .inputs({{"m.map", map}, {"q1.ent", classes}, {"q1.tex", "* @keep\n"}});
}

TEST(Rules, OwnerKindAndDetailClasses) {
  const std::string map = plain_world + "{\n\"classname\" \"trigger_multiple\"\n" + brush3 + "}\n" +
                          "{\n\"classname\" \"func_detail\"\n" + brush3 + "}\n";
  const KorvexRun out =
      convert("owner kinds", map, "* @keep\n", {})
          .output("out.map", Want::has({"\"classname\" \"func_group\""}))
          .check();
  const std::vector<std::string> faces = face_lines(out.file("out.map").value_or(""));
  ASSERT_EQ(faces.size(), 9U);
  EXPECT_EQ(faces[3], "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) common/trigger -4 0 0 0.5 0.5 0 0 0");
  EXPECT_EQ(faces[6], "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) q1/trigger 0 0 0 1 1 134217728 0 0");
}

TEST(WorldKeys, KeptWithoutWadListsAndValveMapsNamed) {
  const std::string keys = "\"wad\" \"/q/id1/gfx.wad\"\n\"message\" \"The Slipgate Complex\"\n"
                           "\"_wad\" \"a.wad\"\n\"_fog\" \"0.03 0.1 0.1 0.1\"\n\"sky\" \"unit1_\"\n";
  const char* face = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w [ 0 1 0 0 ] [ 0 0 -1 0 ] 0 1 1\n"
                     "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) w [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1\n"
                     "( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) w [ 1 0 0 0 ] [ 0 0 -1 0 ] 0 1 1\n";
  const std::string head = "{\n  \"classname\" \"worldspawn\"\n";
  convert("-k", world_of(face, keys), "", {"-k"})
      .output("out.map",
              Want::has({head + "  \"message\" \"The Slipgate Complex\"\n  \"sky\" \"unit1_\"\n  // brush 1"}))
      .check();
  convert("Valve 220 named", world_of(face, keys), "* @keep\n", {})
      .output("out.map", Want::has({head + "  \"mapversion\" \"220\"\n  // brush 1"}))
      .check();
  const KorvexRun both =
      convert("named once", world_of(face, keys + "\"mapversion\" \"220\"\n"), "* @keep\n", {"-k"}).check();
  const std::string both_map = both.file("out.map").value_or("");
  EXPECT_EQ(both_map.find("\"mapversion\""), both_map.rfind("\"mapversion\"")) << "written once";
  convert("classic", world_of(face, keys), "", {}).output("out.map", Want::lacks({"message"})).check();
}

// -fog: Quake's world fog as a detail box 16 units around the world's
// brushes, in the map's own face form, textured with the fog's name.
TEST(WorldFog, QuakeFogBecomesAVolumeAroundTheWorld) {
  const std::string box_faces =
      "( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) w 0 0 0 1 1\n( 64 0 0 ) ( 64 0 1 ) ( 64 1 0 ) w 0 0 0 1 1\n"
      "( 0 0 0 ) ( 0 0 1 ) ( 1 0 0 ) w 0 0 0 1 1\n( 0 64 0 ) ( 1 64 0 ) ( 0 64 1 ) w 0 0 0 1 1\n"
      "( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) w 0 0 0 1 1\n( 0 0 16 ) ( 0 1 16 ) ( 1 0 16 ) w 0 0 0 1 1\n";
  const std::string valve_faces = std::regex_replace(box_faces, std::regex(" 0 0 0 1 1\n"),
                                                     " [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1\n");
  const std::string fog = "\"fog\" \"0.05 0.725 0.823 0.992\"\n";
  const std::string volume =
      "  }\n  // fog volume\n  {\n"
      "    ( -16 -16 32 ) ( -16 -16 -16 ) ( -16 80 -16 ) korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0\n"
      "    ( 80 80 -16 ) ( 80 -16 -16 ) ( 80 -16 32 ) korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0\n"
      "    ( 80 -16 -16 ) ( -16 -16 -16 ) ( -16 -16 32 ) korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0\n"
      "    ( -16 80 32 ) ( -16 80 -16 ) ( 80 80 -16 ) korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0\n"
      "    ( -16 80 -16 ) ( -16 -16 -16 ) ( 80 -16 -16 ) korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0\n"
      "    ( 80 -16 32 ) ( -16 -16 32 ) ( -16 80 32 ) korvex/fog_b9d2fd_4316 0 0 0 1 1 134217728 0 0\n"
      "  }\n}\n";
  const struct {
    const char* name;
    std::string map;
    Args options;
    Want want;
  } cases[] = {
      {"after the last world brush", world_of(box_faces, fog), {"-fog"}, Want::has({volume})},
      {"Valve 220 faces along the box",
       world_of(valve_faces, fog),
       {"-fog"},
       Want::has({"( -16 -16 32 ) ( -16 -16 -16 ) ( -16 80 -16 ) korvex/fog_b9d2fd_4316 [ 0 1 0 0 ] [ 0 0 -1 0 ] "
                  "0 1 1 134217728 0 0\n"})},
      {"not asked for: the key still goes", world_of(box_faces, fog), {"-k"}, Want::lacks({"fog"})},
      {"a fog of no density", world_of(box_faces, "\"fog\" \"0 0.5 0.5 0.5\"\n"), {"-fog"}, Want::lacks({"fog"})},
      {"no fog key", world_of(box_faces), {"-fog"}, Want::lacks({"fog"})},
  };
  for (const auto& c : cases) convert(c.name, c.map, "* @keep\n", c.options).output("out.map", c.want).check();
}

// The entity graph under -q3: train chains closed at their first corner,
// relay cycles cut, editor layers left out of the level.
TEST(EntityGraph, MadeSafeUnderQ3) {
  auto corner = [](const char* name, const char* target) {
    return std::string("{\n\"classname\" \"path_corner\"\n\"targetname\" \"") + name + "\"\n" +
           (target ? std::string("\"target\" \"") + target + "\"\n" : "") + "\"origin\" \"0 0 0\"\n}\n";
  };
  auto train = [](const char* first) {
    return std::string("{\n\"classname\" \"func_train\"\n\"target\" \"") + first + "\"\n" + brush3 + "}\n";
  };
  const std::string map =
      plain_world + train("a1") + corner("a1", "a2") + corner("a2", "a3") + corner("a3", "a3") +          // 1-4: stops on itself
      train("b1") + corner("b1", "b2") + corner("b2", "b3") + corner("b3", "b2") +          // 5-8: loops back
      train("c1") + corner("c1", "c2") + corner("c2", "c1") +                              // 9-11: a loop already
      "{\n\"classname\" \"trigger_relay\"\n\"targetname\" \"r1\"\n\"target\" \"r2\"\n\"origin\" \"0 0 0\"\n}\n"
      "{\n\"classname\" \"trigger_relay\"\n\"targetname\" \"r2\"\n\"target\" \"r1\"\n\"origin\" \"0 0 0\"\n}\n"
      "{\n\"classname\" \"func_group\"\n\"_tb_type\" \"_tb_layer\"\n\"_tb_id\" \"7\"\n"
      "\"_tb_layer_omit_from_export\" \"1\"\n" + brush3 + "}\n"                            // 14
      "{\n\"classname\" \"info_null\"\n\"_tb_layer\" \"7\"\n\"origin\" \"0 0 0\"\n}\n"      // 15
      "{\n\"classname\" \"info_null\"\n\"_tb_layer\" \"8\"\n\"origin\" \"0 0 0\"\n}\n";     // 16
  const KorvexRun r =
      play("entity graph", map, "func_train *\npath_corner *\ntrigger_relay target_relay\nfunc_group *\ninfo_null *\n")
          .errors(Want::has({"corner 'a3' (entity 4) targets itself", "corner 'b3' (entity 8) loops back to 'b2'",
                             "relay entity 13", "2 entities left out"}))
          .check();
  const std::string out = r.file("out.map").value_or("");
  auto entity = [&out](int n) {
    const size_t at = out.find("// entity " + std::to_string(n) + "\n");
    if (at == std::string::npos) return std::string();
    return out.substr(at, out.find("// entity", at + 1) - at);
  };
  EXPECT_NE(entity(4).find("\"target\" \"a1\""), std::string::npos) << entity(4);
  EXPECT_NE(entity(8).find("\"target\" \"b1\""), std::string::npos) << entity(8);
  EXPECT_NE(entity(3).find("\"target\" \"a3\""), std::string::npos);
  EXPECT_NE(entity(11).find("\"target\" \"c1\""), std::string::npos) << "a loop is left alone";
  EXPECT_NE(entity(13).find("\"_cut_target\" \"r1\""), std::string::npos) << entity(13);
  EXPECT_NE(entity(12).find("\"target\" \"r2\""), std::string::npos);
  EXPECT_EQ(entity(14), "");
  EXPECT_EQ(entity(15), "");
  EXPECT_NE(entity(16), "");
}

// A Quake train runs with the lowest corner of its brushes on the path; a
// Q3 train with its origin: -q3 gives it an origin brush at that corner.
TEST(EntityGraph, TrainsGetAnOriginBrushAtTheirLowestCorner) {
  const std::string box =
      "{\n( 100 200 300 ) ( 100 264 300 ) ( 100 200 364 ) t 0 0 0 1 1\n"
      "( 164 200 300 ) ( 164 200 364 ) ( 164 264 300 ) t 0 0 0 1 1\n"
      "( 100 200 300 ) ( 100 200 364 ) ( 164 200 300 ) t 0 0 0 1 1\n"
      "( 100 232 300 ) ( 164 232 300 ) ( 100 232 364 ) t 0 0 0 1 1\n"
      "( 100 200 300 ) ( 164 200 300 ) ( 100 264 300 ) t 0 0 0 1 1\n"
      "( 100 200 340 ) ( 100 264 340 ) ( 164 200 340 ) t 0 0 0 1 1\n}\n";
  const std::string map = plain_world + "{\n\"classname\" \"func_train\"\n\"target\" \"a\"\n" + box + "}\n" +
                          "{\n\"classname\" \"func_door\"\n" + box + "}\n" +
                          "{\n\"classname\" \"path_corner\"\n\"targetname\" \"a\"\n\"target\" \"a\"\n\"origin\" \"0 0 0\"\n}\n";
  const KorvexRun r = play("train origin", map, "func_train *\nfunc_door *\npath_corner *\n")
                          .errors(Want::has({"1 train(s) given an origin brush"}))
                          .check();
  const std::string out = r.file("out.map").value_or("");
  const std::string origin =
      "    {\n"
      "    ( 92 192 308 ) ( 92 192 292 ) ( 92 208 292 ) common/origin 0 0 0 0.5 0.5 0 0 0\n"
      "    ( 108 208 292 ) ( 108 192 292 ) ( 108 192 308 ) common/origin 0 0 0 0.5 0.5 0 0 0\n"
      "    ( 108 192 292 ) ( 92 192 292 ) ( 92 192 308 ) common/origin 0 0 0 0.5 0.5 0 0 0\n"
      "    ( 92 208 308 ) ( 92 208 292 ) ( 108 208 292 ) common/origin 0 0 0 0.5 0.5 0 0 0\n"
      "    ( 92 208 292 ) ( 92 192 292 ) ( 108 192 292 ) common/origin 0 0 0 0.5 0.5 0 0 0\n"
      "    ( 108 192 308 ) ( 92 192 308 ) ( 92 208 308 ) common/origin 0 0 0 0.5 0.5 0 0 0\n"
      "    }\n  }\n// entity 2\n";
  EXPECT_NE(out.find(origin), std::string::npos) << out;
  size_t origin_faces = 0;
  for (size_t at = out.find("common/origin"); at != std::string::npos; at = out.find("common/origin", at + 1))
    ++origin_faces;
  EXPECT_EQ(origin_faces, 6U) << "the train's six, and none for the door";
}

// A bad rule table ends the run before anything is written, with a message
// that names the file and the line.
TEST(Rules, BadTablesAreRefused) {
  const std::string& map = plain_world;
  const struct {
    std::string rules;
    const char* message;
  } cases[] = {
      {"# fine\n\nclip\n", "Texture table error: rules.tex:3: a rule needs a pattern and a replacement"},
      {"* +wet liquids/x\n", "Texture table error: rules.tex:1: '+wet' is no flag test"},
      {"sky\\ skies/x\n", "Texture table error: rules.tex:1: pattern 'sky\\' ends in an escape"},
      {"a b\n* @kept\n", "Texture table error: rules.tex:2: '@kept' is no replacement"},
      {"* " + std::string(64, 'n') + "\n", "Texture table error: rules.tex:1: texture name 'nnnn"},
  };
  for (const auto& c : cases)
    convert(c.rules, map, c.rules, {})
        .status(1)
        .console(Want::has({c.message}))
        .output("out.map", Want::none())
        .check();
  Golden("missing rules")
      .args({"-s", "m.map", "-t", "none.tex"})
      .inputs({{"m.map", map}, {"q1.ent", "x *\n"}})
      .status(1)
      .console(Want::has({"Texture table error: cannot open the file 'none.tex'"}))
      .output("m.1q3", Want::none())
      .check();
}

}  // namespace
