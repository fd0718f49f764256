// The rewriting of a block, in process: entity text in, entity text out;
// and whole runs that share one process.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "read_blocks.h"
#include "write_blocks.h"
#include "rewrite.h"
#include "korvex_runner.h"

using namespace kmap;
using namespace conv;

namespace {

// Reads the first entity after a world of one brush from `map`, rewrites it
// and writes it; returns the status and the text written.
struct Rewritten {
  conv_status status;
  std::string text;
};

Rewritten rewrite_text(const std::string& entity, double size, double light, const char* table_text,
                       bool extended = false) {
  const std::string map = "{\n\"classname\" \"worldspawn\"\n{\n( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) w\n"
                          "( 0 0 1 ) ( 1 0 1 ) ( 0 1 1 ) w\n( 0 0 2 ) ( 1 0 2 ) ( 0 1 2 ) w\n}\n}\n" +
                          entity;
  TempDir dir;
  dir.write("t.ent", table_text);
  auto settings = std::make_unique<Settings>();
  settings->factors = {light, size};
  settings->modes.extended = extended;
  settings->limits = extended ? &extended_limits : &classic_limits;
  ClassTable table;
  FILE* table_file = fopen(dir.file("t.ent").c_str(), "r");
  EXPECT_EQ(load_class_table(table_file, table), CONV_OK);
  if (table_file != nullptr) fclose(table_file);
  auto block = std::make_unique<Block>();
  auto input = std::make_unique<SourceInput>();
  FILE* in = fmemopen(const_cast<char*>(map.data()), map.size(), "r");
  start_reading(*input, in, *block, *settings);
  EXPECT_TRUE(find_worldspawn(*input, *block));
  EXPECT_EQ(read_world_brush(*input, *block, *settings, nullptr).status, CONV_OK);
  EXPECT_EQ(read_world_brush(*input, *block, *settings, nullptr).status, CONV_END);
  EXPECT_EQ(read_entity(*input, *block, table, *settings).status, CONV_OK);
  fclose(in);
  PlayableRewrite playable;
  std::vector<Entity> added;
  Rewritten result{rewrite_entity(*block, table, *settings, playable, 1, added), ""};
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  write_entity(out, block->entity, 1);
  fclose(out);
  result.text.assign(text, length);
  free(text);
  return result;
}

struct RewriteCase {
  const char* name;
  const char* entity;
  double size;
  double light;
  bool extended;
  conv_status status;
  const char* written;
};

const RewriteCase rewrites[] = {
    {"door renamed and retextured, scaled", R"({
"classname" "func_door"
{
( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) metal1_1 0 0 0 1 1
( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) +0btn 8 8 90 1 1
(1 1 1)(2 2 2)(3 3 3) tex [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1
}
}
)",
     2, 1, false, CONV_OK, R"(// entity 1
  {
    "classname" "func_door"
    {
    ( 0 0 0 ) ( 0 128 0 ) ( 128 0 0 ) base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0
    ( 0 0 32 ) ( 128 0 32 ) ( 0 128 32 ) base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0
    ( 2 2 2 ) ( 4 4 4 ) ( 6 6 6 ) base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0
    }
  }
)"},
    {"points kept as written at factor 1", R"({
"classname" "trigger_once"
{
(1 1 1)  (2 2 2) ( 3 3 3 ) *slime0 0 0 0 1 1
( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) x)y 0 0 0 1 1
( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 )
}
}
)",
     1, 1, false, CONV_OK, R"(// entity 1
  {
    "classname" "trigger_multiple"
    {
    (1 1 1)  (2 2 2) ( 3 3 3 ) common/trigger -4 0 0 0.5 0.5 0 0 0
    ( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) x) common/trigger -4 0 0 0.5 0.5 0 0 0
    ( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) common/trigger -4 0 0 0.5 0.5 0 0 0
    }
  }
)"},
    {"light scaled", "{\n\"classname\" \"light\"\n\"origin\" \"8 8 8\"\n\"light\" \"200\"\n}\n", 2, 0.5,
     false, CONV_OK, "// entity 1\n  {\n    \"classname\" \"light\"\n    \"origin\" \"16 16 16\"\n    \"light\" \"100\"\n  }\n"},
    {"light supplied", "{\n\"classname\" \"light\"\n\"origin\" \"8 8 8\"\n}\n", 1, 0.5, false, CONV_OK,
     "// entity 1\n  {\n    \"classname\" \"light\"\n    \"origin\" \"8 8 8\"\n    \"light\" \"150\"\n  }\n"},
    {"light value not a number", "{\n\"classname\" \"light\"\n\"light\" \"bright\"\n\"origin\" \"0 0 0\"\n}\n", 1,
     2, false, CONV_BAD_LIGHT, "// entity 1\n  {\n    \"classname\" \"light\"\n    \"light\" \"bright\"\n    \"origin\" \"0 0 0\"\n  }\n"},
    {"origin at full precision", "{\n\"classname\" \"info_null\"\n\"origin\" \"0.1 -3 1e2\"\n}\n", 1.5, 1, true,
     CONV_OK, "// entity 1\n  {\n    \"classname\" \"info_null\"\n    \"origin\" \"0.15000000000000002 -4.5 150\"\n  }\n"},
    {"coordinate beyond 32 bits", "{\n\"classname\" \"info_null\"\n\"origin\" \"1e10 0 0\"\n}\n", 2, 1, false,
     CONV_BAD_COORD, "// entity 1\n  {\n    \"classname\" \"info_null\"\n    \"origin\" \"1e10 0 0\"\n  }\n"},
};

class Rewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrite, EntityTextInTextOut) {
  const RewriteCase& c = GetParam();
  const Rewritten r = rewrite_text(c.entity, c.size, c.light,
                                   "func_door *\ntrigger_once trigger_multiple\nlight *\ninfo_null *\n", c.extended);
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.text, c.written);
}

INSTANTIATE_TEST_SUITE_P(Entities, Rewrite, ::testing::ValuesIn(rewrites),
                         [](const auto& test) {
                           std::string name = test.param.name;
                           for (char& ch : name) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// The light key is searched line by line, and a brace line whose first word
// is beyond the word limit ends the search before a light key after it.
TEST(Rewrite, LightSearchStopsAtAnUntakeableBraceLine) {
  const std::string brush = "{" + std::string(70, 'x') +
                            "\n( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) w\n( 0 0 1 ) ( 1 0 1 ) ( 0 1 1 ) w\n"
                            "( 0 0 2 ) ( 1 0 2 ) ( 0 1 2 ) w\n}\n";
  const char* table = "light *\n";
  EXPECT_EQ(rewrite_text("{\n\"classname\" \"light\"\n" + brush + "\"light\" \"200\"\n}\n", 1, 2, table).status,
            CONV_TOKEN);
  EXPECT_EQ(rewrite_text("{\n\"classname\" \"light\"\n\"light\" \"200\"\n" + brush + "}\n", 1, 2, table).status,
            CONV_OK);
}

// Runs one after another in one process give the same console, map and
// log; the log counts from 1 each time.
TEST(InProcess, RunsInOneProcessGiveTheSameResult) {
  TempDir dir;
  dir.write("q1.ent", "light *\nfunc_door *\n");
  dir.write("m.map", R"({
"classname" "worldspawn"
{
( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) w 0 0 0 1 1
}
{
( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) w 0 0 0 1 1
( 0 0 1 ) ( 1 0 1 ) ( 0 1 1 ) w 0 0 0 1 1
( 0 0 2 ) ( 1 0 2 ) ( 0 1 2 ) w 0 0 0 1 1
}
}
{
"classname" "light"
"origin" "1 2 3"
}
{
}
)");
  struct Outcome {
    std::string console, map, log;
    int status;
  };
  auto once = [&] {
    const KorvexRun r = run_korvex_in(dir, {"-s", "m.map", "-g", "2", "-l", "0.5"});
    return Outcome{r.out(), r.file("m.1q3").value_or(""), r.file("korvex.log").value_or(""), r.status};
  };
  const Outcome first = once();
  const Outcome second = once();
  const Outcome third = once();
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.log.rfind(record(1, "Discarded invalid brush #0:"), 0), 0U) << first.log;
  for (const Outcome* o : {&second, &third}) {
    EXPECT_EQ(o->status, first.status);
    EXPECT_EQ(o->console, first.console);
    EXPECT_EQ(o->map, first.map);
    EXPECT_EQ(o->log, first.log);
  }
}

}  // namespace
