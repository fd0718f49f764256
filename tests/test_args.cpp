// The command-line parser.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kit.h"

namespace {

constexpr int sentinel = 999;

std::string rep(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

// An argument vector of writable words, as the parser may cut values in place.
struct Argv {
  std::vector<std::vector<char>> words;
  std::vector<char*> ptrs;
  explicit Argv(const std::vector<std::string>& list) {
    for (const auto& w : list) words.emplace_back(w.c_str(), w.c_str() + w.size() + 1);
    for (auto& w : words) ptrs.push_back(w.data());
    ptrs.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(ptrs.size()) - 1; }
  char** argv() { return ptrs.data(); }
};

// The converter's kind of table: a required value, optional values and flags.
struct Options {
  char s[kit_arg_max + 1];
  char d[kit_arg_max + 1];
  char e[kit_arg_max + 1];
  int q2;
  int en;
  kit_arg table[6];
  Options() : table{{KIT_VALUE, 1, "s", s, 0},   {KIT_VALUE, 0, "d", d, 0},
                    {KIT_VALUE, 0, "e", e, 0},   {KIT_FLAG, 0, "q2", &q2, 0},
                    {KIT_FLAG, 0, "enum", &en, 0}, {KIT_END, 0, "end", nullptr, 0}} {
    // Leftovers that the reset must clear.
    std::strcpy(s, "old");
    std::strcpy(d, "old");
    std::strcpy(e, "old");
    q2 = en = 7;
    for (auto& row : table) row.seen = 1;
  }
};

TEST(Args, Parse) {
  const std::string v255 = rep('v', 255), v256 = rep('v', 256);
  // seen: the seen fields of s, d, e, q2, enum; a flag's target must match.
  const struct {
    const char* label;
    std::vector<std::string> args;  // after the program name
    int result, status;
    const char *s, *d, *seen, *printed;
  } rows[] = {
      {"all", {"-s", "a", "-d", "b", "-e", "c", "-q2", "-enum"}, 1, KIT_OK, "a", "b", "11111", ""},
      {"required only", {"-s", "a.map"}, 1, KIT_OK, "a.map", "", "10000", ""},
      {"nothing given", {}, 0, KIT_ARG_MISSING, "", "", "00000", ""},
      {"value option last", {"-s"}, 0, KIT_ARG_NO_VALUE, "", "", "00000", ""},
      {"option word as value", {"-s", "-d"}, 1, KIT_OK, "-d", "", "10000", ""},
      {"word without dash", {"map.map"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"lone dash", {"-"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"double dash", {"--s", "a"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"other case", {"-S", "a"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"name glued to value", {"-e1"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"abbreviation", {"-en"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"end row", {"-end"}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"flag twice", {"-q2", "-q2"}, 0, KIT_ARG_DUPLICATE, "", "", "00010", ""},
      {"value twice", {"-s", "a", "-s", "b"}, 0, KIT_ARG_DUPLICATE, "a", "", "10000", ""},
      {"fault at third word", {"-q2", "-d", "out", "x"}, 0, KIT_ARG_UNKNOWN, "", "out", "01010", ""},
      {"value of 255", {"-s", v255}, 1, KIT_OK, v255.c_str(), "", "10000", ""},
      {"value of 256", {"-s", v256}, 0, KIT_VALUE_LONG, "", "", "00000", ""},
      {"newline in value of 256", {"-s", "ab\n" + rep('v', 253)}, 0, KIT_VALUE_LONG, "", "", "00000", ""},
      {"option of 256", {"-" + rep('x', 255)}, 0, KIT_ARG_LONG, "", "", "00000", ""},
      {"option of 255", {"-" + rep('x', 254)}, 0, KIT_ARG_UNKNOWN, "", "", "00000", ""},
      {"value cut at newline", {"-s", "a.map\na b"}, 1, KIT_OK, "a.map", "", "10000", ""},
      {"empty value", {"-s", ""}, 1, KIT_OK, "", "", "10000", ""},
      {"code 127", {"-s", "a\x7f"}, 1, KIT_OK, "a\x7f", "", "10000", ""},
      {"blank", {"-s", "a b"}, 0, KIT_VALUE_CHARS, "", "", "00000", "arg = 'a b'\n"},
      {"tab", {"-s", "a\tb"}, 0, KIT_VALUE_CHARS, "", "", "00000", "arg = 'a\tb'\n"},
      {"control", {"-s", "\x01x"}, 0, KIT_VALUE_CHARS, "", "", "00000", "arg = '\x01x'\n"},
      {"byte 128", {"-s", "x\x80"}, 0, KIT_VALUE_CHARS, "", "", "00000", "arg = 'x\x80'\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    Options o;
    std::vector<std::string> list{"korvex"};
    list.insert(list.end(), r.args.begin(), r.args.end());
    Argv av(list);
    kit_set_lasterr(sentinel);
    testing::internal::CaptureStdout();
    const int result = kit_parse_args(av.argc(), av.argv(), o.table, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), r.printed);
    EXPECT_EQ(result, r.result);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_STREQ(o.s, r.s);
    EXPECT_STREQ(o.d, r.d);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(o.table[i].seen, r.seen[i] - '0') << "row " << i;
    EXPECT_EQ(o.q2, r.seen[3] - '0');
    EXPECT_EQ(o.en, r.seen[4] - '0');
    EXPECT_EQ(o.table[5].seen, 1);  // the end row is left alone
  }
}

TEST(Args, NewlineCutStaysInArgv) {
  Options o;
  Argv av({"korvex", "-s", "a.map\nrest"});
  ASSERT_EQ(kit_parse_args(av.argc(), av.argv(), o.table, nullptr), 1);
  EXPECT_STREQ(av.argv()[2], "a.map");
}

TEST(Args, ProgramName) {
  const struct { const char* label; std::string name; bool buffer; int result, status; } rows[] = {
      {"255 with buffer", rep('p', 255), true, 1, KIT_OK},
      {"256 with buffer", rep('p', 256), true, 0, KIT_PROGNAME_LONG},
      {"256 without buffer", rep('p', 256), false, 1, KIT_OK},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    Options o;
    Argv av({r.name, "-s", "a"});
    char prog[kit_arg_max + 1] = "untouched";
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_parse_args(av.argc(), av.argv(), o.table, r.buffer ? prog : nullptr), r.result);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_STREQ(prog, r.buffer && r.result ? r.name.c_str() : "untouched");
  }
}

TEST(Args, BadArgumentsAndRequiredFlag) {
  Options o;
  Argv av({"korvex"});
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_parse_args(av.argc(), nullptr, o.table, nullptr), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_parse_args(av.argc(), av.argv(), nullptr, nullptr), 0);
  EXPECT_EQ(kit_get_lasterr(), KIT_BAD_ARG);

  // A required flag is never missing.
  int flag = 5;
  kit_arg flags[] = {{KIT_FLAG, 1, "f", &flag, 0}, {KIT_END, 0, nullptr, nullptr, 0}};
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_parse_args(av.argc(), av.argv(), flags, nullptr), 1);
  EXPECT_EQ(kit_get_lasterr(), KIT_OK);
  EXPECT_EQ(flag, 0);
}

TEST(Args, FindArg) {
  const Options o;
  const struct { const char* arg; int index; } rows[] = {
      {"-s", 0}, {"-e", 2}, {"-q2", 3}, {"-enum", 4}, {"s", -1}, {"-", -1}, {"--s", -1},
      {"-S", -1}, {"-en", -1}, {"-enums", -1}, {"-end", -1}, {"", -1}, {nullptr, -1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.arg ? r.arg : "(null)");
    kit_set_lasterr(sentinel);
    EXPECT_EQ(kit_find_arg(r.arg, o.table), r.index);
    EXPECT_EQ(kit_get_lasterr(), sentinel);
  }
}

TEST(Args, CheckValue) {
  const struct { const char* value; int result; } rows[] = {
      {"a.map", 1}, {"", 1}, {"!~\x7f", 1}, {"a b", 0}, {"\t", 0},
      {"x\n", 0}, {"\x1f", 0}, {"\x80", 0}, {"\xff", 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "row " << (&r - rows));
    kit_set_lasterr(sentinel);
    testing::internal::CaptureStdout();
    EXPECT_EQ(kit_check_value(r.value), r.result);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, r.result ? "" : "arg = '" + std::string(r.value) + "'\n");
    EXPECT_EQ(kit_get_lasterr(), sentinel);
  }
}

TEST(Args, MissingArg) {
  Options o;  // every seen field 1
  o.table[3].required = 1;  // a required flag is never reported
  o.table[3].seen = o.table[1].seen = 0;  // d is not required
  kit_set_lasterr(sentinel);
  EXPECT_EQ(kit_missing_arg(o.table), -1);
  o.table[2].required = 1;
  o.table[2].seen = o.table[0].seen = 0;
  EXPECT_EQ(kit_missing_arg(o.table), 0);  // the first one missing
  o.table[0].seen = 1;
  EXPECT_EQ(kit_missing_arg(o.table), 2);
  EXPECT_EQ(kit_get_lasterr(), sentinel);
}

}  // namespace
