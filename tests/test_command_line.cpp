// The command line and the console around a run, in-process: help and
// version, the hints on standard error, names with blanks and UTF-8, the
// size factor and the derived output name.
#include <gtest/gtest.h>

#include <filesystem>

#include "hints.h"
#include "korvex_runner.h"

using namespace kmap;
using namespace conv;

namespace fs = std::filesystem;

namespace {

const std::string see_help = "korvex: see 'korvex --help' for the options\n";
const std::string table = "info_null *\nfunc_wall *\nlight *\n";
constexpr const char* q1_face = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1\n";

std::string repeat(std::string_view text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}
std::string brush(int planes, std::string_view face = q1_face) { return "{\n" + repeat(face, planes) + "}\n"; }
std::string world(std::string_view brushes) { return "{\n\"classname\" \"worldspawn\"\n" + std::string(brushes) + "}\n"; }
std::string entity(std::string_view body) { return "{\n" + std::string(body) + "}\n"; }
const std::string small_world = world(brush(3));

// a.map run with args, q1.ent holding the table.
Golden run(const std::string& name, const std::string& map, const Args& args) {
  Args all{"-s", "a.map"};
  all.insert(all.end(), args.begin(), args.end());
  return Golden(name).args(all).inputs({{"q1.ent", table}, {"a.map", map}});
}

TEST(CommandLine, HelpAndVersionAloneAnswerWithoutBannerOrLog) {
  for (const char* word : {"--help", "-help", "-h"}) {
    SCOPED_TRACE(word);
    const KorvexRun r =
        Golden(word).args({word}).input("korvex.log", "kept\n").errors("").output("korvex.log", "kept\n").check();
    const std::string out = r.out();
    EXPECT_TRUE(out.starts_with("Usage: korvex -s SOURCE [options]\n")) << out;
    for (const char* shown : {"-s path", "-d path", "-e path", "-t path", "-l factor", "-g factor", " -q2 ", "-enum",
                              " -x ", " -k ", " -q3 ", "--help", "--version", "Exit status", "korvex -q3 -s e1m1.map",
                              "korvex -q3 -q2 -s base1.map", KORVEX_TABLE_DIR})
      EXPECT_NE(out.find(shown), std::string::npos) << "missing: " << shown;
    EXPECT_EQ(out.find("KORVEX map converter utility"), std::string::npos);
  }
  const KorvexRun version =
      Golden("--version").args({"--version"}).input("korvex.log", "kept\n").output("korvex.log", "kept\n").check();
  EXPECT_EQ(version.out(), "korvex " KORVEX_VERSION "\n");
}

// A rejected command line keeps its classic console; standard error names
// the word at fault and points at the help.
TEST(CommandLine, RejectedCommandLinesPointAtHelp) {
  const struct {
    std::vector<std::string> args;
    std::string console;
    std::string why;
  } rows[] = {
      {{}, "at least one required argument missing\nPress ENTER...", "-s is missing: name the source map with -s"},
      {{"--help", "-s", "a.map"}, "argument not recognized\nPress ENTER...", "'--help' is no option"},
      {{"-s", "a.map", "--version"}, "argument not recognized\nPress ENTER...", "'--version' is no option"},
      {{"-version"}, "argument not recognized\nPress ENTER...", "'-version' is no option"},
      {{"-q3", "e1m5.map"}, "argument not recognized\nPress ENTER...",
       "'e1m5.map' is no option; a source map is named with -s (korvex -s e1m5.map)"},
      {{"-s"}, "paired argument has no value\nPress ENTER...", "-s needs a value after it"},
      {{"-s", "a\tb.map"}, "arg = 'a\tb.map'\ninvalid characters in a value\nPress ENTER...",
       "the value after -s holds control characters"},
      {{"-s", "a\x7f.map"}, "arg = 'a\x7f.map'\ninvalid characters in a value\nPress ENTER...",
       "the value after -s holds control characters"},
      {{"-s", "a.map", "-g", "1", "-g", "2"}, "duplicate argument\nPress ENTER...", "-g is given twice"},
  };
  for (const auto& row : rows) {
    const KorvexRun r = Golden(row.console)
                            .args(row.args)
                            .status(1)
                            .console(row.console)
                            .errors("korvex: " + row.why + "\n" + see_help)
                            .check();
    EXPECT_EQ(r.banner, "KORVEX map converter utility\nby the KORVEX developers, 2026\n") << row.console;
  }
}

// Blanks and bytes of UTF-8 are part of a name; the output name is cut at
// the file name's extension only.
TEST(CommandLine, SourceNamesAndTheOutputNamesDerivedFromThem) {
  const struct {
    std::string source;
    std::string output;
  } rows[] = {
      {"Quake Maps/e1.map", "Quake Maps/e1.q1n"},
      {"caf\xc3\xa9.map", "caf\xc3\xa9.q1n"},
      {"maps.v2/e1m1", "maps.v2/e1m1.q1n"},
      {"dir.d/name.map", "dir.d/name.q1n"},
      {"sub/../e1m1", "sub/../e1m1.q1n"},
      {"maps.v2/.map", "maps.v2/.map.q1n"},  // a leading dot starts no extension
      {"a.b.map", "a.b.q1n"},
  };
  for (const auto& row : rows)
    Golden(row.source)
        .args({"-s", row.source, "-enum"})
        .input(row.source, small_world)
        .console("Processing '" + row.source + "'\n1 brushes\nWarning: no entity\n")
        .output(row.output, Want::present())
        .on_disk()
        .check();
  Golden("names with blanks")
      .args({"-s", "my map.map", "-d", "out put.map"})
      .inputs({{"q1.ent", table}, {"my map.map", small_world}})
      .output("out put.map", Want::starting(conversion_header("my map.map")))
      .on_disk()
      .check();
}

TEST(CommandLine, SizeFactorMustBePositiveAndFinite) {
  const std::string bad = "Bad size scale value, using default (1.000000)\n";
  const struct {
    std::vector<std::string> args;
    bool refused;
    const char* point;  // the first plane point written
  } rows[] = {
      {{"-g", "0"}, true, "( 0 0 0 ) ( 0 64 0 )"},     {{"-g", "-2"}, true, "( 0 0 0 ) ( 0 64 0 )"},
      {{"-g", "-0"}, true, "( 0 0 0 ) ( 0 64 0 )"},    {{"-g", "0.0"}, true, "( 0 0 0 ) ( 0 64 0 )"},
      {{"-x", "-g", "0"}, true, "( 0 0 0 ) ( 0 64 0 )"}, {{"-x", "-g", "-1e-300"}, true, "( 0 0 0 ) ( 0 64 0 )"},
      {{"-g", "1e999"}, true, "( 0 0 0 ) ( 0 64 0 )"}, {{"-g", "2"}, false, "( 0 0 0 ) ( 0 128 0 )"},
      {{"-x", "-g", "1e-3"}, false, "( 0 0 0 ) ( 0 0.064 0 )"},
  };
  for (const auto& row : rows) {
    Args args{"-d", "a.out"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    run(row.args[row.args.size() - 1], small_world, args)
        .console(row.refused ? Want::starting(bad) : Want::lacks({bad}))
        .output("a.out", Want::has({row.point}))
        .check();
  }
}

// A classic run that fails where -x would have gone on says so, and only
// then; with -x the same map draws no such hint.
TEST(CommandLine, FailuresThatExtendedModeAvoidsSuggestIt) {
  const std::string limits =
      "hint: this map exceeds the classic limits; run again with -x (or -q3 for a map to play in a Q3 engine)\n";
  const std::string damage = "hint: -x leaves out what cannot be converted and goes on; run again with -x (or -q3 "
                             "for a map to play in a Q3 engine)\n";
  const std::string no_brush =
      "hint: -x writes a world without brushes; run again with -x (or -q3 for a map to play in a Q3 engine)\n";
  const std::string coordinates = "hint: -x writes any coordinate in full and leaves out a brush it cannot read; "
                                  "run again with -x (or -q3 for a map to play in a Q3 engine)\n";
  const std::string wall = "\"classname\" \"func_wall\"\n";
  const std::string null = "\"classname\" \"info_null\"\n";
  const struct {
    const char* label;
    std::string map;
    std::vector<std::string> args;
    std::string hint;
  } rows[] = {
      {"world brush beyond the plane limit", world(brush(33)), {}, limits},
      {"entity beyond the line limit", small_world + entity(null + "\"origin\" \"0 0 0\"\n" + repeat("\"k\" \"v\"\n", 300)), {}, limits},
      {"entity beyond the brush limit", small_world + entity(wall + repeat(brush(3), 32)), {}, limits},
      {"entity brush beyond the plane limit", small_world + entity(wall + brush(33)), {}, limits},
      {"word beyond the word limit", small_world + entity("\"classname\" \"" + std::string(70, 'c') + "\"\n"), {}, limits},
      {"coordinate beyond the integer range", world(brush(3, "( 0 0 0 ) ( 0 2000000000 0 ) ( 64 0 0 ) w 0 0 0 1 1\n")),
       {"-g", "2"}, coordinates},
      {"entity without origin", small_world + entity(null + "\"k\" \"v\"\n"), {}, damage},
      {"entity without classname", small_world + entity("\"origin\" \"0 0 0\"\n\"k\" \"v\"\n"), {}, damage},
      {"classname without value", small_world + entity("\"classname\"\n\"origin\" \"0 0 0\"\n"), {}, damage},
      {"entity brush of two planes", small_world + entity(wall + brush(2)), {}, damage},
      {"world brush of a word for a number", world(brush(3, "( 0 0 0 ) ( 0 x 0 ) ( 64 0 0 ) w 0 0 0 1 1\n")),
       {"-g", "2"}, coordinates},
      {"world without brushes", world(""), {}, no_brush},
      {"end of file in a brush", "{\n\"classname\" \"worldspawn\"\n{\n" + std::string(q1_face), {}, ""},
      {"no worldspawn", "", {}, ""},
  };
  for (const auto& row : rows) {
    run(std::string(row.label) + ", classic", row.map, row.args).status(1).errors(row.hint).check();
    Args extended = row.args;
    extended.push_back("-x");
    run(std::string(row.label) + ", -x", row.map, extended)
        .status(row.hint.empty() ? 1 : 0)
        .errors(Want::lacks({"run again with -x"}))
        .check();
  }
}

TEST(CommandLine, FaceGame) {
  const struct {
    const char* line;
    Game game;
  } rows[] = {
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1", Game::quake},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) *water0\t16 -8 0.5 1 1", Game::quake},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor1_3 0 0 0 1 1 0 0 0", Game::quake2},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1 1 16 100", Game::quake2},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor1_3 0 0 0 1 1", Game::quake2},  // zeros left out
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 0 1 1 0 0", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w 0 0 x 1 1", Game::unknown},
      {"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 )", Game::unknown},
      {"0 0 0 0 64 0 64 0 0 w 0 0 0 1 1", Game::unknown},
  };
  for (const auto& row : rows) EXPECT_EQ(face_game(row.line), row.game) << row.line;
  const struct {
    GameVotes votes;
    Game game;
  } votes[] = {
      {{12, 12, 0}, Game::quake},   {{12, 0, 12}, Game::quake2},  {{11, 11, 0}, Game::unknown},
      {{20, 6, 13}, Game::quake2},  {{20, 6, 12}, Game::unknown}, {{200, 0, 0}, Game::unknown},
  };
  for (const auto& row : votes) EXPECT_EQ(voted_game(row.votes), row.game) << row.votes.quake << "/" << row.votes.quake2;
}

