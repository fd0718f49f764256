// Numbering mode end to end, in-process: the program reads, checks, numbers
// and re-indents blocks; the console, the output map, the log and the exit
// status are compared whole.
#include <unistd.h>

#include <gtest/gtest.h>

#include "korvex_runner.h"
#include "test_paths.h"

namespace {

const std::string worked_example = *read_file(source_file("examples/test.map"));

constexpr const char* worked_example_q1n = R"(// entity 0
{
  "classname" "worldspawn"
  // brush 1
  {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1
    ( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) rock1 0 0 0 1 1
    ( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) rock1 0 0 0 1 1
  }
  // brush 2
  {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) sky1 0 0 0 1 1
  }
}
// entity 1
  {
    "classname" "light"
    "origin" "32 32 48"
    "light" "200"
  }
// entity 2
  {
    "classname" "info_notnull"
    "origin" "0 0 0"
  }
// entity 3
  {
    "classname" "info_player_start"
    "origin" "16 16 24"
  }
// entity 4
  {
    "classname" "func_door"
    "angle" "90"
    {
    ( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) door1 0 0 0 1 1
    ( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) door1 0 0 0 1 1
    ( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) door1 0 0 0 1 1
    }
  }
)";

constexpr const char* plane = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1";

// A world block holding one brush of `planes` plane lines, then `rest`.
std::string world_with_brush(int planes, std::string_view rest = "") {
  std::string map = "{\n\"classname\" \"worldspawn\"\n{\n";
  for (int i = 0; i < planes; ++i) map += std::string(plane) + "\n";
  return map + "}\n}\n" + std::string(rest);
}

// A world of one good brush, then the given entity text.
std::string map_with(std::string_view entities) { return world_with_brush(3, entities); }

// An entity block of `keys` key lines (a classname and filler keys).
std::string entity_with_lines(int keys) {
  std::string e = "{\n\"classname\" \"info_null\"\n";
  for (int i = 1; i < keys; ++i) e += "\"k" + std::to_string(i) + "\" \"v\"\n";
  return e + "}\n";
}

// An entity block of `n` brushes of three plane lines each.
std::string entity_with_brushes(int n) {
  std::string e = "{\n\"classname\" \"func_wall\"\n";
  for (int i = 0; i < n; ++i) e += "{\n" + std::string(plane) + "\n" + plane + "\n" + plane + "\n}\n";
  return e + "}\n";
}

// a.map numbered into a.q1n.
Golden number(const std::string& name, const std::string& map) {
  return Golden(name).args({"-s", "a.map", "-enum"}).input("a.map", map);
}

TEST(Numbering, WorkedExampleIsCopiedNumberedAndReindented) {
  const KorvexRun r = Golden("worked example")
                          .args({"-s", "test.map", "-enum"})
                          .input("test.map", worked_example)
                          .console("Processing 'test.map'\n2 brushes\n4 entities numbered\n")
                          .output("test.q1n", worked_example_q1n)
                          .names({"test.map", "test.q1n"})
                          .check();
  EXPECT_EQ(r.banner.substr(0, 29), "KORVEX map converter utility\n");
}

// Maps saved with CR LF line ends read exactly like LF maps, a blank line
// before the world block included.
TEST(Numbering, CrLfMapReadsLikeLfMap) {
  Golden("CR LF")
      .args({"-s", "test.map", "-enum"})
      .input("test.map", with_crlf("\n" + worked_example))
      .console("Processing 'test.map'\n2 brushes\n4 entities numbered\n")
      .output("test.q1n", worked_example_q1n)
      .check();
}

// Only a carriage return that ends a line goes: a line of one carriage
// return inside a brush is blank, one inside a value is text.
TEST(Numbering, OnlyLineEndingCarriageReturnsGo) {
  number("lone carriage returns", with_crlf(world_with_brush(3)) + "{\r\n\r\n\"classname\" \"a\rb\"\r\n}\r")
      .output("a.q1n", "// entity 0\n{\n  \"classname\" \"worldspawn\"\n  // brush 1\n  {\n    " + std::string(plane) +
                           "\n    " + plane + "\n    " + plane +
                           "\n  }\n}\n// entity 1\n  {\n    \"classname\" \"a\rb\"\n  }\n")
      .check();
}

