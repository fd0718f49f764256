// Conversion mode end to end, in-process: the replacement table, the scale
// factors, the rewriting of brushes, origins and light values, and what a
// failure does.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <regex>
#include <sstream>

#include "fixed_textures.h"
#include "korvex_runner.h"
#include "test_paths.h"

using namespace conv;

namespace {

constexpr const char* worked_table = "light *\ninfo_player_start info_player_deathmatch\nfunc_door *\n";

constexpr const char* worked_example_1q3 = R"(// entity 0
{
  "classname" "worldspawn"
  // brush 1
  {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) base_floor/concrete 0 0 0 0.5 0.5 0 0 0
    ( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) base_floor/concrete 0 0 0 0.5 0.5 0 0 0
    ( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) base_floor/concrete 0 0 0 0.5 0.5 0 0 0
  }
}
// entity 1
  {
    "classname" "light"
    "origin" "32 32 48"
    "light" "200"
  }
// entity 3
  {
    "classname" "info_player_deathmatch"
    "origin" "16 16 24"
  }
// entity 4
  {
    "classname" "func_door"
    "angle" "90"
    {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0
    ( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0
    ( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0
    }
  }
)";

constexpr const char* worked_example_console = R"(4 classnames in 'q1.ent'
Processing 'test.map'
2 brushes
4 entities (3 replaced)
WARNING: invalid objects have been discarded,
see 'korvex.log' for details.
)";

constexpr const char* world = R"({
"classname" "worldspawn"
{
( 0 0 64 ) ( 128 0 64 ) ( 0 128 64 ) metal1_1 0 0 0 1 1
( 0 0 0 ) ( 0 128 0 ) ( 128 0 0 ) metal1_1 0 0 0 1 1
( -25 0 0 ) ( 128 0 0 ) ( 0 0 128 ) metal1_1 0 0 0 1 1
}
}
)";

const std::string concrete(fixed_textures[KIND_WORLD]);
const std::string clang(fixed_textures[KIND_DOOR]);
const std::string trigger(fixed_textures[KIND_TRIGGER]);

constexpr const char* table = R"(light *
light_fluoro light
info_null *
info_player_start info_player_deathmatch
func_door *
func_plat *
trigger_multiple *
func_wall func_static
x a_target_name_that_is_as_long_as_a_classname_may_be_in_table
)";

// A brush block of three copies of the plane line.
std::string brush(const std::string& p) { return "{\n" + p + "\n" + p + "\n" + p + "\n}\n"; }

// What the output holds after the world block.
std::string entities_of(const std::string& output) {
  const size_t end = output.find("\n}\n");
  return end == std::string::npos ? output : output.substr(end + 3);
}

// a.map converted with the table as q1.ent.
Golden convert(const std::string& name, const std::string& map, const Args& args = {},
               const std::string& entity_table = table) {
  Args all{"-s", "a.map"};
  all.insert(all.end(), args.begin(), args.end());
  return Golden(name).args(all).input("a.map", map).input("q1.ent", entity_table);
}

TEST(Conversion, WorkedExample) {
  Golden("worked example")
      .args({"-s", "test.map"})
      .input("test.map", *read_file(source_file("examples/test.map")))
      .input("q1.ent", worked_table)
      .console(worked_example_console)
      .output("test.1q3", conversion_header("test.map") + worked_example_1q3)
      .output("korvex.log", record(1, "Discarded invalid brush #1:") +
                                record(2, "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) sky1 0 0 0 1 1") + record(3, rule))
      .check();
}

TEST(Conversion, WorkedExampleWithCrLfLineEndsAndTable) {
  Golden("worked example, CR LF")
      .args({"-s", "test.map"})
      .input("test.map", with_crlf(*read_file(source_file("examples/test.map"))))
      .input("q1.ent", with_crlf(worked_table))
      .console(worked_example_console)
      .output("test.1q3", conversion_header("test.map") + worked_example_1q3)
      .check();
}

