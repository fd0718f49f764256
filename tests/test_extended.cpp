// Extended mode (-x), in-process: the larger limits, full-precision numbers
// written as the shortest decimal, damaged objects dropped instead of ending
// the run.
#include <gtest/gtest.h>

#include "fixed_textures.h"
#include "korvex_runner.h"

using namespace conv;

namespace {

constexpr const char* plane = "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) rock1 0 0 0 1 1";
const std::string concrete(fixed_textures[KIND_WORLD]);

std::string repeat(std::string_view line, int n) {
  std::string s;
  s.reserve((line.size() + 1) * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) s.append(line).append("\n");
  return s;
}

std::string brush_of(int planes) { return "{\n" + repeat(plane, planes) + "}\n"; }

std::string world_of(std::string_view brushes) { return "{\n\"classname\" \"worldspawn\"\n" + std::string(brushes) + "}\n"; }

const std::string small_world = world_of(brush_of(3));

// a.map run with args, with a table of four classes as q1.ent.
Golden run(const std::string& name, const std::string& map, const Args& args) {
  Args all{"-s", "a.map"};
  all.insert(all.end(), args.begin(), args.end());
  return Golden(name).args(all).input("a.map", map).input("q1.ent",
                                                            "func_group *\ninfo_null *\nlight *\nfunc_wall func_static\n");
}

size_t count(const std::string& text, std::string_view piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

// Each larger limit: what the classic run says, and that -x takes it whole.
TEST(Extended, LargerLimits) {
  const std::string long_word = "\"" + std::string(1021, 'w') + "\"";
  struct Row {
    std::string name;
    std::string map;
    std::string classic;   // the classic run's failure line
    std::string extended;  // the -x run's console after "Processing"
    std::string piece;     // written this many times by the -x run
    size_t times;
  } rows[] = {
      {"43-plane world brush", world_of(brush_of(43)), "Brush #0 load error: too many lines",
       "1 brushes\nWarning: no entity\n", plane, 43},
      {"400-brush func_group",
       small_world + "{\n\"classname\" \"func_group\"\n" + [] {
         std::string s;
         for (int i = 0; i < 400; ++i) s += brush_of(3);
         return s;
       }() + "}\n",
       "Ent #1 load error (10): too many brushes in an entity", "1 brushes\n1 entities numbered\n", "\n    {\n", 400},
      {"4000-line entity", small_world + "{\n\"classname\" \"info_null\"\n" + repeat("\"k\" \"v\"", 4000) + "}\n",
       "Ent #1 load error (2): too many lines", "1 brushes\n1 entities numbered\n", "\"k\" \"v\"", 4000},
      {"1023-character word", small_world + "{\n\"classname\" " + long_word + "\n}\n",
       "Ent #1 load error (6): token extraction error", "1 brushes\n1 entities numbered\n", long_word, 1},
  };
  for (const Row& row : rows) {
    run(row.name + ", classic", row.map, {"-enum"}).status(1).console(Want::has({row.classic + "\n"})).check();
    const KorvexRun extended =
        run(row.name + ", -x", row.map, {"-enum", "-x"}).console("Processing 'a.map'\n" + row.extended).check();
    EXPECT_EQ(count(extended.file("a.q1n").value_or(""), row.piece), row.times) << row.name;
  }
}

// Past the extended limits the classic statuses still apply.
TEST(Extended, BeyondTheExtendedLimits) {
  struct Row {
    std::string name;
    std::string map;
    std::string console;
  } rows[] = {
      {"4096-plane world brush", world_of(brush_of(4096)), "1 brushes\nWarning: no entity\n"},
      {"4097-plane world brush", world_of(brush_of(4097)), "Brush #0 load error: too many lines\n"},
      {"4097-plane entity brush, numbered", small_world + "{\n\"classname\" \"func_wall\"\n" + brush_of(4097) + "}\n",
       "1 brushes\n1 entities numbered\n"},
      {"1024-character word", small_world + "{\n\"classname\" \"" + std::string(1022, 'w') + "\"\n}\n",
       "1 brushes\nEnt #1 load error (6): token extraction error\n"},
      {"65536 brushes", small_world + "{\n\"classname\" \"func_group\"\n" + [] {
         std::string s;
         for (int i = 0; i < 65536; ++i) s += "{\n(\n(\n(\n}\n";
         return s;
       }() + "}\n", "1 brushes\n1 entities numbered\n"},
      {"65537 brushes", small_world + "{\n\"classname\" \"func_group\"\n" + [] {
         std::string s;
         for (int i = 0; i < 65537; ++i) s += "{\n(\n(\n(\n}\n";
         return s;
       }() + "}\n", "1 brushes\nEnt #1 load error (10): too many brushes in an entity\n"},
      {"1048576 entity lines", small_world + "{\n" + repeat("k", 1048576) + "}\n", "1 brushes\n1 entities numbered\n"},
      {"1048577 entity lines", small_world + "{\n" + repeat("k", 1048577) + "}\n",
       "1 brushes\nEnt #1 load error (2): too many lines\n"},
  };
  for (const Row& row : rows)
    run(row.name, row.map, {"-enum", "-x"})
        .status(row.console.find("error") == std::string::npos ? 0 : 1)
        .console("Processing 'a.map'\n" + row.console)
        .check();
  // Conversion mode checks an entity's brushes against the plane limit.
  run("4097-plane entity brush, converted", small_world + "{\n\"classname\" \"func_wall\"\n" + brush_of(4097) + "}\n",
      {"-x"})
      .status(1)
      .console("5 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\n"
               "Ent #1 load error (9): invalid brush definition in entity\n")
      .check();
}

// A physical line is one line up to 65535 characters; longer ones are read
// in pieces of that length.
TEST(Extended, LongLinesAreWhole) {
  std::string line = repeat("ab", 21845).substr(0, 65534) + "z";  // 65535 characters
  for (char& c : line)
    if (c == '\n') c = ' ';
  run("65535 characters, then 65536", small_world + "{\n" + line + "\nx" + line + "\n}\n", {"-enum", "-x"})
      .output("a.q1n",
              Want::has({"\n    " + line + "\n",
                         "\n    x" + line.substr(0, 65534) + "\n    " + line.substr(65534) + "\n"}))
      .check();
}

// Scaled points and origins keep their place: the shortest decimal that
// reads back to the same double, integers without a point.
TEST(Extended, FullPrecisionCoordinates) {
  run("-x -g 1.5",
      world_of("{\n( 64 0.25 0.12345678901234567 ) ( -1023.9999999999999 0 0 ) ( 0.1 -0 1e2 ) t\n"
               "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) t\n( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) t\n}\n") +
          "{\n\"classname\" \"info_null\"\n\"origin\" \"12345678.123456789 -25 8\"\n}\n",
      {"-x", "-g", "1.5"})
      .output("a.1q3", Want::has({"    ( 96 0.375 0.18518518351851848 ) ( -1535.9999999999998 0 0 ) "
                                  "( 0.15000000000000002 0 150 ) " +
                                      std::string(concrete) + "\n",
                                  "    \"origin\" \"18518517.185185183 -37.5 12\"\n"}))
      .check();
  // The classic reader refuses the 17 digits and rounds down.
  run("classic -g 1.5", "{\n{\n( 0.12345678901234567 0 0 ) ( 0 0 0 ) ( 0 0 0 ) t\n" + repeat(plane, 2) + "}\n}\n",
      {"-g", "1.5"})
      .status(1)
      .console(Want::has({"Brush #0 write error: bad coordinate"}))
      .check();
}

TEST(Extended, FactorsAndLightValuesInFullPrecision) {
  const std::string map = small_world + "{\n\"classname\" \"light\"\n\"light\" \"200.00000000000001\"\n\"origin\" \"0 0 0\"\n}\n";
  run("17 digits", map, {"-x", "-l", "0.50000000000000001", "-g", "1.0000000000000000000001"})
      .console(Want::lacks({"Bad"}))
      .output("a.1q3", Want::has({"    \"light\" \"100\"\n"}))
      .check();
  // Values the extended reader refuses as well.
  for (const char* factor : {"inf", "nan", "0x10", "1e999", "1.5x", "+-1"})
    run(factor, small_world, {"-x", "-g", factor})
        .console(Want::has({"Bad size scale value, using default (1.000000)\n"}))
        .check();
}

// Damaged entities and brushes are dropped and logged; the run goes on.
TEST(Extended, DamagedObjectsAreDropped) {
  struct Row {
    std::string name;
    std::string entity;
    bool when_numbering;  // numbering mode rejects it too
  } rows[] = {
      {"no classname", "{\n\"origin\" \"0 0 0\"\n\"angle\" \"9\"\n}\n", false},
      {"no brush and no origin", "{\n\"classname\" \"func_group\"\n\"_tb_id\" \"3\"\n}\n", false},
      {"brush of two plane lines", "{\n\"classname\" \"func_wall\"\n" + brush_of(2) + "}\n", false},
      {"brush opened inside a brush",
       "{\n\"classname\" \"func_wall\"\n{\n" + std::string(plane) + "\n" + brush_of(3) + "}\n}\n", true},
      {"classname without a value", "{\n\"classname\"\n\"origin\" \"0 0 0\"\n}\n", true},
      {"origin without a value", "{\n\"classname\" \"info_null\"\n\"origin\"  \n}\n", true},
  };
  const std::string good = "{\n\"classname\" \"info_null\"\n\"origin\" \"1 2 3\"\n}\n";
  for (const Row& row : rows) {
    for (const bool numbering : {false, true}) {
      if (numbering && !row.when_numbering) continue;
      run(row.name + (numbering ? ", numbered" : ", converted"), small_world + good + row.entity + good,
          numbering ? Args{"-x", "-enum"} : Args{"-x"})
          .console(Want::has({"1 brushes\n3 entities",
                              "WARNING: invalid objects have been discarded,\nsee 'korvex.log' for details.\n"}))
          .output("korvex.log", Want::starting(record(1, "Discarded invalid entity 2:")))
          .output(numbering ? "a.q1n" : "a.1q3", Want::has({"// entity 1\n", "// entity 3\n"}, {"// entity 2\n"}))
          .check();
    }
  }
}

// A world brush that opens a brush inside itself is dropped whole, so the
// world's later brushes and the entities stay in their places.
TEST(Extended, NestedWorldBrushIsDropped) {
  run("nested world brush",
      world_of("{\n" + std::string(plane) + "\n" + brush_of(3) + "}\n" + brush_of(3)) +
          "{\n\"classname\" \"info_null\"\n\"origin\" \"1 2 3\"\n}\n",
      {"-x"})
      .console(Want::has({"2 brushes\n1 entities (1 replaced)\n"}))
      .output("korvex.log", Want::starting(record(1, "Discarded invalid brush #0:")))
      .output("a.1q3", Want::has({"  // brush 2\n"}, {"  // brush 1\n"}))
      .check();
}

// A block opened and closed on one line keeps the map's structure.
TEST(Extended, BlockOnOneLine) {
  run("-x", "{}\n  { }  \n{\n\"classname\" \"func_group\"\n{}\n}\n", {"-x", "-enum"})
      .output("a.q1n", "// entity 0\n{\n  \"classname\" \"worldspawn\"\n}\n// entity 1\n  {\n  }\n"
                       "// entity 2\n  {\n    \"classname\" \"func_group\"\n    {\n    }\n  }\n")
      .check();
  run("classic", "{}\n", {"-enum"}).status(1).console("Processing 'a.map'\nBrush #0 load error: end of file\n").check();
}

TEST(Extended, WorldWithoutBrushesIsWrittenEmpty) {
  const std::string map = "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"func_group\"\n" + brush_of(3) + "}\n";
  run("classic", map, {}).status(1).console(Want::ending("Processing 'a.map'\nNo brush found\n")).check();
  run("-x", map, {"-x"})
      .console("5 classnames in 'q1.ent'\nProcessing 'a.map'\n"
               "No brush found: the world is written without brushes\n1 entities (1 replaced)\n")
      .output("a.1q3", Want::has({"// entity 0\n{\n  \"classname\" \"worldspawn\"\n}\n// entity 1\n"}))
      .check();
}

// A world brush that cannot be rewritten is left out with -x; without it
// the run ends.
TEST(Extended, WorldBrushWriteErrorLeavesTheBrushOut) {
  const std::string map = world_of(brush_of(3) + "{\n" + repeat("no parenthesis", 3) + "}\n" + brush_of(3));
  run("-x", map, {"-x"})
      .console("5 classnames in 'q1.ent'\nProcessing 'a.map'\n"
               "Brush #1 write error: no delimiter (right parenthesis) in line\n3 brushes\nWarning: no entity\n")
      .output("a.1q3", Want::has({"  // brush 3\n"}, {"  // brush 2\n"}))
      .check();
}

}  // namespace