TEST(Numbering, OutputNameFollowsModeAndGame) {
  const struct {
    Args args;
    std::string source;
    std::string output;
  } rows[] = {
      {{}, "maps/test2.map", "maps/test2.1q3"},
      {{"-q2"}, "maps/test2.map", "maps/test2.2q3"},
      {{"-enum"}, "maps/test2.map", "maps/test2.q1n"},
      {{"-q2", "-enum"}, "maps/test2.map", "maps/test2.q2n"},
      {{"-enum"}, "maps/noext", "maps/noext.q1n"},
      {{"-enum"}, "dir.d/name", "dir.d/name.q1n"},  // a dot in a folder name is no extension
      {{"-enum", "-d", "maps/chosen.out"}, "maps/test2.map", "maps/chosen.out"},
  };
  for (const auto& row : rows) {
    Args args{"-s", row.source};
    args.insert(args.end(), row.args.begin(), row.args.end());
    Golden(row.source + " -> " + row.output)
        .args(args)
        .inputs({{"q1.ent", "light *\n"}, {"q2.ent", "light *\n"}, {row.source, map_with("")}})
        .output(row.output, Want::present())
        .check();
  }
}

// The failures that come before the files are open: the message, the wait
// for Enter where there is one, and no output file. Paths that need a real
// folder are tried on disk.
TEST(Numbering, EarlyFailures) {
  const std::string long_name(252, 'n');  // 252 + ".q1n" > 255
  const struct {
    Args args;
    std::string console;
    bool disk;
  } rows[] = {
      {{}, "at least one required argument missing\nPress ENTER...", false},
      {{"-s"}, "paired argument has no value\nPress ENTER...", false},
      {{"-s", "a.map", "-zz"}, "argument not recognized\nPress ENTER...", false},
      {{"-s", "a.map", "-s", "a.map"}, "duplicate argument\nPress ENTER...", false},
      {{"-s", "a.map", "-enum", "-enum"}, "duplicate argument\nPress ENTER...", false},
      {{"a.map"}, "argument not recognized\nPress ENTER...", false},
      {{"-s", "a\tb.map"}, "arg = 'a\tb.map'\ninvalid characters in a value\nPress ENTER...", false},
      {{"-s", "missing.map", "-enum"}, "Error when opening missing.map\nPress ENTER...", false},
      {{"-s", "a.map", "-enum", "-d", "no/such/dir/a.out"}, "Error when creating no/such/dir/a.out\nPress ENTER...",
       true},
      {{"-s", "a.map", "-enum", "-d", "."}, "Error when creating .\nPress ENTER...", true},
      {{"-s", long_name, "-enum"}, "Output file name too long: more than 255 characters; name it with -d\n", true},
      {{"-s", "a.map", "-enum", "-d", "a.map"}, "Output file a.map is the source map itself; name another with -d\n",
       false},
      {{"-s", "a.map", "-enum", "-d", "./a.map"},
       "Output file ./a.map is the source map itself; name another with -d\n", true},
  };
  for (const auto& row : rows) {
    Golden c(row.console);
    c.args(row.args)
        .inputs({{"a.map", map_with("")}, {long_name, map_with("")}})
        .status(1)
        .console(row.console)
        .output("a.map", map_with(""))
        .names({"a.map", long_name});
    if (row.disk) c.on_disk();
    c.check();
  }
}