// The report a program reads instead of the console tells the same: the
// counts, the discarded brush with its line, the classes left out; and why
// a failed run failed.
TEST(Conversion, ReportTellsWhatTheConsoleAndTheLogTell) {
  const KorvexRun done = Golden("worked example")
                             .args({"-s", "test.map"})
                             .input("test.map", *read_file(source_file("examples/test.map")))
                             .input("q1.ent", worked_table)
                             .check();
  const RunReport& r = done.report;
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.completed);
  EXPECT_EQ(r.source, "test.map");
  EXPECT_EQ(r.output, "test.1q3");
  EXPECT_EQ(r.brushes, 2);
  EXPECT_EQ(r.entities, 4);
  EXPECT_EQ(r.written, 3);
  ASSERT_EQ(r.discarded.size(), 1U);
  EXPECT_EQ(r.discarded[0].what, "brush");
  EXPECT_EQ(r.discarded[0].number, 1);
  EXPECT_EQ(r.discarded[0].line, 10);
  EXPECT_EQ(r.discarded[0].reason, "a brush has fewer than 3 planes");
  EXPECT_EQ(r.left_out, (std::map<std::string, long>{{"info_notnull", 1}}));
  EXPECT_EQ(r.failure, "");

  // The same, as a script reads it back from --report.
  const KorvexRun reported = Golden("worked example, --report")
                                 .args({"-s", "test.map", "--report", "r.json"})
                                 .input("test.map", *read_file(source_file("examples/test.map")))
                                 .input("q1.ent", worked_table)
                                 .check();
  const std::optional<std::string> text = reported.file("r.json");
  ASSERT_TRUE(text.has_value());
  const nlohmann::json j = nlohmann::json::parse(*text);
  EXPECT_EQ(j["program"], "korvex");
  EXPECT_EQ(j["status"], 0);
  EXPECT_EQ(j["completed"], true);
  EXPECT_EQ(j["counts"], nlohmann::json::parse(R"({"brushes": 2, "entities": 4, "written": 3, "left_out": 1,
                                                   "discarded": 1})"));
  EXPECT_EQ(j["discarded"], nlohmann::json::parse(R"([{"what": "brush", "number": 1, "line": 10,
                                                      "reason": "a brush has fewer than 3 planes"}])"));
  EXPECT_EQ(j["left_out_classes"], nlohmann::json::parse(R"([{"class": "info_notnull", "count": 1}])"));
  EXPECT_EQ(j["game"]["converted_as"], "Quake");
  EXPECT_TRUE(j["seconds"].is_number());
  EXPECT_TRUE(j["lights"].is_null());

  const KorvexRun failed =
      convert("failed",
              "{\n{\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t\nno parenthesis\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t\n}\n}\n")
          .status(1)
          .check();
  EXPECT_EQ(failed.report.status, 1);
  EXPECT_FALSE(failed.report.completed);
  EXPECT_EQ(failed.report.failure, "Brush #0 write error: no delimiter (right parenthesis) in line");
}

// World brushes: points scaled and rounded down, or kept as text at 1.0.
TEST(Conversion, WorldBrushesAreScaledAndRetextured) {
  struct Row {
    std::vector<std::string> args;
    std::string lines;
  } rows[] = {
      {{"-g", "1.5"},
       "( 0 0 96 ) ( 192 0 96 ) ( 0 192 96 ) #\n( 0 0 0 ) ( 0 192 0 ) ( 192 0 0 ) #\n"
       "( -38 0 0 ) ( 192 0 0 ) ( 0 0 192 ) #\n"},
      {{},
       "( 0 0 64 ) ( 128 0 64 ) ( 0 128 64 ) #\n( 0 0 0 ) ( 0 128 0 ) ( 128 0 0 ) #\n"
       "( -25 0 0 ) ( 128 0 0 ) ( 0 0 128 ) #\n"},
      {{"-g", "0"},  // no size factor: the default 1 is used
       "( 0 0 64 ) ( 128 0 64 ) ( 0 128 64 ) #\n( 0 0 0 ) ( 0 128 0 ) ( 128 0 0 ) #\n"
       "( -25 0 0 ) ( 128 0 0 ) ( 0 0 128 ) #\n"},
  };
  for (const Row& row : rows) {
    std::string expected = row.lines;
    expected = std::regex_replace(expected, std::regex("(^|\n)\\("), "$1    (");
    expected = std::regex_replace(expected, std::regex("#"), concrete);
    convert(row.args.empty() ? "1.0" : row.args[1], world, row.args)
        .output("a.1q3", conversion_header("a.map") +
                             "// entity 0\n{\n  \"classname\" \"worldspawn\"\n  // brush 1\n  {\n" + expected + "  }\n}\n")
        .check();
  }
}

