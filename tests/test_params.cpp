#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "kit.h"

namespace {

constexpr int32_t int_guard = 0x5A5A5A5A;
constexpr double real_guard = -777.25, g = real_guard;

// A call's result paired with the status it left, so both compare at once.
std::pair<int, int> rs(int result) { return {result, kit_get_lasterr()}; }

// Each row's status and count, as "status/count" words.
std::string verdicts(const kit_param* t) {
  std::string v;
  for (; t->type != KIT_P_END; ++t) v += std::to_string(t->status) + "/" + std::to_string(t->count) + " ";
  return v;
}

// Loads text from a file of this process's own, removed when the tests end.
const std::string cfg = "/tmp/korvex_params_" + std::to_string(getpid()) + ".cfg";
const struct Cleanup { ~Cleanup() { std::remove(cfg.c_str()); } } cleanup;
int load(const std::string& text, kit_param* table) {
  std::ofstream(cfg, std::ios::binary) << text;
  return kit_load_params(cfg.c_str(), table);
}

// Targets of every type, the array between two guards, and the table that names them.
struct Config {
  int32_t count = int_guard;
  double gain = real_guard;
  char title[64] = "unset";
  double weights[5] = {g, g, g, g, g};
  kit_param table[5] = {
      {KIT_P_INT, "count", &count, 0, -1, -1, 0}, {KIT_P_REAL, "gain", &gain, 0, -1, -1, 0},
      {KIT_P_STRING, "title", title, 64, -1, -1, 0}, {KIT_P_REAL_ARRAY, "weights", &weights[1], 0, -1, -1, 3},
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0}};
  std::vector<double> weights_image() const { return {weights, weights + 5}; }
};

const char* all_rows = "count 5\ngain 2.5\ntitle Hi\nweights[0] 1\n";

// The same file with LF and with CR LF line ends. Its gain line fills a whole 255-character
// read; with CR LF that read ends on the CR and the newline comes as a piece of its own. The
// last line has no newline.
TEST(Params, LoadsEveryTypeWithEitherLineEnd) {
  for (const std::string nl : {"\n", "\r\n"}) {
    SCOPED_TRACE(nl.size() == 1 ? "LF" : "CR LF");
    Config c;
    const std::string f = "# comment" + nl + nl + "unknown 1" + nl + "count 5 extra" + nl + "counter 7" + nl +
                          "cou 6" + nl + "gain" + std::string(247, ' ') + "2.5" + nl + "title  Hello world " +
                          nl + "weights[0] 1" + nl + "weights[2] 0.5" + nl.substr(1);
    EXPECT_EQ(rs(load(f, c.table)), std::pair(1, 0));
    EXPECT_EQ(std::pair(c.count, c.gain), std::pair(6, 2.5));  // a shortened name; "counter" names no row
    EXPECT_STREQ(c.title, "Hello world ");
    EXPECT_EQ(c.weights_image(), (std::vector{g, 1.0, g, 0.5, g}));
    EXPECT_EQ(verdicts(c.table), "0/2 0/1 0/1 0/2 ");
  }
}

// The faulty line comes before a good one for the same row, which the fault also stops; a
// carriage return inside a line stays part of it.
TEST(Params, LineFaultsGiveRowStatus) {
  const std::pair<const char*, const char*> rows[] = {
      {"weights 1", "0/1 0/1 0/1 75/0 "}, {"weights[] 1", "0/1 0/1 0/1 75/0 "},
      {"weights[1]x 1", "0/1 0/1 0/1 75/0 "}, {"weights[-1] 1", "0/1 0/1 0/1 75/0 "},
      {"weights[3] 1", "0/1 0/1 0/1 75/0 "}, {"weights[99999999999] 1", "0/1 0/1 0/1 75/0 "},
      {"weights[1]", "0/1 0/1 0/1 76/0 "}, {"weights[1] x", "0/1 0/1 0/1 77/0 "},
      {"count", "76/0 0/1 0/1 0/1 "}, {"count abc", "77/0 0/1 0/1 0/1 "}, {"count 5\r ", "77/0 0/1 0/1 0/1 "},
      {"title \t ", "0/1 0/1 76/0 0/1 "}};
  for (const auto& [line, verdict] : rows) {
    SCOPED_TRACE(line);
    Config c;
    EXPECT_EQ(rs(load(std::string(line) + "\n" + all_rows, c.table)), std::pair(0, 78));
    EXPECT_EQ(verdicts(c.table), verdict);
    const double w1 = c.table[3].count ? 1.0 : g;  // a faulty row's target is untouched
    EXPECT_EQ(std::pair(c.count, c.weights_image()),
              std::pair(c.table[0].count ? 5 : int_guard, std::vector{g, w1, g, g, g}));
  }
}

