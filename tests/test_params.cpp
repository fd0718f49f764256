#include <gtest/gtest.h>

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "kit.h"

namespace {

constexpr int32_t int_guard = 0x5A5A5A5A;
constexpr double real_guard = -777.25;

class Params : public ::testing::Test {
 protected:
  std::string dir;
  // Targets; arrays and strings sit between guard elements.
  int32_t count = int_guard;
  double gain = real_guard;
  char title[64] = "unset";
  double weights[5] = {real_guard, real_guard, real_guard, real_guard, real_guard};
  kit_param table[5] = {
      {KIT_P_INT, "count", &count, 0, -1, -1, 0},
      {KIT_P_REAL, "gain", &gain, 0, -1, -1, 0},
      {KIT_P_STRING, "title", title, 64, -1, -1, 0},
      {KIT_P_REAL_ARRAY, "weights", &weights[1], 0, -1, -1, 3},
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0},
  };

  void SetUp() override {
    char tmpl[] = "/tmp/korvex_params_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override {
    nftw(dir.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); }, 8,
         FTW_DEPTH | FTW_PHYS);
  }
  std::string write(const std::string& text) const {
    static int n = 0;
    const std::string p = dir + "/p" + std::to_string(n++) + ".cfg";
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return p;
  }
  int load(const std::string& text, kit_param* t = nullptr) {
    return kit_load_params(write(text).c_str(), t ? t : table);
  }
  void expect_guards() const {
    EXPECT_EQ(weights[0], real_guard);
    EXPECT_EQ(weights[4], real_guard);
  }
};

// A call's result paired with the status it left, so both compare at once.
std::pair<int, int> rs(int result) { return {result, kit_get_lasterr()}; }
std::pair<int, int> want(int result, int status) { return {result, status}; }

const char* all_rows = "count 5\ngain 2.5\ntitle Hi\nweights[0] 1\n";

TEST_F(Params, LoadsEveryType) {
  const std::string text =
      "# comment\n\nunknown 1\n  #x 2\ncount 5 extra\ngain 2.5\ntitle   Hello world \n"
      "weights[0] 1\nweights[2] 0.5\n";
  EXPECT_EQ(rs(load(text)), want(1, 0));
  EXPECT_EQ(count, 5);
  EXPECT_EQ(gain, 2.5);
  EXPECT_STREQ(title, "Hello world ");
  EXPECT_EQ(weights[1], 1.0);
  EXPECT_EQ(weights[2], real_guard);
  EXPECT_EQ(weights[3], 0.5);
  expect_guards();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(table[i].status, 0) << i;
    EXPECT_EQ(table[i].count, i == 3 ? 2 : 1) << i;
  }
}

TEST_F(Params, ShortenedNamesRepeatsAndScalarIndex) {
  EXPECT_EQ(load(std::string(all_rows) + "cou 6\ncounter 7\n[0] 8\ngain[9] 4\n"), 1);
  EXPECT_EQ(count, 8);  // the last occurrence wins; "counter" matches nothing
  EXPECT_EQ(table[0].count, 3);
  EXPECT_EQ(gain, 4.0);  // a scalar ignores an index
}

struct fault_row {
  const char* line;
  int row;
  int status;
};

TEST_F(Params, LineFaultsGiveRowStatus) {
  const fault_row rows[] = {
      {"weights 1", 3, 75},      {"weights[] 1", 3, 75},  {"weights[x] 1", 3, 75},
      {"weights[1]x 1", 3, 75},  {"weights[-1] 1", 3, 75},
      {"weights[3] 1", 3, 75},  // one past the array's length
      {"weights[2147483647] 1", 3, 75}, {"weights[99999999999] 1", 3, 75},
      {"weights[1]", 3, 76},     {"weights[1] x", 3, 77}, {"count", 0, 76},
      {"count abc", 0, 77},      {"title", 2, 76},        {"title \t ", 2, 76},
      {"count 5\r ", 0, 77},  // a carriage return inside the line stays
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.line);
    count = int_guard;
    std::strcpy(title, "unset");
    for (auto& w : weights) w = real_guard;
    // The faulty line comes after a good one for the same row: a fault
    // stops later lines too, but keeps what was stored before.
    EXPECT_EQ(rs(load(std::string(r.line) + "\n" + all_rows)), want(0, 78));
    EXPECT_EQ(table[r.row].status, r.status);
    EXPECT_EQ(table[r.row].count, 0);
    EXPECT_EQ(count, r.row == 0 ? int_guard : 5);
    EXPECT_STREQ(title, r.row == 2 ? "unset" : "Hi");
    const double stored = r.row == 3 ? real_guard : 1.0;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(weights[i], i == 1 ? stored : real_guard) << i;
  }
}