// The lines of an entity written by the converter, indented.
std::string written(std::string_view body) {
  std::string out = "// entity 1\n  {\n";
  for (size_t at = 0; at < body.size();) {
    const size_t nl = body.find('\n', at);
    out += "    " + std::string(body.substr(at, nl - at + 1));
    at = nl + 1;
  }
  return out + "  }\n";
}

// One entity converted: how it is written, or the write error that leaves
// it out while the run goes on.
TEST(Conversion, EntitiesAreRewritten) {
  const std::string null = "\"classname\" \"info_null\"\n", light = "\"classname\" \"light\"\n";
  const std::string wall = "\"classname\" \"func_wall\"\n", statik = "\"classname\" \"func_static\"\n";
  const std::string at0 = "\"origin\" \"0 0 0\"\n", p123 = "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) ";
  const std::string scaled = "( 2 4 6 ) ( 8 10 12 ) ( 14 16 18 ) ";
  const std::string digits16 = "( 1.000000000000001 2 3 ) ( 4 5 6 ) ( 7 8 9 ) ";
  struct Row {
    std::string name;
    std::vector<std::string> args;
    std::string in;     // the lines between the entity's braces
    std::string out;    // as written, when it is
    std::string error;  // the write error's message, if any
  } rows[] = {
      {"origin scaled down", {"-g", "1.5"}, null + "\"origin\" \"-25 100 8\"\n", null + "\"origin\" \"-38 150 12\"\n", ""},
      {"origin of four numbers, text behind", {"-g", "2"}, null + "\"origin\" \"0.25 -0.25 3 9\" tail\n",
       null + "\"origin\" \"0 -1 6\"\n", ""},
      {"origin kept as text at 1.0", {}, null + "\"origin\" \"1.5  2.25 -3\"\n", null + "\"origin\" \"1.5  2.25 -3\"\n", ""},
      {"origin of two numbers", {"-g", "2"}, null + "\"origin\" \"1 2\"\n", "", "token extraction error"},
      {"origin not a number", {"-g", "2"}, null + "\"origin\" \"1 x 2\"\n", "", "bad coordinate in entity or brush definition"},
      {"origin beyond the integer range", {"-g", "1000"}, null + "\"origin\" \"10000000 2 3\"\n", "",
       "bad coordinate in entity or brush definition"},
      {"classname replaced", {}, "\"classname\"  \"info_player_start\" junk\n" + at0,
       "\"classname\"  \"info_player_deathmatch\"\n" + at0, ""},
      {"light scaled", {"-l", "0.5"}, light + "\"light\" \"200\"\n" + at0, light + "\"light\" \"100\"\n" + at0, ""},
      {"light never below 1", {"-l", "0.004"}, light + "\"light\" \"200\"\n" + at0, light + "\"light\" \"1\"\n" + at0, ""},
      {"light supplied", {"-l", "0.5"}, light + at0, light + at0 + "\"light\" \"150\"\n", ""},
      {"light supplied, not clamped", {"-l", "0.001"}, light + at0, light + at0 + "\"light\" \"0\"\n", ""},
      {"light supplied, negative", {"-l", "-1"}, light + at0, light + at0 + "\"light\" \"-300\"\n", ""},
      {"light untouched at 1.0", {}, light + at0, light + at0, ""},
      {"first light key only, first word of the value", {"-l", "2"},
       light + "\"light\"\t\"300 7\"\n\"light\" \"200\"\n" + at0, light + "\"light\"\t\"600\"\n\"light\" \"200\"\n" + at0, ""},
      {"a class named light only by its target", {"-l", "0.5"}, "\"classname\" \"light_fluoro\"\n\"light\" \"200\"\n" + at0,
       light + "\"light\" \"200\"\n" + at0, ""},
      {"light not a number", {"-l", "0.5"}, light + "\"light\" \"abc\"\n" + at0, "", "bad light value"},
      {"light empty", {"-l", "0.5"}, light + "\"light\" \"\"\n" + at0, "", "bad light value"},
      {"light without a value", {"-l", "0.5"}, light + "\"light\"\n" + at0, "", "token extraction error"},
      {"light beyond the integer range", {"-l", "1e9"}, light + "\"light\" \"200\"\n" + at0, "", "bad light value"},
      {"light supplied beyond the integer range", {"-l", "1e8"}, light + at0, "", "bad light value"},
      {"door", {}, "\"classname\" \"func_door\"\n" + brush("( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) door1 0 0 0 1 1"),
       "\"classname\" \"func_door\"\n" + brush("( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) " + std::string(clang)), ""},
      {"plat, scaled, origin kept", {"-g", "2"},
       "\"classname\" \"func_plat\"\n\"origin\" \"1 1 1\"\n" + brush("(1 2 3)(4 5 6)(7 8 9)\tq2tex 0 0 0 1 1 0 1 5"),
       "\"classname\" \"func_plat\"\n\"origin\" \"1 1 1\"\n" + brush(scaled + clang), ""},
      {"trigger", {}, "\"classname\" \"trigger_multiple\"\n" + brush(p123 + "tex)name 1"),
       "\"classname\" \"trigger_multiple\"\n" + brush(p123 + "tex) " + trigger), ""},
      {"a listed class of no kind gets the world's texture", {}, wall + brush(p123 + "t"), statik + brush(p123 + concrete), ""},
      {"nothing behind the ninth number", {"-g", "2"}, wall + brush(p123), statik + brush(scaled + concrete), ""},
      {"no parenthesis at 1.0", {}, wall + brush("1 2 3 4 5 6 7 8 9 t"), "", "no delimiter (right parenthesis) in line"},
      {"no parenthesis, scaled", {"-g", "2"}, wall + brush("1 2 3 4 5 6 7 8 9 t"), statik + brush(scaled + concrete), ""},
      {"texture in place of a number", {"-g", "2"}, wall + brush("( 1 2 3 ) ( 4 5 6 ) ( 7 8 tex ) t"), "",
       "bad coordinate in entity or brush definition"},
      {"fewer than nine numbers", {"-g", "2"}, wall + brush("( 1 2 3 ) ( 4 5 6 )"), "", "token extraction error"},
      {"sixteen digits, scaled", {"-g", "1.5"}, wall + brush(digits16 + "t"), "", "bad coordinate in entity or brush definition"},
      {"sixteen digits, kept at 1.0", {}, wall + brush(digits16 + "t"), statik + brush(digits16 + concrete), ""},
      {"scaled plane line too long", {"-g", "1000000"}, wall + brush("( 1 1 1 ) ( 1 1 1 ) ( 1 1 1 ) " + std::string(480, 'r')),
       "", "rewritten line too long"},
      {"texture does not fit the line", {}, wall + brush("(" + std::string(470, ' ') + "1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t"), "",
       "rewritten line too long"},
      {"target does not fit the line", {}, std::string(450, ' ') + "\"classname\" \"x\"\n" + at0, "", "rewritten line too long"},
  };
  for (const Row& row : rows) {
    // A failed entity's block is in the log, as far as it was rewritten.
    const KorvexRun r =
        convert(row.name, world + ("{\n" + row.in + "}\n"), row.args)
            .console("10 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\n" +
                     (row.error.empty() ? "" : "Ent #1 write error: " + row.error + "\n") + "1 entities (" +
                     (row.error.empty() ? "1" : "0") + " replaced)\n")
            .output("korvex.log", row.error.empty() ? Want::none() : Want::present())
            .check();
    EXPECT_EQ(entities_of(r.file("a.1q3").value_or("<no output>")), row.error.empty() ? written(row.out) : "")
        << row.name;
  }
  convert("failed entity logged as rewritten", world + ("{\n" + wall + brush("1 2 3 4 5 6 7 8 9 t") + "}\n"))
      .output("korvex.log", Want::starting(record(1, "\"classname\" \"func_static\"")))
      .check();
}

