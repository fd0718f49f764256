#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "kit.h"

namespace {

constexpr int32_t int_guard = 0x5A5A5A5A;
constexpr double real_guard = -777.25;
constexpr int stale = 99;    // a status no routine here sets: success must clear it
constexpr int REAL = -100;   // base column: the row is for a real-number reader
constexpr long STR = -2;     // next column: a whole-string reader, not a token reader
constexpr int WHOLE = -1;    // end column: a token reader without a range

const std::string ones31(31, '1'), ones32(32, '1'), ones23(23, '1'), ones24(24, '1');

// A call's result paired with the status it left, so both compare at once.
template <typename T>
std::pair<T, int> rs(T result) {
  return {result, kit_get_lasterr()};
}
const std::pair<const char*, int> null_with(int status) { return {nullptr, status}; }

struct row {
  const char* text;
  int base;
  double value;
  int status;
  long next = STR;  // token readers: offset of the returned position, -1 for null
  int end = WHOLE;  // range readers: offset of the range's last character
  const char* delims = nullptr;
};

// Every reader in one table. Real values are the reader's own, bit for bit: repeated 0.1
// weights and powers make many of them differ from a correctly rounded conversion.
const row rows[] = {
    {ones31.c_str(), KIT_BIN, 2147483647, 0}, {ones32.c_str(), KIT_BIN, 0, 56}, {"-1", KIT_BIN, 0, 55},
    {"999999999", KIT_DEC, 999999999, 0},     {"1234567890", KIT_DEC, 0, 56},   {"+5", KIT_DEC, 0, 55},
    {"-999999999", KIT_DEC, -999999999, 0},   {"-1234567890", KIT_DEC, 0, 56},  {"12a", KIT_DEC, 0, 55},
    {"12345678x9", KIT_DEC, 0, 56},  // the length is judged before the digits
    {"", KIT_DEC, 0, 0},  {"-", KIT_DEC, 0, 0},  {"FfFfFfF", KIT_HEX, 268435455, 0},  {"1", 3, 0, 53},
    {"12345678", KIT_HEX, 0, 56},  {"-123456789", KIT_HEX, 0, 55},  {"1", -1, 0, 53},  // sign before length
    // Each digit routine's edges: the last digit of a range and the character beyond it.
    {"101", KIT_BIN, 5, 0}, {"2", KIT_BIN, 0, 55}, {"-9080", KIT_DEC, -9080, 0}, {"/", KIT_DEC, 0, 55},
    {":", KIT_DEC, 0, 55},  {"aA90", KIT_HEX, 0xAA90, 0}, {"@", KIT_HEX, 0, 55}, {"`", KIT_HEX, 0, 55},
    {"g", KIT_HEX, 0, 55},  {"G", KIT_HEX, 0, 55},
    {"0.3", REAL, 0.30000000000000004, 0},     {"3.14159", REAL, 3.1415900000000003, 0},
    {"125e-2", REAL, 1.2500000000000002, 0},   {"0.01", REAL, 0.01, 0},  // 0.1 / 10, not 0.1 * 0.1
    {"1e292", REAL, 1.0000000000000002e292, 0}, {"1e-292", REAL, 1.0000000000000164e-292, 0},
    {"999999999999999e292", REAL, 9.9999999999999924e306, 0},
    {"1.23456789012345", REAL, 1.2345678901234498, 0},  // the point is not a digit
    {"123456789012345", REAL, 123456789012345.0, 0},  {"-12.5", REAL, -12.5, 0},  {"2.5e3", REAL, 2500, 0},
    {"2.5E+3", REAL, 2500, 0}, {"15e-1", REAL, 1.5, 0}, {".5", REAL, 0.5, 0}, {"5.", REAL, 5, 0},
    {"+5", REAL, 5, 0},        {"1e007", REAL, 1e7, 0}, {"1e-0", REAL, 1, 0}, {"-0", REAL, -0.0, 0},
    {"0000000000000001", REAL, 0, 53},
    {"1234567890123456x", REAL, 0, 53},  // the digit count is hit before the letter
    {".", REAL, 0, 54},     {"-", REAL, 0, 54},     {"", REAL, 0, 1},        {"1..x", REAL, 0, 60},
    {"1x..", REAL, 0, 55},  {"e5", REAL, 0, 58},    {"1e", REAL, 0, 14},     {"1e-", REAL, 0, 14},
    {"1ex", REAL, 0, 59},   {"1e12x", REAL, 0, 59}, {"1e1234", REAL, 0, 56}, {"1e293", REAL, 0, 57},
    {"1e-293", REAL, 0, 57}, {" 1", REAL, 0, 55},   {"1 ", REAL, 0, 55},
    // Token readers: the token routine's limit per base comes first, then the conversion.
    {"  42 rest", KIT_DEC, 42, 0, 4},  {"  42 rest", KIT_DEC, 0, 55, -1, WHOLE, ","},
    {"7,8", KIT_DEC, 7, 0, 1, WHOLE, ","},  {"-123456789 ", KIT_DEC, -123456789, 0, 10},
    {"12345678901", KIT_DEC, 0, 56, -1},  {"123456789012 x", KIT_DEC, 0, 7, -1},  {"1", 3, 0, 1, -1},
    {ones31.c_str(), KIT_BIN, 2147483647, 0, 31},  {ones32.c_str(), KIT_BIN, 0, 7, -1},
    {"FFFFFFF", KIT_HEX, 268435455, 0, 7},  {"FFFFFFFF", KIT_HEX, 0, 7, -1},
    {" 2.5e3\tx", REAL, 2500, 0, 6},  {"7;8", REAL, 7, 0, 1, WHOLE, ";"},
    {ones23.c_str(), REAL, 0, 53, -1},  {ones24.c_str(), REAL, 0, 7, -1},
    {"12 34", KIT_DEC, 12, 0, 2, 3},  {"12 34", KIT_DEC, 0, 7, -1, 1},  {"12,3", KIT_DEC, 12, 0, 2, 3, ","},
    {"123456789012 x", KIT_DEC, 0, 7, -1, 13},  {"1.5 x", REAL, 1.5, 0, 3, 3},  {"1.5 x", REAL, 0, 7, -1, 2},
    {"1;5", REAL, 1, 0, 1, 2, ";"},
};

TEST(Readers, Table) {
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("text '") + r.text + "' base " + std::to_string(r.base) + " end " +
                 std::to_string(r.end));
    const bool real = r.base == REAL;
    int32_t i = int_guard;
    double d = real_guard;
    kit_set_lasterr(stale);
    long got = 0;  // the whole-string readers' result, or the offset of the position returned
    if (r.next == STR) {
      got = real ? kit_str_to_real(r.text, &d) : kit_str_to_int(r.text, r.base, &i);
    } else {
      const char* e = r.end == WHOLE ? nullptr : r.text + r.end;
      const char* p = real ? (e ? kit_get_real_range(r.text, e, r.delims, &d)
                                : kit_get_real(r.text, r.delims, &d))
                           : e ? kit_get_int_range(r.text, e, r.delims, r.base, &i)
                               : kit_get_int(r.text, r.delims, r.base, &i);
      got = p ? p - r.text : -1;
    }
    EXPECT_EQ(rs(got), std::pair(r.next == STR ? long{r.status == 0} : r.next, r.status));
    const double value = real ? d : i, want = r.status != 0 ? (real ? real_guard : int_guard) : r.value;
    EXPECT_EQ(value, want);
    EXPECT_EQ(std::signbit(value), std::signbit(want));
  }
}

