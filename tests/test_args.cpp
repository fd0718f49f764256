// The command-line parser.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kit.h"

namespace {

const std::string V255(255, 'v'), V256(256, 'v');
char s[kit_arg_max + 1], d[kit_arg_max + 1], e[kit_arg_max + 1], prog[kit_arg_max + 1];
int q2, en;
// The converter's kind of table: a required value, optional values and flags.
kit_arg table[] = {{KIT_VALUE, 1, "s", s, 0}, {KIT_VALUE, 0, "d", d, 0}, {KIT_VALUE, 0, "e", e, 0},
    {KIT_FLAG, 0, "q2", &q2, 0}, {KIT_FLAG, 0, "enum", &en, 0}, {KIT_END, 0, "end", nullptr, 0}};

// Parses words (argv[0] first) into the table, with leftovers in every target and seen field, and
// returns "progname|s|d|seen fields of s d e q2 enum", then "|" and the printout if any.
std::string parse(std::vector<std::string> words, char* progname) {
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  for (char* target : {s, d, e, prog}) std::strcpy(target, "old");
  q2 = en = 7;
  for (auto& row : table) row.seen = 1;
  kit_set_lasterr(999);
  testing::internal::CaptureStdout();
  const int result = kit_parse_args(static_cast<int>(words.size()), argv.data(), table, progname);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(result, kit_get_lasterr() == 0);
  EXPECT_EQ(q2 * 10 + en, table[3].seen * 10 + table[4].seen);  // a flag's target tells whether it was given
  EXPECT_EQ(table[5].seen, 1);  // the end row is left alone
  std::string got = std::string(prog) + "|" + s + "|" + d + "|";
  for (int i = 0; i < 5; ++i) got += std::to_string(table[i].seen);
  return printed.empty() ? got : got + "|" + printed;
}

TEST(Args, Parse) {
  // want: see parse(); by default nothing taken.
  const struct {
    const char* label; std::vector<std::string> words; int status; std::string want = "k|||00000";
  } rows[] = {
      {"all", {"k", "-s", "a", "-d", "b", "-e", "c", "-q2", "-enum"}, 0, "k|a|b|11111"},
      {"required only", {"k", "-s", "a.map"}, 0, "k|a.map||10000"}, {"nothing given", {"k"}, 97},
      {"no value", {"k", "-s"}, 93}, {"option as value", {"k", "-s", "-d"}, 0, "k|-d||10000"},
      {"no dash", {"k", "map.map"}, 92}, {"double dash", {"k", "--s", "a"}, 92},
      {"other case", {"k", "-S", "a"}, 92}, {"glued value", {"k", "-e1"}, 92},
      {"abbreviation", {"k", "-en"}, 92}, {"end row", {"k", "-end"}, 92},
      {"flag twice", {"k", "-q2", "-q2"}, 96, "k|||00010"},
      {"value twice", {"k", "-s", "a", "-s", "b"}, 96, "k|a||10000"},
      {"third word unknown", {"k", "-q2", "-d", "out", "x"}, 92, "k||out|01010"},
      {"value of 255", {"k", "-s", V255}, 0, "k|" + V255 + "||10000"},
      {"value of 256", {"k", "-s", V256}, 94},
      {"value of 256, newline", {"k", "-s", std::string("ab\n").append(V256, 3)}, 94},
      {"option of 256", {"k", "-" + V255}, 91}, {"option of 255", {"k", std::string("-").append(V255, 1)}, 92},
      {"newline in value", {"k", "-s", "a.map\na b"}, 0, "k|a.map||10000"},
      {"empty value", {"k", "-s", ""}, 0, "k|||10000"},
      {"code 127", {"k", "-s", "a\x7f"}, 95, "k|||00000|arg = 'a\x7f'\n"},
      {"blank", {"k", "-s", "a b"}, 0, "k|a b||10000"},
      {"control", {"k", "-s", "\x01x"}, 95, "k|||00000|arg = '\x01x'\n"},
      {"tab", {"k", "-s", "a\tb"}, 95, "k|||00000|arg = 'a\tb'\n"},
      {"byte 128", {"k", "-s", "x\x80"}, 0, "k|x\x80||10000"},
      {"UTF-8", {"k", "-s", "caf\xc3\xa9 1.map"}, 0, "k|caf\xc3\xa9 1.map||10000"},
      {"progname of 255", {V255, "-s", "a"}, 0, V255 + "|a||10000"},
      {"progname of 256", {V256, "-s", "a"}, 90, "old|||00000"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    EXPECT_EQ(parse(r.words, prog), r.want);
    EXPECT_EQ(kit_get_lasterr(), r.status);
  }
  EXPECT_EQ(parse({V256, "-s", "a"}, nullptr), "old|a||10000");  // the program name is not looked at
}

TEST(Args, BadArgumentsRequiredFlagAndNewlineCutInArgv) {
  std::string words[] = {"k", "-s", "a.map\nrest"};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data(), nullptr};
  kit_arg flag_only[] = {{KIT_FLAG, 1, "f", &q2, 0}, {KIT_END, 0, nullptr, nullptr, 0}};
  EXPECT_EQ(kit_parse_args(3, nullptr, table, nullptr), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
  EXPECT_EQ(kit_parse_args(3, argv, nullptr, nullptr), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
  EXPECT_EQ(kit_parse_args(1, argv, flag_only, nullptr), 1);  // a required flag is never missing
  EXPECT_EQ(kit_get_lasterr(), KIT_OK);
  EXPECT_EQ(kit_parse_args(3, argv, table, nullptr), 1);
  EXPECT_STREQ(argv[2], "a.map");
}

TEST(Args, HelpersSetNoStatus) {
  kit_arg t[] = {{KIT_FLAG, 1, "f", &q2, 0}, {KIT_VALUE, 0, "a", s, 0}, {KIT_VALUE, 1, "b", d, 0},
                 {KIT_VALUE, 1, "c", e, 0},  {KIT_END, 0, nullptr, nullptr, 0}};
  kit_set_lasterr(999);
  EXPECT_EQ(kit_missing_arg(t), 2);  // the first required value option not seen
  t[2].seen = 1;
  EXPECT_EQ(kit_missing_arg(t), 3);
  t[3].seen = 1;
  EXPECT_EQ(kit_missing_arg(t), -1);  // neither a required flag nor an optional value
  EXPECT_EQ(kit_find_arg("-c", t), 3);
  EXPECT_EQ(kit_check_value(" !~\x80\xff"), 1);
  EXPECT_EQ(kit_get_lasterr(), 999);
}

}  // namespace
