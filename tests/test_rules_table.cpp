// The entity rules table: what a table says, and what its loader refuses,
// each refusal naming the file and the line.
#include <gtest/gtest.h>

#include "rules_table.h"
#include "temp_dir.h"
#include "test_paths.h"

using namespace conv;

namespace {

struct BadTable {
  const char* text;
  const char* error;  // after "t.rules:"
};

const BadTable bad_tables[] = {
    {"to func_door\n", "1: a rule before the first 'class' line"},
    {"# doors\n\nclass\n", "3: 'class' names no class"},
    {"class func_door\n  sett speed 100\n",
     "2: 'sett' is no action (to omit default set scale remove rename flags offset derive faces lost)"},
    {"class a\n set speed\n", "2: 'set' takes a key and a value"},
    {"class a\n default speed 100 200\n", "2: 'default' takes a key and a value"},
    {"class a\n to\n", "2: 'to' takes a class"},
    {"class a\n omit now\n", "2: 'omit' takes nothing but tests"},
    {"class a\n scale speed twice\n", "2: 'twice' is no number"},
    {"class a\n offset 16 16\n", "2: 'offset' takes three numbers"},
    {"class a\n offset 16 16 2x1\n", "2: '2x1' is no number"},
    {"class a\n flags clear\n", "2: 'flags clear' takes the bits"},
    {"class a\n flags toggle 4\n", "2: 'flags' takes clear, set or move"},
    {"class a\n flags move 1\n", "2: 'flags move' takes the bits to move and the bit they become"},
    {"class a\n flags clear 4|\n",
     "2: '4|' are no flag bits (a whole number above 0, or such numbers joined by '|')"},
    {"class a\n flags set 0\n", "2: '0' are no flag bits (a whole number above 0, or such numbers joined by '|')"},
    {"class a\n flags set -4\n", "2: '-4' are no flag bits (a whole number above 0, or such numbers joined by '|')"},
    {"class a\n derive jump\n", "2: 'jump' is no derivation (push targets door_team secret_door teleporter)"},
    {"class a\n faces glass\n", "2: 'glass' is no face kind (detail nonsolid nonsolid_opaque)"},
    {"class a\n lost Q3 has none\n", "2: 'lost' takes a text (quoted when it holds blanks)"},
    {"class a\n lost \"Q3 has none\n", "2: a quote is not closed"},
    {"class a\n omit if\n", "2: 'if' without a test after it"},
    {"class a\n omit if flag 4 and\n", "2: 'and' without a test after it"},
    {"class a\n omit if flag 4 and and has x\n", "2: 'and' without a test after it"},
    {"class a\n omit if flag\n", "2: 'flag' is no test (flag BITS, !flag BITS, has KEY, !has KEY, KEY OP NUMBER)"},
    {"class a\n omit if speed == 4\n",
     "2: 'speed == 4' is no test (flag BITS, !flag BITS, has KEY, !has KEY, KEY OP NUMBER)"},
    {"class a\n omit if speed < fast\n", "2: 'fast' is no number"},
    {"class a\n omit if !flag x\n",
     "2: 'x' are no flag bits (a whole number above 0, or such numbers joined by '|')"},
    {"class a\n\n\n set wait 1 # fine\n rename mangle\n", "5: 'rename' takes a key and its new name"},
    {"class !light*\n", "1: 'class' names no class, only classes left out"},
    {"class a ! b\n", "1: 'class' names an empty class"},
};

TEST(RulesTable, RefusesEachFaultNamingFileAndLine) {
  for (const BadTable& t : bad_tables) {
    RuleSet set;
    set.path = "untouched";
    std::string error;
    EXPECT_FALSE(parse_rules(t.text, "t.rules", set, error)) << t.text;
    EXPECT_EQ(error, std::string("t.rules:") + t.error) << t.text;
    EXPECT_EQ(set.path, "untouched") << t.text;
  }
}

TEST(RulesTable, ReadsSectionsActionsAndTests) {
  const char* text =
      "# comment line\r\n"
      "class item_health  # the box\r\n"
      "  to item_health_mega if flag 2 and !flag 1\n"
      "  set count 15 if flag 1\n"
      "  offset 16 16 21\n"
      "class trigger_* func_door?\n"
      "  default message \"You found a secret area!\"\n"
      "  flags move 1 4 if wait <= -0.5 and !has targetname\n"
      "  derive push\n"
      "  faces nonsolid_opaque\n";
  RuleSet set;
  std::string error;
  ASSERT_TRUE(parse_rules(text, "x.rules", set, error)) << error;
  EXPECT_EQ(set.path, "x.rules");
  ASSERT_EQ(set.sections.size(), 2u);
  EXPECT_EQ(set.sections[0].patterns, std::vector<std::string>{"item_health"});
  EXPECT_EQ(set.sections[1].patterns, (std::vector<std::string>{"trigger_*", "func_door?"}));
  ASSERT_EQ(set.sections[0].rules.size(), 3u);
  const Rule& to = set.sections[0].rules[0];
  EXPECT_EQ(to.action, RuleAction::to);
  EXPECT_EQ(to.key, "item_health_mega");
  ASSERT_EQ(to.tests.size(), 2u);
  EXPECT_EQ(to.tests[0].kind, TestKind::flag_any);
  EXPECT_EQ(to.tests[0].bits, 2u);
  EXPECT_EQ(to.tests[1].kind, TestKind::flag_none);
  EXPECT_EQ(to.line, 3);
  const Rule& offset = set.sections[0].rules[2];
  EXPECT_EQ(offset.action, RuleAction::offset);
  EXPECT_EQ(offset.offset, (std::array<double, 3>{16, 16, 21}));
  ASSERT_EQ(set.sections[1].rules.size(), 4u);
  EXPECT_EQ(set.sections[1].rules[0].value, "You found a secret area!");
  const Rule& move = set.sections[1].rules[1];
  EXPECT_EQ(move.action, RuleAction::flags_move);
  EXPECT_EQ(move.bits, 1u);
  EXPECT_EQ(move.to_bit, 4u);
  ASSERT_EQ(move.tests.size(), 2u);
  EXPECT_EQ(move.tests[0].kind, TestKind::less_equal);
  EXPECT_EQ(move.tests[0].key, "wait");
  EXPECT_EQ(move.tests[0].number, -0.5);
  EXPECT_EQ(move.tests[1].kind, TestKind::lacks);
  EXPECT_EQ(set.sections[1].rules[2].derivation, Derivation::push);
  EXPECT_EQ(set.sections[1].rules[3].faces, FaceKind::nonsolid_opaque);
}

TEST(RulesTable, ClassPatterns) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"func_door", "func_door", true},      {"func_door", "func_door_secret", false},
      {"func_door", "Func_Door", false},     {"monster_*", "monster_army", true},
      {"*", "anything", true},               {"item_armor?", "item_armor1", true},
      {"item_armor?", "item_armorInv", false}, {"light_*_yellow", "light_flame_large_yellow", true},
  };
  for (const Case& c : cases) EXPECT_EQ(class_pattern_match(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST(RulesTable, SectionsLeaveOutNamesAfterABang) {
  RuleSet set;
  std::string error;
  ASSERT_TRUE(parse_rules("class * !light* !func_group\n omit\n", "t", set, error)) << error;
  EXPECT_TRUE(section_names(set.sections[0], "func_door"));
  EXPECT_FALSE(section_names(set.sections[0], "light_globe"));
  EXPECT_FALSE(section_names(set.sections[0], "func_group"));
  EXPECT_TRUE(section_names(set.sections[0], "func_group2"));
}

TEST(RulesTable, AFileThatCannotBeReadIsNamed) {
  RuleSet set;
  std::string error;
  EXPECT_FALSE(load_rules("/nonexistent/q1.rules", set, error));
  EXPECT_EQ(error, "cannot open the file '/nonexistent/q1.rules'");
}

TEST(RulesTable, ShippedTablesLoad) {
  for (const char* name : {"tables/q1.rules", "tables/q2.rules"}) {
    RuleSet set;
    std::string error;
    EXPECT_TRUE(load_rules(source_file(name), set, error)) << error;
    EXPECT_GT(set.sections.size(), 10u) << name;
  }
}

}  // namespace