TEST_F(Params, RowChecksLastFaultStands) {
  int32_t spare = 0;
  kit_param t[] = {
      {KIT_P_INT, "count", &count, 0, -1, -1, 0},
      {7, "seven", &spare, 0, -1, -1, 0},
      {KIT_P_INT, "nulltarget", nullptr, 0, -1, -1, 0},
      {KIT_P_STRING, "nosize", title, 0, -1, -1, 0},
      {KIT_P_INT, nullptr, &spare, 0, -1, -1, 0},
      {KIT_P_INT, "", nullptr, 0, -1, -1, 0},  // 71 then 73: the later one stands
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0},
  };
  EXPECT_EQ(rs(load("count 4\nseven 1\nnulltarget 1\nnosize x\n", t)), want(0, 78));
  const int expected[] = {0, 72, 73, 74, 71, 73};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(t[i].status, expected[i]) << i;
  EXPECT_EQ(count, 4);
  EXPECT_EQ(t[0].count, 1);
  EXPECT_EQ(spare, 0);
  EXPECT_STREQ(title, "unset");
}

TEST_F(Params, FileLevelOutcomes) {
  EXPECT_EQ(rs(load("count 5\ngain 2.5\n")), want(0, 78));  // two rows never named
  EXPECT_STREQ(title, "unset");
  EXPECT_EQ(table[2].count, 0);

  // A line of blanks stops the reading before the end: the load fails, what
  // came before it stays stored.
  count = int_guard;
  gain = real_guard;
  EXPECT_EQ(rs(load("count 5\n \t \ngain 2.5\n")), want(0, 70));
  EXPECT_EQ(count, 5);
  EXPECT_EQ(gain, real_guard);
  // Its line-ending CR changes nothing.
  EXPECT_EQ(rs(load("count 5\n  \r\ngain 2.5\n")), want(0, 70));
  // As the file's last line without a newline it reaches the end.
  EXPECT_EQ(rs(load(std::string(all_rows) + "   ")), want(1, 0));

  // Refused before the file is read: the table stays as the caller left it.
  table[0].status = -1;
  for (const char* p : {"", (const char*)nullptr})
    EXPECT_EQ(rs(kit_load_params(p, table)), want(0, 1));
  EXPECT_EQ(rs(kit_load_params((dir + "/none").c_str(), table)), want(0, 70));
  EXPECT_EQ(table[0].status, -1);
  EXPECT_EQ(rs(kit_load_params(write(all_rows).c_str(), nullptr)), want(0, 1));
}

TEST_F(Params, CrLfFile) {
  // The gain line fills a whole 255-character read with its CR last; the
  // newline arrives as a piece of its own. The last line has no newline.
  const std::string text = "count 5\r\n\r\ngain" + std::string(247, ' ') +
                           "2.5\r\ntitle  Hi there \r\nweights[1] 0.25\r\nweights[2] 7\r";
  EXPECT_EQ(rs(load(text)), want(1, 0));
  EXPECT_EQ(count, 5);
  EXPECT_EQ(gain, 2.5);
  EXPECT_STREQ(title, "Hi there ");
  EXPECT_EQ(weights[2], 0.25);
  EXPECT_EQ(weights[3], 7.0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(table[i].status, 0) << i;
}

TEST_F(Params, TargetsBoundedByLengthAndSize) {
  int32_t ints[5] = {int_guard, int_guard, int_guard, int_guard, int_guard};
  char text[32], e0[12], e1[12];
  std::memset(text, '#', sizeof text);
  std::memset(e0, '#', sizeof e0);
  std::memset(e1, '#', sizeof e1);
  char* names[3] = {e0 + 2, e1 + 2, nullptr};  // element 2 lies beyond length
  kit_param t[] = {
      {KIT_P_INT_ARRAY, "ints", &ints[1], 0, -1, -1, 3},
      {KIT_P_STRING, "text", text + 4, 8, -1, -1, 0},
      {KIT_P_STRING_ARRAY, "names", names, 8, -1, -1, 2},
      {KIT_P_INT_ARRAY, "empty", &ints[1], 0, -1, -1, 0},
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0},
  };
  // Good lines first; the faults that follow must not disturb what they stored.
  const char* file =
      "ints[2] 9\nints[0] -4\ntext 0123456789abcdef\nnames[1] long value here\n"
      "names[0] 1234567\nints[3] 1\nnames[99999999999] x\nempty[0] 1\n";
  EXPECT_EQ(rs(load(file, t)), want(0, 78));
  const int status[] = {75, 0, 75, 75}, count[] = {2, 1, 2, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t[i].status, status[i]) << i;
    EXPECT_EQ(t[i].count, count[i]) << i;
  }
  EXPECT_EQ(ints[1], -4);
  EXPECT_EQ(ints[3], 9);
  EXPECT_STREQ(text + 4, "0123456");  // cut to size - 1
  EXPECT_STREQ(e0 + 2, "1234567");
  EXPECT_STREQ(e1 + 2, "long va");
  for (const char* line : {"ints[4294967296] 1", "ints[99999999999999999999] 1", "names[2] x"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(load(line, t), 0);
    EXPECT_EQ(kit_find_param(line, t)->status, 75);
  }
  EXPECT_EQ(ints[0], int_guard);
  EXPECT_EQ(ints[2], int_guard);
  EXPECT_EQ(ints[4], int_guard);
  for (int i : {0, 1, 2, 3, 12, 13, 14, 15, 16, 31}) EXPECT_EQ(text[i], '#') << i;
  for (int i : {0, 1, 10, 11}) EXPECT_EQ(e0[i], '#') << i;
  for (int i : {0, 1, 10, 11}) EXPECT_EQ(e1[i], '#') << i;
}