TEST(Conversion, LightKeyThatNoLongerFitsTheBlock) {
  std::string entity = "{\n\"classname\" \"light\"\n\"origin\" \"0 0 0\"\n";
  for (int i = 2; i < 255; ++i) entity += "\"k\" \"v\"\n";
  const KorvexRun full = convert("no room", world + entity + "}\n", {"-l", "2"})
                             .console(Want::has({"Ent #1 write error: too many lines\n"}))
                             .check();
  EXPECT_EQ(entities_of(full.file("a.1q3").value_or("<no output>")), "");
  convert("room for the light key", world + entity.substr(0, entity.size() - 8) + "}\n", {"-l", "2"})
      .console(Want::lacks({"write error"}))
      .output("a.1q3", Want::has({"    \"light\" \"600\"\n  }\n"}))
      .check();
}

// Entities the reader rejects, and entities left out, in conversion mode.
TEST(Conversion, InvalidAndUnlistedEntities) {
  const std::string plane = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) door1 0 0 0 1 1";
  struct Row {
    std::string name;
    std::string entity;
    std::string console;
    int status;
  } rows[] = {
      {"no classname", "{\n\"origin\" \"0 0 0\"\n\"angle\" \"90\"\n}\n", "Ent #1 load error (5): no classname found\n", 1},
      {"Classname is an ordinary key", "{\n\"Classname\" \"light\"\n\"origin\" \"0 0 0\"\n}\n",
       "Ent #1 load error (5): no classname found\n", 1},
      {"no origin and no brush", "{\n\"classname\" \"unlisted\"\n\"angle\" \"9\"\n}\n",
       "Ent #1 load error (12): no origin defined for entity\n", 1},
      {"a brush of two plane lines", "{\n\"classname\" \"func_door\"\n{\n" + plane + "\n" + plane + "\n}\n}\n",
       "Ent #1 load error (9): invalid brush definition in entity\n", 1},
      {"a brush of 33 plane lines",
       "{\n\"classname\" \"func_door\"\n{\n" + [&] {
         std::string s;
         for (int i = 0; i < 33; ++i) s += plane + "\n";
         return s;
       }() + "}\n}\n",
       "Ent #1 load error (9): invalid brush definition in entity\n", 1},
      {"unlisted class", "{\n\"classname\" \"monster_army\"\n\"origin\" \"0 0 0\"\n}\n", "1 entities (0 replaced)\n", 0},
      {"value of two words never matches", "{\n\"classname\" \"light x\"\n\"origin\" \"0 0 0\"\n}\n",
       "1 entities (0 replaced)\n", 0},
      {"one line only",
       "{\n\"classname\" \"light\"\n}\n",
       "1 entities (0 replaced)\nWARNING: invalid objects have been discarded,\nsee 'korvex.log' for details.\n", 0},
  };
  for (const Row& row : rows) {
    Golden c = convert(row.name, world + row.entity);
    c.status(row.status)
        .console("10 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\n" + row.console)
        .output("a.1q3", row.status == 0 ? Want::present() : Want::none());
    if (row.name == "one line only")
      c.output("korvex.log",
               record(1, "Discarded invalid entity 1:") + record(2, "\"classname\" \"light\"") + record(3, rule));
    const KorvexRun r = c.check();
    if (row.status == 0) {
      EXPECT_EQ(entities_of(r.file("a.1q3").value_or("")), "") << row.name;
    }
  }
}

