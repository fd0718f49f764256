// Extended mode (-x): the larger limits, full-precision numbers written as
// the shortest decimal, damaged objects dropped instead of ending the run.
#include <gtest/gtest.h>

#include "fixed_textures.h"
#include "run_korvex.h"


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


class Extended : public ::testing::Test {
 protected:
  RunResult run(std::string_view map, std::vector<std::string> args) {
    dir.write("a.map", map);
    dir.write("q1.ent", "func_group *\ninfo_null *\nlight *\nfunc_wall func_static\n");
    std::remove(dir.file("a.1q3").c_str());
    std::remove(dir.file("a.q1n").c_str());
    std::vector<std::string> all{"-s", "a.map"};
    all.insert(all.end(), args.begin(), args.end());
    return run_korvex(dir, all);
  }
  std::string output(std::string_view name = "a.1q3") { return dir.read(name).value_or("<no output>"); }
  TempDir dir;
};

size_t count(const std::string& text, std::string_view piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

// Each larger limit: what the classic run says, and that -x takes it whole.
TEST_F(Extended, LargerLimits) {
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
    SCOPED_TRACE(row.name);
    const RunResult classic = run(row.map, {"-enum"});
    EXPECT_EQ(classic.status, 1);
    EXPECT_NE(classic.console.find(row.classic + "\n"), std::string::npos) << classic.console;
    const RunResult extended = run(row.map, {"-enum", "-x"});
    EXPECT_EQ(extended.status, 0);
    EXPECT_EQ(extended.console, "Processing 'a.map'\n" + row.extended);
    EXPECT_EQ(count(output("a.q1n"), row.piece), row.times);
  }
}

// Past the extended limits the classic statuses still apply.
TEST_F(Extended, BeyondTheExtendedLimits) {
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
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RunResult r = run(row.map, {"-enum", "-x"});
    EXPECT_EQ(r.status, row.console.find("error") == std::string::npos ? 0 : 1);
    EXPECT_EQ(r.console, "Processing 'a.map'\n" + row.console);
  }
  // Conversion mode checks an entity's brushes against the plane limit.
  const RunResult r = run(small_world + "{\n\"classname\" \"func_wall\"\n" + brush_of(4097) + "}\n", {"-x"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.console, "5 classnames in 'q1.ent'\nProcessing 'a.map'\n1 brushes\n"
                       "Ent #1 load error (9): invalid brush definition in entity\n");
}

// A physical line is one line up to 65535 characters; longer ones are read
// in pieces of that length.
TEST_F(Extended, LongLinesAreWhole) {
  std::string line = repeat("ab", 21845).substr(0, 65534) + "z";  // 65535 characters
  for (char& c : line)
    if (c == '\n') c = ' ';
  const RunResult r = run(small_world + "{\n" + line + "\nx" + line + "\n}\n", {"-enum", "-x"});
  EXPECT_EQ(r.status, 0);
  const std::string out = output("a.q1n");
  EXPECT_NE(out.find("\n    " + line + "\n"), std::string::npos);
  EXPECT_NE(out.find("\n    x" + line.substr(0, 65534) + "\n    " + line.substr(65534) + "\n"), std::string::npos);
}

// Scaled points and origins keep their place: the shortest decimal that
// reads back to the same double, integers without a point.
TEST_F(Extended, FullPrecisionCoordinates) {
  const RunResult r = run(world_of("{\n( 64 0.25 0.12345678901234567 ) ( -1023.9999999999999 0 0 ) ( 0.1 -0 1e2 ) t\n"
                                   "( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) t\n( 0 0 0 ) ( 64 0 0 ) ( 0 0 64 ) t\n}\n") +
                              "{\n\"classname\" \"info_null\"\n\"origin\" \"12345678.123456789 -25 8\"\n}\n",
                          {"-x", "-g", "1.5"});
  EXPECT_EQ(r.status, 0);
  const std::string out = output();
  EXPECT_NE(out.find("    ( 96 0.375 0.18518518351851848 ) ( -1535.9999999999998 0 0 ) ( 0.15000000000000002 0 150 ) " +
                     std::string(concrete) + "\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("    \"origin\" \"18518517.185185183 -37.5 12\"\n"), std::string::npos);
  // The classic reader refuses the 17 digits and rounds down.
  const RunResult classic = run("{\n{\n( 0.12345678901234567 0 0 ) ( 0 0 0 ) ( 0 0 0 ) t\n" + repeat(plane, 2) + "}\n}\n",
                                {"-g", "1.5"});
  EXPECT_EQ(classic.status, 1);
  EXPECT_NE(classic.console.find("Brush #0 write error: bad coordinate"), std::string::npos);
}