TEST(Numbering, OutputThroughALinkToTheSourceIsRefused) {
  TempDir dir;
  dir.write("a.map", map_with(""));
  ASSERT_EQ(symlink("a.map", dir.file("a.q1n").c_str()), 0);
  const KorvexRun r = run_korvex_in(dir, {"-s", "a.map", "-enum"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, "Output file a.q1n is the source map itself; name another with -d\n");
  EXPECT_EQ(dir.read("a.map"), map_with(""));
}

// The failures after the files are open: message, the block in the log,
// the output removed, exit status 1, and no wait.
TEST(Numbering, ReadFailuresEndTheRunAndLogTheBlock) {
  const struct {
    std::string name;
    std::string map;
    std::string console;
    std::string log;  // "": not checked
  } rows[] = {
      {"no world block", "\"classname\" \"worldspawn\"\n{\n}\n", "No 'worldspawn' section in a.map\n", ""},
      {"carriage return line before the world", "\r\r\n{\n{\n" + std::string(plane) + "\n}\n}\n",
       "No 'worldspawn' section in a.map\n", ""},
      {"empty file", "", "No 'worldspawn' section in a.map\n", ""},
      {"world without a brush", "{\n\"classname\" \"worldspawn\"\n}\n{\n}\n", "No brush found\n", ""},
      {"file ends in a world brush", "{\n{\n" + std::string(plane) + "\n// the end\n",
       "Brush #0 load error: end of file\n", record(1, plane) + record(2, "// the end") + record(3, rule)},
      {"file ends in the world", "{\n{\n}\n\"wad\" \"x\"\n", "Brush #1 load error: end of file\n",
       record(1, "\"wad\" \"x\"") + record(2, rule)},
      {"33 plane lines", world_with_brush(33), "Brush #0 load error: too many lines\n", ""},
      {"file ends in an entity", map_with("{\n\"classname\" \"light\"\n  \n"),
       "1 brushes\nEnt #1 load error (1): end of file\n",
       record(1, "\"classname\" \"light\"") + record(2, "  ") + record(3, rule)},
      {"256 entity lines", map_with(entity_with_lines(256)), "1 brushes\nEnt #1 load error (2): too many lines\n", ""},
      {"32 brushes", map_with(entity_with_brushes(32)),
       "1 brushes\nEnt #1 load error (10): too many brushes in an entity\n", ""},
      {"brush opened inside a brush", map_with("{\n\"classname\" \"a\"\n{\n{\n}\n}\n}\n"),
       "1 brushes\nEnt #1 load error (9): invalid brush definition in entity\n",
       record(1, "\"classname\" \"a\"") + record(2, "{") + record(3, "{") + record(4, rule)},
      {"classname without a value", map_with("{\n\"classname\"\n}\n"),
       "1 brushes\nEnt #1 load error (6): token extraction error\n", record(1, "\"classname\"") + record(2, rule)},
      {"origin without a value", map_with("{\n  \"origin\"   \n}\n"),
       "1 brushes\nEnt #1 load error (6): token extraction error\n", ""},
      {"64-character word", map_with("{\n" + std::string(64, 'w') + "\n}\n"),
       "1 brushes\nEnt #1 load error (6): token extraction error\n", ""},
  };
  for (const auto& row : rows) {
    Golden c = number(row.name, row.map);
    c.status(1).console("Processing 'a.map'\n" + row.console).output("a.q1n", Want::none()).on_disk();
    if (!row.log.empty()) c.output("korvex.log", row.log);
    c.check();
  }
}

// The limits at their edges: one below passes, one above fails (above).
TEST(Numbering, BlocksAtTheLimitsAreAccepted) {
  const struct {
    std::string name;
    std::string map;
    std::string console;
  } rows[] = {
      {"32 plane lines", world_with_brush(32), "1 brushes\nWarning: no entity\n"},
      {"255 entity lines", map_with(entity_with_lines(255)), "1 brushes\n1 entities numbered\n"},
      {"31 brushes", map_with(entity_with_brushes(31)), "1 brushes\n1 entities numbered\n"},
      {"63-character word", map_with("{\n" + std::string(63, 'w') + "\n}\n"), "1 brushes\n1 entities numbered\n"},
      {"a brush of no plane line", "{\n{\n}\n}\n", "1 brushes\nWarning: no entity\n"},
      {"empty entity and one-line entity", map_with("{\n}\n{\n\"classname\" \"x\"\n}\n"),
       "1 brushes\n2 entities numbered\n"},
  };
  for (const auto& row : rows)
    number(row.name, row.map).console("Processing 'a.map'\n" + row.console).output("a.q1n", Want::present()).check();
}

// Blank and comment lines count toward no limit: 32 plane lines and 255
// entity lines, each followed by a blank and a comment line, still pass.
TEST(Numbering, BlankAndCommentLinesCountTowardNoLimit) {
  std::string map = "  \n// header\n{\n\t\n\"classname\" \"worldspawn\"\n{\n";
  for (int i = 0; i < 32; ++i) map += std::string(plane) + "\n \t \n   // note\n";
  map += "}\n}\n// between\n}\n{\n// first\n";
  for (int i = 0; i < 255; ++i) map += "\"k\" \"v\"\n\n//c\n";
  map += "}\n";
  number("blank and comment lines", map)
      .console("Processing 'a.map'\n1 brushes\n1 entities numbered\n")
      .output("a.q1n", Want::lacks({"//c", "note"}))
      .check();
}

// A physical line longer than 511 characters is read in pieces, each a
// line of its own (so each piece's first word must fit a word).
TEST(Numbering, LongLinesAreReadInPieces) {
  std::string key = "\"wad\" \"";
  for (int i = 0; i < 200; ++i) key += "ab ";
  key += "\"";
  std::string exact;  // exactly 511 characters: the newline comes as a blank piece
  for (int i = 0; i < 170; ++i) exact += "ab ";
  exact += "c";
  number("long lines", map_with("{\n" + key + "\n" + exact + "\n}\n"))
      .output("a.q1n", Want::ending("// entity 1\n  {\n    " + key.substr(0, 511) + "\n    " + key.substr(511) +
                                    "\n    " + exact + "\n  }\n"))
      .check();
}

TEST(Numbering, MapEndingAfterTheWorldWarnsAndKeepsTheOutput) {
  number("no entity", world_with_brush(3))
      .console("Processing 'a.map'\n1 brushes\nWarning: no entity\n")
      .output("a.q1n", Want::ending("  }\n}\n"))
      .check();
}

// Structure only: text after a brace is ignored for the structure but kept
// where the brace line itself is stored; stray lines between entities and
// the world's key lines are dropped.
TEST(Numbering, StructureLinesAndDroppedText) {
  number("structure", "{ world\n\"classname\" \"not_the_world\"\n\"wad\" \"x\"\n  {  brush\n" + std::string(plane) +
                          "\n} end\n} world end\nstray line\n}\n\t{ entity\n\"classname\" \"a\"\n{ b1\n" + plane +
                          "\n}  e1\n}\n")
      .output("a.q1n", "// entity 0\n{\n  \"classname\" \"worldspawn\"\n  // brush 1\n  {\n    " + std::string(plane) +
                           "\n  }\n}\n// entity 1\n  {\n    \"classname\" \"a\"\n    { b1\n    " + plane +
                           "\n    }  e1\n  }\n")
      .check();
}

TEST(Numbering, OldLogIsRemovedAtStart) {
  number("old log", map_with("")).input("korvex.log", "old record\n").output("korvex.log", Want::none()).check();
}

// Numbering mode does not look at the conversion options or the table.
TEST(Numbering, ConversionOptionsAreIgnored) {
  Golden("conversion options")
      .args({"-s", "a.map", "-enum", "-l", "abc", "-g", "x", "-e", "none.ent"})
      .input("a.map", map_with(""))
      .console("Processing 'a.map'\n1 brushes\nWarning: no entity\n")
      .check();
}

}  // namespace
