#include <gtest/gtest.h>

#include <ftw.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "kit.h"

namespace {

constexpr int32_t int_guard = 0x5A5A5A5A;
constexpr double real_guard = -777.25;

// A call's result paired with the status it left, so both compare at once.
std::pair<int, int> rs(int result) { return {result, kit_get_lasterr()}; }
std::pair<int, int> want(int result, int status) { return {result, status}; }

class Params : public ::testing::Test {
 protected:
  std::string dir;
  // Targets; the array sits between guard elements.
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
    const std::string p = dir + "/p.cfg";
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return p;
  }
  int load(const std::string& text, kit_param* t = nullptr) {
    return kit_load_params(write(text).c_str(), t ? t : table);
  }
  void reset() {
    count = int_guard;
    gain = real_guard;
    std::strcpy(title, "unset");
    std::fill(std::begin(weights), std::end(weights), real_guard);
  }
};

const char* all_rows = "count 5\ngain 2.5\ntitle Hi\nweights[0] 1\n";

// The same file with LF and with CR LF line ends. Its gain line fills a whole 255-character read;
// with CR LF the read ends on the CR and the newline comes as a piece of its own. The last line
// has no newline.
TEST_F(Params, LoadsEveryTypeWithEitherLineEnd) {
  for (const std::string nl : {"\n", "\r\n"}) {
    SCOPED_TRACE(nl.size() == 1 ? "LF" : "CR LF");
    reset();
    const std::string text = "# comment" + nl + nl + "unknown 1" + nl + "count 5 extra" + nl + "counter 7" +
                             nl + "cou 6" + nl + "gain" + std::string(247, ' ') + "2.5" + nl +
                             "title  Hello world " + nl + "weights[0] 1" + nl + "weights[2] 0.5" + nl.substr(1);
    EXPECT_EQ(rs(load(text)), want(1, 0));
    EXPECT_EQ(count, 6);  // the last occurrence wins; "counter" matches no row
    EXPECT_EQ(gain, 2.5);
    EXPECT_STREQ(title, "Hello world ");
    const double stored[] = {real_guard, 1.0, real_guard, 0.5, real_guard};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(weights[i], stored[i]) << i;
    const int counts[] = {2, 1, 1, 2};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(std::pair(table[i].status, table[i].count), std::pair(0, counts[i])) << i;
  }
}

// The faulty line comes before a good one for the same row: the fault also stops that later line.
TEST_F(Params, LineFaultsGiveRowStatus) {
  const struct {
    const char* line;
    int row, status;
  } rows[] = {{"weights 1", 3, 75},  {"weights[3] 1", 3, 75},  {"weights[99999999999] 1", 3, 75},
              {"weights[1]", 3, 76},  {"weights[1] x", 3, 77},  {"count", 0, 76},  {"count abc", 0, 77},
              {"title \t ", 2, 76},  {"count 5\r ", 0, 77}};  // a carriage return inside the line stays
  for (const auto& [line, row, status] : rows) {
    SCOPED_TRACE(line);
    reset();
    EXPECT_EQ(rs(load(std::string(line) + "\n" + all_rows)), want(0, 78));
    EXPECT_EQ(std::pair(table[row].status, table[row].count), std::pair(status, 0));
    EXPECT_EQ(count, row == 0 ? int_guard : 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(weights[i], i == 1 && row != 3 ? 1.0 : real_guard) << i;
  }
}

TEST_F(Params, RowChecksLastFaultStands) {
  int32_t spare = 0;
  kit_param t[] = {
      {KIT_P_INT, "count", &count, 0, -1, -1, 0},     {7, "seven", &spare, 0, -1, -1, 0},
      {KIT_P_INT, "nulltarget", nullptr, 0, -1, -1, 0}, {KIT_P_STRING, "nosize", title, 0, -1, -1, 0},
      {KIT_P_INT, nullptr, &spare, 0, -1, -1, 0},
      {KIT_P_INT, "", nullptr, 0, -1, -1, 0},  // 71 then 73: the later one stands
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0},
  };
  EXPECT_EQ(rs(load("count 4\nseven 1\nnulltarget 1\nnosize x\n", t)), want(0, 78));
  const int expected[] = {0, 72, 73, 74, 71, 73};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(t[i].status, expected[i]) << i;
  EXPECT_EQ(std::pair(count, t[0].count), std::pair(4, 1));
  EXPECT_EQ(spare, 0);
  EXPECT_STREQ(title, "unset");
}

TEST_F(Params, FileLevelOutcomes) {
  EXPECT_EQ(rs(load("count 5\ngain 2.5\n")), want(0, 78));  // two rows never named
  EXPECT_EQ(std::pair(std::string(title), table[2].count), std::pair(std::string("unset"), 0));
  // A line of blanks stops the reading before the end: the load fails, what came before it stays.
  reset();
  EXPECT_EQ(rs(load("count 5\n \t \ngain 2.5\n")), want(0, 70));
  EXPECT_EQ(std::pair(count, gain), std::pair(5, real_guard));
  // As the file's last line without a newline it reaches the end.
  EXPECT_EQ(rs(load(std::string(all_rows) + "   ")), want(1, 0));
  // Refused before the file is read: the table stays as the caller left it.
  table[0].status = -1;
  EXPECT_EQ(rs(kit_load_params("", table)), want(0, 1));
  EXPECT_EQ(rs(kit_load_params((dir + "/none").c_str(), table)), want(0, 70));
  EXPECT_EQ(table[0].status, -1);
  EXPECT_EQ(rs(kit_load_params(write(all_rows).c_str(), nullptr)), want(0, 1));
}