TEST_F(Extended, FactorsAndLightValuesInFullPrecision) {
  const std::string map = small_world + "{\n\"classname\" \"light\"\n\"light\" \"200.00000000000001\"\n\"origin\" \"0 0 0\"\n}\n";
  const RunResult r = run(map, {"-x", "-l", "0.50000000000000001", "-g", "1.0000000000000000000001"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console.find("Bad"), std::string::npos) << r.console;
  EXPECT_NE(output().find("    \"light\" \"100\"\n"), std::string::npos);
  // Values the extended reader refuses as well.
  for (const char* factor : {"inf", "nan", "0x10", "1e999", "1.5x", "+-1"}) {
    SCOPED_TRACE(factor);
    const RunResult bad = run(small_world, {"-x", "-g", factor});
    EXPECT_NE(bad.console.find("Bad size scale value, using default (1.000000)\n"), std::string::npos);
  }
}

// Damaged entities and brushes are dropped and logged; the run goes on.
TEST_F(Extended, DamagedObjectsAreDropped) {
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
    SCOPED_TRACE(row.name);
    for (const bool numbering : {false, true}) {
      if (numbering && !row.when_numbering) continue;
      const RunResult r = run(small_world + good + row.entity + good,
                              numbering ? std::vector<std::string>{"-x", "-enum"} : std::vector<std::string>{"-x"});
      EXPECT_EQ(r.status, 0);
      EXPECT_NE(r.console.find("1 brushes\n3 entities"), std::string::npos) << r.console;
      EXPECT_NE(r.console.find("WARNING: invalid objects have been discarded,\nsee 'korvex.log' for details.\n"),
                std::string::npos);
      EXPECT_TRUE(dir.read("korvex.log")->starts_with(record(1, "Discarded invalid entity 2:")));
      const std::string out = output(numbering ? "a.q1n" : "a.1q3");
      EXPECT_NE(out.find("// entity 1\n"), std::string::npos);
      EXPECT_EQ(out.find("// entity 2\n"), std::string::npos);
      EXPECT_NE(out.find("// entity 3\n"), std::string::npos);
    }
  }
}

// A world brush that opens a brush inside itself is dropped whole, so the
// world's later brushes and the entities stay in their places.
TEST_F(Extended, NestedWorldBrushIsDropped) {
  const RunResult r = run(world_of("{\n" + std::string(plane) + "\n" + brush_of(3) + "}\n" + brush_of(3)) +
                              "{\n\"classname\" \"info_null\"\n\"origin\" \"1 2 3\"\n}\n",
                          {"-x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.console.find("2 brushes\n1 entities (1 replaced)\n"), std::string::npos) << r.console;
  EXPECT_TRUE(dir.read("korvex.log")->starts_with(record(1, "Discarded invalid brush #0:")));
  EXPECT_NE(output().find("  // brush 2\n"), std::string::npos);
  EXPECT_EQ(output().find("  // brush 1\n"), std::string::npos);
}

// A block opened and closed on one line keeps the map's structure.
TEST_F(Extended, BlockOnOneLine) {
  const RunResult r = run("{}\n  { }  \n{\n\"classname\" \"func_group\"\n{}\n}\n", {"-x", "-enum"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(output("a.q1n"), "// entity 0\n{\n  \"classname\" \"worldspawn\"\n}\n// entity 1\n  {\n  }\n"
                             "// entity 2\n  {\n    \"classname\" \"func_group\"\n    {\n    }\n  }\n");
  EXPECT_EQ(run("{}\n", {"-enum"}).console, "Processing 'a.map'\nBrush #0 load error: end of file\n");
}

TEST_F(Extended, WorldWithoutBrushesIsWrittenEmpty) {
  const std::string map = "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"func_group\"\n" + brush_of(3) + "}\n";
  const RunResult classic = run(map, {});
  EXPECT_EQ(classic.status, 1);
  EXPECT_EQ(classic.console.substr(classic.console.find("Processing")), "Processing 'a.map'\nNo brush found\n");
  const RunResult r = run(map, {"-x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "5 classnames in 'q1.ent'\nProcessing 'a.map'\n"
                       "No brush found: the world is written without brushes\n1 entities (1 replaced)\n");
  EXPECT_NE(output().find("// entity 0\n{\n  \"classname\" \"worldspawn\"\n}\n// entity 1\n"), std::string::npos);
}

// A world brush that cannot be rewritten is left out with -x; without it
// the run ends.
TEST_F(Extended, WorldBrushWriteErrorLeavesTheBrushOut) {
  const std::string map = world_of(brush_of(3) + "{\n" + repeat("no parenthesis", 3) + "}\n" + brush_of(3));
  const RunResult r = run(map, {"-x"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.console, "5 classnames in 'q1.ent'\nProcessing 'a.map'\n"
                       "Brush #1 write error: no delimiter (right parenthesis) in line\n3 brushes\nWarning: no entity\n");
  EXPECT_NE(output().find("  // brush 3\n"), std::string::npos);
  EXPECT_EQ(output().find("  // brush 2\n"), std::string::npos);
}

}  // namespace