// The game the faces tell, against the one given on the command line.
TEST(CommandLine, GameOfTheFacesAgainstTheOptions) {
  const std::string quake2 = "warning: this looks like a Quake 2 map (its faces carry surface flags or texture "
                             "folders); run with -q2\n";
  const std::string quake = "warning: this looks like a Quake map (its faces carry no surface flags), yet -q2 was "
                            "given; -q2 is for Quake 2 maps\n";
  const std::string q2_face = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor 0 0 0 1 1 0 0 0\n";
  const std::string q2_bare = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) e1u1/floor 0 0 0 1 1\n";
  const std::string valve = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) w [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1\n";
  const struct {
    const char* label;
    std::string map;
    bool q2;
    std::string warning;
  } rows[] = {
      {"Quake", world(repeat(brush(3), 4)), false, ""},
      {"Quake with -q2", world(repeat(brush(3), 4)), true, quake},
      {"Quake 2 without -q2", world(repeat(brush(3, q2_face), 4)), false, quake2},
      {"Quake 2 faces without flags, without -q2", world(repeat(brush(3, q2_bare), 4)), false, quake2},
      {"Quake 2", world(repeat(brush(3, q2_face), 4)), true, ""},
      {"Valve 220 with -q2", world(repeat(brush(3, valve), 4)), true, ""},
      {"too few faces to tell", world(repeat(brush(3), 3)), true, ""},
      {"half and half", world(repeat(brush(3), 2) + repeat(brush(3, q2_face), 2)), false, ""},
      {"Quake 2 after 200 Quake faces", world(repeat(brush(20), 10) + repeat(brush(20, q2_face), 20)), false, ""},
  };
  for (const auto& row : rows) {
    Args args{"-s", "a.map", "-x"};
    if (row.q2) args.push_back("-q2");
    Golden(row.label)
        .args(args)
        .inputs({{row.q2 ? "q2.ent" : "q1.ent", table}, {"a.map", row.map}})
        .errors(row.warning)
        .check();
  }
}