TEST(SetParam, DirectCalls) {
  int32_t i = int_guard;
  char one[1] = {'#'};
  char* elems[1] = {nullptr};
  kit_param rows[] = {
      {KIT_P_INT, "i", &i, 0, 0, 0, 0},
      {KIT_P_STRING, "s", one, 1, 0, 0, 0},
      {KIT_P_STRING_ARRAY, "a", elems, 4, 0, 0, 1},
      {KIT_P_END, "end", &i, 0, 0, 0, 0},
  };
  EXPECT_EQ(kit_set_param(&rows[0], "12", 99), 1);  // a scalar ignores the index
  EXPECT_EQ(i, 12);
  EXPECT_EQ(kit_set_param(&rows[0], "1x", 0), 0);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(kit_set_param(&rows[1], "abc", 0), 1);
  EXPECT_EQ(one[0], '\0');  // size 1 holds only the terminating zero
  EXPECT_EQ(kit_set_param(&rows[2], "abc", 0), 0);  // element without a buffer
  EXPECT_EQ(kit_set_param(&rows[3], "1", 0), 0);
  EXPECT_EQ(kit_set_param(nullptr, "1", 0), 0);
}

TEST(ParamIndex, Table) {
  struct row {
    const char* token;
    int index;
  };
  const row rows[] = {{"w[0]", 0},         {"w[12]", 12},           {"[3]", 3},
                      {"w[007]", 7},       {"w[2147483647]", 2147483647},
                      {"w[2147483648]", -1}, {"w[99999999999999999999999]", -1},
                      {"w", -1},           {"w[]", -1},             {"w[x]", -1},
                      {"w[1]x", -1},       {"w[1", -1},             {"w[-1]", -1},
                      {"w[1][2]", -1},     {"w[ 1]", -1}};
  kit_set_lasterr(99);
  for (const auto& r : rows) EXPECT_EQ(kit_param_index(r.token), r.index) << r.token;
  EXPECT_EQ(kit_get_lasterr(), 99);
}

TEST(FindParam, Table) {
  kit_param t[] = {
      {KIT_P_INT, nullptr, nullptr, 0, 0, 0, 0}, {KIT_P_INT, "count", nullptr, 0, 0, 0, 0},
      {KIT_P_INT, "counter", nullptr, 0, 0, 0, 0}, {KIT_P_INT, "gain", nullptr, 0, 0, 0, 0},
      {KIT_P_END, "after", nullptr, 0, 0, 0, 0},
  };
  struct row {
    const char* token;
    int index;
  };
  const row rows[] = {{"count", 1}, {"counter", 2}, {"cou", 1},   {"g[2]", 3},  {"[0]", 1},
                      {"gains", -1}, {"after", -1},  {"x[1]", -1}, {"Count", -1}};
  kit_set_lasterr(99);
  for (const auto& r : rows) {
    const kit_param* found = kit_find_param(r.token, t);
    EXPECT_EQ(found ? found - t : -1, r.index) << r.token;
  }
  EXPECT_EQ(kit_get_lasterr(), 99);
}

TEST(RestOfLine, Table) {
  struct row {
    const char* src;
    const char* dst;
    int end;  // index of the ender, -1 for none
  };
  const row rows[] = {{"  Hello world \r\n", "Hello world ", 14}, {"\t a b\n", "a b", 5},
                      {"x", "x", 1},                              {"   ", "", -1},
                      {" \t\r\n", "", -1},                        {"", "", -1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.src);
    char dst[32] = "old";
    const char* end = kit_rest_of_line(dst, r.src);
    EXPECT_EQ(end ? end - r.src : -1, r.end);
    EXPECT_STREQ(dst, r.dst);
  }
}

}  // namespace