// Guard values around every target: out-of-range indexes and overlong strings write nothing
// outside the targets.
TEST_F(Params, TargetsBoundedByLengthAndSize) {
  int32_t ints[5] = {int_guard, int_guard, int_guard, int_guard, int_guard};
  char text[32], e0[12], e1[12];
  std::memset(text, '#', sizeof text);
  std::memset(e0, '#', sizeof e0);
  std::memset(e1, '#', sizeof e1);
  char* names[3] = {e0 + 2, e1 + 2, nullptr};  // element 2 lies beyond length
  kit_param t[] = {
      {KIT_P_INT_ARRAY, "ints", &ints[1], 0, -1, -1, 3},   {KIT_P_STRING, "text", text + 4, 8, -1, -1, 0},
      {KIT_P_STRING_ARRAY, "names", names, 8, -1, -1, 2},  {KIT_P_INT_ARRAY, "empty", &ints[1], 0, -1, -1, 0},
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0},
  };
  // Good lines first; the faults that follow must not disturb what they stored.
  EXPECT_EQ(rs(load("ints[2] 9\nints[0] -4\ntext 0123456789abcdef\nnames[1] long value here\n"
                    "names[0] 1234567\nints[3] 1\nnames[99999999999] x\nempty[0] 1\n", t)), want(0, 78));
  const int status[] = {75, 0, 75, 75}, counts[] = {2, 1, 2, 0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(std::pair(t[i].status, t[i].count), std::pair(status[i], counts[i])) << i;
  EXPECT_EQ(std::pair(ints[1], ints[3]), std::pair(-4, 9));
  EXPECT_STREQ(text + 4, "0123456");  // cut to size - 1
  EXPECT_STREQ(e0 + 2, "1234567");
  EXPECT_STREQ(e1 + 2, "long va");
  for (const char* line : {"ints[4294967296] 1", "names[2] x"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(load(line, t), 0);
    EXPECT_EQ(kit_find_param(line, t)->status, 75);
  }
  for (int i : {0, 2, 4}) EXPECT_EQ(ints[i], int_guard) << i;
  for (int i : {0, 1, 2, 3, 12, 13, 31}) EXPECT_EQ(text[i], '#') << i;
  for (int i : {0, 1, 10, 11}) EXPECT_EQ(std::pair(e0[i], e1[i]), std::pair('#', '#')) << i;
}

TEST(SetParam, DirectCalls) {
  char one[1] = {'#'};
  char* elems[1] = {nullptr};
  kit_param rows[] = {{KIT_P_STRING, "s", one, 1, 0, 0, 0}, {KIT_P_STRING_ARRAY, "a", elems, 4, 0, 0, 1}};
  EXPECT_EQ(kit_set_param(&rows[0], "abc", 0), 1);
  EXPECT_EQ(one[0], '\0');  // size 1 holds only the terminating zero
  EXPECT_EQ(kit_set_param(&rows[1], "abc", 0), 0);  // an element without a buffer
}

TEST(ParamIndexAndFindParam, Tables) {
  const std::pair<const char*, int> indexes[] = {
      {"w[0]", 0},   {"w[12]", 12},   {"[3]", 3},   {"w[2147483647]", 2147483647},   {"w[2147483648]", -1},
      {"w[99999999999999999999999]", -1},   {"w", -1},  {"w[]", -1},  {"w[x]", -1},  {"w[1]x", -1},
      {"w[1", -1},  {"w[-1]", -1}};
  kit_set_lasterr(99);
  for (const auto& [token, index] : indexes) EXPECT_EQ(kit_param_index(token), index) << token;
  kit_param t[] = {
      {KIT_P_INT, nullptr, nullptr, 0, 0, 0, 0},   {KIT_P_INT, "count", nullptr, 0, 0, 0, 0},
      {KIT_P_INT, "counter", nullptr, 0, 0, 0, 0}, {KIT_P_INT, "gain", nullptr, 0, 0, 0, 0},
      {KIT_P_END, "after", nullptr, 0, 0, 0, 0},
  };
  const std::pair<const char*, int> finds[] = {{"count", 1}, {"counter", 2}, {"cou", 1},    {"g[2]", 3},
                                               {"[0]", 1},   {"gains", -1},  {"after", -1}, {"Count", -1}};
  for (const auto& [token, index] : finds) {
    const kit_param* found = kit_find_param(token, t);
    EXPECT_EQ(found ? found - t : -1, index) << token;
  }
  EXPECT_EQ(kit_get_lasterr(), 99);  // neither sets a status
}

TEST(RestOfLine, Table) {
  const struct {
    const char *src, *dst;
    int end;  // index of the ender, -1 for none
  } rows[] = {{"  Hello world \r\n", "Hello world ", 14}, {"\t a b\n", "a b", 5}, {" \t\r\n", "", -1}, {"", "", -1}};
  for (const auto& [src, dst, end] : rows) {
    char out[32] = "old";
    const char* got = kit_rest_of_line(out, src);
    EXPECT_EQ(std::pair(got ? got - src : -1, std::string(out)), std::pair(long{end}, std::string(dst))) << src;
  }
}

}  // namespace