TEST(Params, FileLevelOutcomes) {
  Config c, d;
  EXPECT_EQ(rs(load("count 5\ngain 2.5\n", c.table)), std::pair(0, 78));  // two rows never named
  EXPECT_EQ(verdicts(c.table), "0/1 0/1 0/0 0/0 ");
  EXPECT_STREQ(c.title, "unset");
  // A line of blanks stops the reading before the end: the load fails, what came before it stays.
  EXPECT_EQ(rs(load("count 5\n \t \ngain 2.5\n", d.table)), std::pair(0, 70));
  EXPECT_EQ(std::pair(d.count, d.gain), std::pair(5, real_guard));
  // As the file's last line, without a newline, it reaches the end.
  EXPECT_EQ(rs(load(std::string(all_rows) + "   ", c.table)), std::pair(1, 0));
  // Refused before the file is read: the table stays as the caller left it.
  Config e;
  EXPECT_EQ(rs(kit_load_params("", e.table)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_load_params((cfg + ".none").c_str(), e.table)), std::pair(0, 70));
  EXPECT_EQ(verdicts(e.table), "-1/-1 -1/-1 -1/-1 -1/-1 ");
}

// Faulty rows and out-of-range lines write nothing: guard values surround every target, and
// strings are cut to size - 1 inside them.
TEST(Params, RowChecksAndBoundsProtectMemory) {
  int32_t ints[5] = {int_guard, int_guard, int_guard, int_guard, int_guard};
  char pool[48];  // string buffers of 8 bytes at 4, 16 and 28, guards around them
  std::memset(pool, '#', sizeof pool);
  char* names[3] = {pool + 16, pool + 28, nullptr};  // the last element has no buffer
  kit_param t[] = {  // the row named "" has two faults: the later one stands
      {KIT_P_INT, nullptr, &ints[0], 0, -1, -1, 0}, {KIT_P_INT_ARRAY, "ints", &ints[1], 0, -1, -1, 3},
      {KIT_P_STRING, "text", pool + 4, 8, -1, -1, 0}, {KIT_P_STRING_ARRAY, "names", names, 8, -1, -1, 3},
      {KIT_P_INT_ARRAY, "empty", &ints[1], 0, -1, -1, 0}, {KIT_P_INT, "nulltarget", nullptr, 0, -1, -1, 0},
      {KIT_P_STRING, "nosize", pool + 40, 0, -1, -1, 0}, {7, "seven", &ints[4], 0, -1, -1, 0},
      {-1, "minus", pool, 0, -1, -1, 0}, {KIT_P_INT, "", nullptr, 0, -1, -1, 0},
      {KIT_P_END, nullptr, nullptr, 0, 0, 0, 0}};
  // Good lines first; the faults that follow must not disturb what they stored.
  const char* text = "ints[2] 9\nints[0] -4\ntext 0123456789abcdef\nnames[1] long value here\n"
                     "names[0] 1234567\nints[3] 1\nnames[99999999999] x\nempty[0] 1\nnulltarget 1\nnosize x\n"
                     "seven 1\nminus 1\n";
  EXPECT_EQ(rs(load(text, t)), std::pair(0, 78));
  EXPECT_EQ(verdicts(t), "71/0 75/2 0/1 75/2 75/0 73/0 74/0 72/0 72/0 73/0 ");
  EXPECT_EQ(rs(load("ints[4294967296] 1\nnames[2] x\n", t)), std::pair(0, 78));  // 2^32 must not wrap to 0
  EXPECT_EQ(verdicts(t), "71/0 75/0 0/0 77/0 0/0 73/0 74/0 72/0 72/0 73/0 ");
  EXPECT_EQ(kit_param_index("w[2147483647]"), 2147483647);  // the largest index still read
  EXPECT_EQ(std::vector(ints, ints + 5), (std::vector{int_guard, -4, int_guard, 9, int_guard}));
  EXPECT_EQ(std::string(pool, 48), std::string("####0123456\0####1234567\0####long va\0############", 48));
}

}  // namespace