// A world brush that cannot be rewritten ends the run; invalid ones are
// dropped and counted.
TEST(Conversion, WorldBrushFailures) {
  convert("brush that cannot be rewritten",
          "{\n{\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t\nno parenthesis\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t\n}\n}\n")
      .status(1)
      .console("10 classnames in 'q1.ent'\nProcessing 'a.map'\n"
               "Brush #0 write error: no delimiter (right parenthesis) in line\n")
      .output("korvex.log", record(1, "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) base_floor/concrete 0 0 0 0.5 0.5 0 0 0") +
                                record(2, "no parenthesis") + record(3, "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t") +
                                record(4, rule))
      .output("a.1q3", Want::none())
      .check();
  convert("invalid brushes dropped",
          "{\n{\n( 1 2 3 ) x\n}\n{\n}\n}\n{\n\"classname\" \"info_null\"\n\"origin\" \"1 2 3\"\n}\n")
      .console("10 classnames in 'q1.ent'\nProcessing 'a.map'\n2 brushes\n1 entities (1 replaced)\n"
               "WARNING: invalid objects have been discarded,\nsee 'korvex.log' for details.\n")
      .output("a.1q3", conversion_header("a.map") +
                           "// entity 0\n{\n  \"classname\" \"worldspawn\"\n}\n// entity 1\n  {\n"
                           "    \"classname\" \"info_null\"\n    \"origin\" \"1 2 3\"\n  }\n")
      .output("korvex.log", record(1, "Discarded invalid brush #0:") + record(2, "( 1 2 3 ) x") + record(3, rule) +
                                record(4, "Discarded invalid brush #1:") + record(5, rule))
      .check();
}