TEST(Readers, NullAndBackwardArguments) {
  const char* t = "1 2";
  int32_t i = int_guard;
  double d = real_guard;
  EXPECT_EQ(rs(kit_str_to_int(nullptr, KIT_DEC, &i)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_str_to_int("1", KIT_DEC, nullptr)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_str_to_real(nullptr, &d)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_str_to_real("1", nullptr)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_get_int(nullptr, nullptr, KIT_DEC, &i)), null_with(1));
  EXPECT_EQ(rs(kit_get_real("1", nullptr, nullptr)), null_with(1));
  EXPECT_EQ(rs(kit_get_int_range(t + 2, t, nullptr, KIT_DEC, &i)), null_with(1));
  EXPECT_EQ(rs(kit_get_real_range(t + 2, t, nullptr, &d)), null_with(1));
  EXPECT_EQ(std::pair(i, d), std::pair(int_guard, real_guard));
}

TEST(ToBinStr, WidthsAndFaults) {
  const uint8_t b = 5;
  const uint16_t h = 0x8001;
  const uint32_t w = 0x80000001u;
  for (const auto& [value, text] : {std::pair<const void*, const char*>{&b, "00000101"},
                                    {&h, "1000000000000001"}, {&w, "10000000000000000000000000000001"}}) {
    const int bits = static_cast<int>(std::strlen(text));
    char out[34 + 1];
    std::memset(out, '#', sizeof out);
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_to_binstr(value, bits, out)), std::pair(1, 0)) << bits;
    EXPECT_STREQ(out, text);
    EXPECT_EQ(out[bits + 1], '#') << bits;  // nothing beyond bits + 1 bytes
  }
  char out[40] = "untouched";
  for (int bits : {0, 12, 64}) EXPECT_EQ(rs(kit_to_binstr(&w, bits, out)), std::pair(0, 1)) << bits;
  EXPECT_EQ(rs(kit_to_binstr(nullptr, 8, out)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_to_binstr(&b, 8, nullptr)), std::pair(0, 1));
  EXPECT_STREQ(out, "untouched");
}

}  // namespace
