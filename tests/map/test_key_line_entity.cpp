// Key lines read both ways, and the entity model's edits: entity text in,
// entity text out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "entity.h"

using namespace kmap;

namespace {

TEST(KeyLine, QuotedReadingAndWords) {
  const struct {
    std::string_view line;
    bool quoted_key;
    std::string_view key, value;
    bool has_value, closed;
    std::string_view first, second;
  } cases[] = {
      {"\"classname\" \"light\"", true, "classname", "light", true, true, "\"classname\"", "\"light\""},
      {"  \"origin\"\t\"1 2 3\"", true, "origin", "1 2 3", true, true, "\"origin\"", "\"1"},
      {"\"message\" \"open", true, "message", "open", true, false, "\"message\"", "\"open"},
      {"\"origin\" 1 2 3", true, "origin", "", false, false, "\"origin\"", "1"},
      {"\"my key\" \"v\"", true, "my key", "v", true, true, "\"my", "key\""},
      {"\"\" \"\"", true, "", "", true, true, "\"\"", "\"\""},
      {"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex", false, "", "", false, false, "(", "0"},
      {"\"unclosed", false, "", "", false, false, "\"unclosed", ""},
      {"", false, "", "", false, false, "", ""},
  };
  for (const auto& c : cases) {
    const KeyLine k = read_key_line(c.line);
    EXPECT_EQ(k.quoted_key, c.quoted_key) << c.line;
    EXPECT_EQ(k.key, c.key) << c.line;
    EXPECT_EQ(k.value, c.value) << c.line;
    EXPECT_EQ(k.has_value, c.has_value) << c.line;
    EXPECT_EQ(k.value_closed, c.closed) << c.line;
    EXPECT_EQ(k.first_word, c.first) << c.line;
    EXPECT_EQ(k.second_word, c.second) << c.line;
    EXPECT_EQ(first_word(c.line), c.first) << c.line;
  }
}

// An entity of the given lines, every line a key line.
Entity entity_of(const std::vector<std::string>& lines) {
  Entity e;
  e.lines.configure(extended_limits, true);
  for (const std::string& line : lines) {
    EXPECT_EQ(e.lines.add(line), CONV_OK);
    e.note_key_line(e.lines.size() - 1);
  }
  return e;
}

std::vector<std::string> text_of(const Entity& e) {
  std::vector<std::string> lines;
  for (int i = 0; i < e.lines.size(); ++i) lines.emplace_back(e.lines.view(i));
  return lines;
}

TEST(Entity, EditsKeepOrderDuplicatesAndEachLinesText) {
  const std::vector<std::string> door = {"\"classname\" \"func_door\"", "  \"speed\" \"50\" // slow",
                                         "\"target\" \"t1\"", "\"speed\" \"60\"", "\"wait\" 3"};
  using Edit = void (*)(Entity&);
  const struct {
    const char* what;
    Edit edit;
    std::vector<std::string> after;
  } cases[] = {
      {"value of the last duplicate", [](Entity& e) { EXPECT_EQ(e.value("speed"), "60"); },
       door},
      {"set writes every duplicate from its value on",
       [](Entity& e) { EXPECT_EQ(e.set("speed", "100"), CONV_OK); },
       {"\"classname\" \"func_door\"", "  \"speed\" \"100\"", "\"target\" \"t1\"", "\"speed\" \"100\"", "\"wait\" 3"}},
      {"set of an unquoted value writes it quoted",
       [](Entity& e) { EXPECT_EQ(e.set("wait", "-1"), CONV_OK); },
       {"\"classname\" \"func_door\"", "  \"speed\" \"50\" // slow", "\"target\" \"t1\"", "\"speed\" \"60\"", "\"wait\" \"-1\""}},
      {"set of a missing key adds it",
       [](Entity& e) { EXPECT_EQ(e.set("lip", "8"), CONV_OK); },
       {"\"classname\" \"func_door\"", "  \"speed\" \"50\" // slow", "\"target\" \"t1\"", "\"speed\" \"60\"", "\"wait\" 3",
        "\"lip\" \"8\""}},
      {"rename keeps the value and the rest",
       [](Entity& e) { EXPECT_EQ(e.rename("speed", "_speed"), CONV_OK); },
       {"\"classname\" \"func_door\"", "  \"_speed\" \"50\" // slow", "\"target\" \"t1\"", "\"_speed\" \"60\"", "\"wait\" 3"}},
      {"remove takes every duplicate out",
       [](Entity& e) {
         e.remove("speed");
         EXPECT_EQ(e.key_count(), 3);
         EXPECT_EQ(e.value("target"), "t1");
       },
       {"\"classname\" \"func_door\"", "\"target\" \"t1\"", "\"wait\" 3"}},
      {"the class is a key like the others",
       [](Entity& e) {
         EXPECT_EQ(e.set("classname", "func_static"), CONV_OK);
         EXPECT_EQ(e.classname(), "func_static");
       },
       {"\"classname\" \"func_static\"", "  \"speed\" \"50\" // slow", "\"target\" \"t1\"", "\"speed\" \"60\"",
        "\"wait\" 3"}},
  };
  for (const auto& c : cases) {
    Entity e = entity_of(door);
    c.edit(e);
    EXPECT_EQ(text_of(e), c.after) << c.what;
  }
}

TEST(Entity, EditsThatDoNotFitLeaveTheEntityAsItWas) {
  Entity e;
  e.lines.configure(classic_limits, false);
  ASSERT_EQ(e.lines.add("\"classname\" \"light\""), CONV_OK);
  e.note_key_line(0);
  EXPECT_EQ(e.set("classname", std::string(600, 'x')), CONV_LINE_TOO_LONG);
  EXPECT_EQ(e.classname(), "light");
  for (int i = 1; i < classic_limits.block_lines; ++i) ASSERT_EQ(e.lines.add("{"), CONV_OK);
  EXPECT_EQ(e.add("light", "300"), CONV_TOO_MANY_LINES);
  EXPECT_EQ(e.key_count(), 1);
}

}  // namespace