TEST(Conversion, FactorsFallBackToOne) {
  convert("bad factors", world, {"-l", "abc", "-g", "1,5"})
      .console("Bad light scale value, using default (1.000000)\n"
               "Bad size scale value, using default (1.000000)\n"
               "10 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\nWarning: no entity\n")
      .output("a.1q3", Want::has({"( -25 0 0 )"}))
      .check();
}

TEST(Conversion, QuakeTwoMapsUseTheirTableAndHeader) {
  Golden("Quake 2")
      .args({"-s", "a.map", "-q2"})
      .input("a.map", world)
      .input("q2.ent", "light *\n")
      .console("2 classnames in 'q2.ent'\nProcessing 'a.map'\n1 brushes\nWarning: no entity\n")
      .output("a.2q3", Want::starting(conversion_header("a.map", true).substr(0, 60)))
      .check();
}

// Loading the table: what is stored, what ends it, what fails it.
TEST(Conversion, ReplacementTable) {
  std::string full_63, full_70;
  for (int i = 0; i < 70; ++i) (i < 63 ? full_63 : full_70) += std::string("c").append(std::to_string(i)) + " *\n";
  full_70 = full_63 + full_70 + "lonely\n";
  const std::string entities =
      "{\n\"classname\" \"a\"\n\"origin\" \"0 0 0\"\n}\n{\n\"classname\" \"b\"\n\"origin\" \"0 0 0\"\n}\n"
      "{\n\"classname\" \"c62\"\n\"origin\" \"0 0 0\"\n}\n";
  struct Row {
    std::string name;
    std::string table;
    std::string console;  // up to "Processing"
    std::string written;  // classnames written, in order
  } rows[] = {
      {"empty table", "", "1 classnames in 'q1.ent'\n", ""},
      {"blank first line", " \t\na *\n", "1 classnames in 'q1.ent'\n", ""},
      {"blank line ends the table", "a *\n\nb *\n", "2 classnames in 'q1.ent'\n", "\"a\""},
      {"blanks before, remarks after", "\t  a   renamed  remark words\n b *anything\n", "3 classnames in 'q1.ent'\n",
       "\"renamed\"\"b\""},
      {"first duplicate wins", "a first\na second\n", "3 classnames in 'q1.ent'\n", "\"first\""},
      {"CR LF table", "a *\r\nb full_target\r\n", "3 classnames in 'q1.ent'\n", "\"a\"\"full_target\""},
      {"61-character name", std::string(61, 'n') + " *\n", "2 classnames in 'q1.ent'\n", ""},
      {"63 entries", full_63,
       "Warning: too many classnames in entity replacement table\n64 classnames in 'q1.ent'\n", "\"c62\""},
      {"more than 63 entries", full_70,
       "Warning: too many classnames in entity replacement table\n64 classnames in 'q1.ent'\n", "\"c62\""},
      {"one word", "a *\n//\n", "Entity table error: token extraction error\n", ""},
      {"62-character name", std::string(62, 'n') + " *\n", "Entity table error: token extraction error\n", ""},
      {"62-character target", "a " + std::string(62, 't') + "\n", "Entity table error: token extraction error\n", ""},
      {"63-character '*' word", "a *" + std::string(62, 't') + "\n", "Entity table error: token extraction error\n", ""},
      {"64-character word", std::string(64, 'n') + " *\n", "Entity table error: token extraction error\n", ""},
  };
  for (const Row& row : rows) {
    const bool loaded = row.console.find("error") == std::string::npos;
    const KorvexRun r = convert(row.name, world + entities, {}, row.table)
                            .status(loaded ? 0 : 1)
                            .console(loaded ? Want::starting(row.console + "Processing") : Want(row.console))
                            .output("a.1q3", loaded ? Want::present() : Want::none())
                            .check();
    if (loaded) {
      std::string written;
      const std::regex classname("\"classname\" (\"[^\"]*\")");
      const std::string out = entities_of(r.file("a.1q3").value_or(""));
      for (std::sregex_iterator m(out.begin(), out.end(), classname), end; m != end; ++m) written += (*m)[1];
      EXPECT_EQ(written, row.written) << row.name;
    }
  }
}