TEST(CommandLine, ClassesLeftOutAreCountedMostFrequentFirst) {
  std::string entities;
  auto add = [&entities](const std::string& name, int n) {
    for (int i = 0; i < n; ++i) entities += entity("\"classname\" \"" + name + "\"\n\"origin\" \"0 0 0\"\n");
  };
  add("info_null", 2);
  add("monster_dog", 3);
  add("func_movewall", 5);
  for (const char* rare : {"k", "j", "i", "h", "g", "f", "e", "d", "c", "b", "a"}) add(rare, 1);
  run("conversion", small_world + entities, {})
      .console("4 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\n21 entities (2 replaced)\n")
      .errors("left out, not in the table: 5 func_movewall, 3 monster_dog, 1 a, 1 b, 1 c, 1 d, 1 e, 1 f, "
              "1 g, 1 h and 3 more\n")
      .check();
  // Numbering mode leaves nothing out.
  run("numbering", small_world + entities, {"-enum"}).errors("").check();
}

// The summary points at the log only when the log could be written; a
// folder in its place stops it for any user.
TEST(CommandLine, UnwritableLogIsNotPointedAt) {
  TempDir dir;
  dir.write("q1.ent", table);
  dir.write("a.map", world(brush(2) + brush(3)));
  fs::create_directory(dir.file("korvex.log"));
  const KorvexRun r = run_korvex_in(dir, {"-s", "a.map"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "4 classnames in 'q1.ent'\nProcessing 'a.map'\n2 brushes\nWarning: no entity\n"
                       "WARNING: invalid objects have been discarded,\n"
                       "and 'korvex.log' could not be written: no details were recorded.\n");
  EXPECT_TRUE(fs::is_empty(dir.file("korvex.log")));
  EXPECT_TRUE(dir.exists("a.1q3"));
}

}  // namespace