TEST(Conversion, TableThatCannotBeOpened) {
  struct Row {
    std::vector<std::string> args;
    std::string console;
  } rows[] = {
      {{}, "Entity table error: cannot open the file 'q1.ent'\n"},
      {{"-q2"}, "Entity table error: cannot open the file 'q2.ent'\n"},
      {{"-e", "tables/mine.ent"}, "Entity table error: cannot open the file 'tables/mine.ent'\n"},
  };
  for (const Row& row : rows) {
    Args args{"-s", "a.map"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    Golden(row.console).args(args).input("a.map", world).status(1).console(row.console).names({"a.map"}).check();
  }
}

// The shipped tables load without a warning, and the bundled example
// converted with them has a texture string at the end of every plane line.
TEST(Conversion, ShippedTables) {
  for (const char* game : {"q1", "q2"}) {
    SCOPED_TRACE(game);
    const std::string table_path = source_file(std::string("tables/") + game + ".ent");
    Args args{"-s", "test.map", "-e", table_path, "-g", "1.5", "-l", "0.5"};
    if (game[1] == '2') args.push_back("-q2");
    const KorvexRun r = Golden(game)
                            .args(args)
                            .input("test.map", *read_file(source_file("examples/test.map")))
                            .inputs({disk_file(table_path)})
                            .console(Want::lacks({"Warning"}))
                            .check();
    const std::string out = r.file(game[1] == '2' ? "test.2q3" : "test.1q3").value_or("");
    std::istringstream lines(out);
    int planes = 0;
    for (std::string line; std::getline(lines, line);) {
      if (!line.starts_with("    (")) continue;
      ++planes;
      EXPECT_TRUE(line.ends_with(concrete) || line.ends_with(clang) || line.ends_with(trigger)) << line;
    }
    EXPECT_EQ(planes, 6);
  }
}

}  // namespace
