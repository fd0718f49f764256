#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "kit.h"

namespace {

constexpr int32_t int_guard = 0x5A5A5A5A;
constexpr double real_guard = -777.25;
constexpr int stale = 99;  // a status no routine here sets: success must clear it

const std::string ones31(31, '1');
const std::string ones32(32, '1');

// A call's result paired with the status it left, so both compare at once.
template <typename T>
std::pair<T, int> rs(T result) {
  return {result, kit_get_lasterr()};
}
std::pair<const char*, int> cs(const char* p, int status) { return {p, status}; }

struct int_row {
  const char* text;
  int base;
  int32_t value;
  int status;
};

TEST(StrToInt, Table) {
  const int_row rows[] = {
      {ones31.c_str(), KIT_BIN, 2147483647, 0}, {ones32.c_str(), KIT_BIN, 0, 56},
      {"101", KIT_BIN, 5, 0},                   {"102", KIT_BIN, 0, 55},
      {"-1", KIT_BIN, 0, 55},                   {"999999999", KIT_DEC, 999999999, 0},
      {"1234567890", KIT_DEC, 0, 56},           {"-123456789", KIT_DEC, -123456789, 0},
      {"-999999999", KIT_DEC, -999999999, 0},   {"-1234567890", KIT_DEC, 0, 56},
      {"+5", KIT_DEC, 0, 55},                   {"12a", KIT_DEC, 0, 55},
      {"1-2", KIT_DEC, 0, 55},                  {" 7", KIT_DEC, 0, 55},
      {"12345678x9", KIT_DEC, 0, 56},  // length is judged before the digits
      {"007", KIT_DEC, 7, 0},                   {"", KIT_DEC, 0, 0},
      {"-", KIT_DEC, 0, 0},                     {"FfFfFfF", KIT_HEX, 268435455, 0},
      {"10", KIT_HEX, 16, 0},                   {"aB9", KIT_HEX, 0xAB9, 0},
      {"12345678", KIT_HEX, 0, 56},             {"1g", KIT_HEX, 0, 55},
      {"-123456789", KIT_HEX, 0, 55},  // the sign is refused before the length
      {"1", 3, 0, 53},                          {"1", -1, 0, 53},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("text '") + r.text + "' base " + std::to_string(r.base));
    int32_t v = int_guard;
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_str_to_int(r.text, r.base, &v)), std::pair(r.status == 0 ? 1 : 0, r.status));
    EXPECT_EQ(v, r.status == 0 ? r.value : int_guard);
  }
  int32_t v = int_guard;
  EXPECT_EQ(rs(kit_str_to_int(nullptr, KIT_DEC, &v)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_str_to_int("1", KIT_DEC, nullptr)), std::pair(0, 1));
  EXPECT_EQ(v, int_guard);
}

TEST(Digits, ValuesAndNoStatus) {
  struct row {
    int c, bin, dec, hex;
  };
  const row rows[] = {{'0', 0, 0, 0},    {'1', 1, 1, 1},    {'2', 55, 2, 2},   {'9', 55, 9, 9},
                      {'a', 55, 55, 10}, {'f', 55, 55, 15}, {'A', 55, 55, 10}, {'F', 55, 55, 15},
                      {'g', 55, 55, 55}, {'G', 55, 55, 55}, {'/', 55, 55, 55}, {':', 55, 55, 55},
                      {'@', 55, 55, 55}, {'`', 55, 55, 55}, {0, 55, 55, 55},   {-1, 55, 55, 55}};
  kit_set_lasterr(stale);
  for (const auto& r : rows) {
    EXPECT_EQ(kit_bin_digit(r.c), r.bin) << r.c;
    EXPECT_EQ(kit_dec_digit(r.c), r.dec) << r.c;
    EXPECT_EQ(kit_hex_digit(r.c), r.hex) << r.c;
  }
  EXPECT_EQ(kit_get_lasterr(), stale);
}

struct real_row {
  const char* text;
  double value;
  int status;
};

// Values are the reader's own, bit for bit: repeated 0.1 weights and powers
// make many of them differ from a correctly rounded conversion.
TEST(StrToReal, Table) {
  const real_row rows[] = {
      {"0.3", 0.30000000000000004, 0},
      {"3.14159", 3.1415900000000003, 0},
      {"125e-2", 1.2500000000000002, 0},
      {"12e-1", 1.2000000000000002, 0},
      {"0.01", 0.01, 0},  // 0.1 / 10, not 0.1 * 0.1
      {".000000000000001", 1e-15, 0},
      {"1e292", 1.0000000000000002e292, 0},
      {"1e-292", 1.0000000000000164e-292, 0},
      {"999999999999999e292", 9.9999999999999924e306, 0},
      {"1.23456789012345", 1.2345678901234498, 0},  // the point is not a digit
      {"123456789012345", 123456789012345.0, 0},
      {"-12.5", -12.5, 0},  {"2.5e3", 2500.0, 0}, {"2.5E+3", 2500.0, 0}, {"15e-1", 1.5, 0},
      {".5", 0.5, 0},       {"5.", 5.0, 0},       {"+5", 5.0, 0},        {"1e007", 1e7, 0},
      {"1e0", 1.0, 0},      {"1e-0", 1.0, 0},
      {"1234567890123456", 0, 53},  {"0000000000000001", 0, 53},
      {"1234567890123456x", 0, 53},  // the digit count is hit before the letter
      {".", 0, 54},     {"-", 0, 54},     {"+", 0, 54},      {"", 0, 1},        {"1.2.3", 0, 60},
      {"1..x", 0, 60},  {"1x..", 0, 55},  {"e5", 0, 58},     {"-e5", 0, 58},    {"1e", 0, 14},
      {"1e+", 0, 14},   {"1e-", 0, 14},   {"1ex", 0, 59},    {"1e5x", 0, 59},   {"1e12x", 0, 59},
      {"1e+-5", 0, 59}, {"1e1234", 0, 56}, {"1e293", 0, 57}, {"1e-293", 0, 57}, {"1e999", 0, 57},
      {" 1", 0, 55},    {"1 ", 0, 55},    {"--5", 0, 55},    {"+-5", 0, 55},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("text '") + r.text + "'");
    double v = real_guard;
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_str_to_real(r.text, &v)), std::pair(r.status == 0 ? 1 : 0, r.status));
    EXPECT_EQ(v, r.status == 0 ? r.value : real_guard);
  }
  double v = real_guard;
  EXPECT_EQ(kit_str_to_real("-0", &v), 1);
  EXPECT_TRUE(v == 0.0 && std::signbit(v));
  EXPECT_EQ(rs(kit_str_to_real(nullptr, &v)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_str_to_real("1", nullptr)), std::pair(0, 1));
}

TEST(GetInt, TokenLimitsAndStages) {
  struct row {
    const char* src;
    int base;
    int32_t value;
    int status;
    long next;  // offset of the returned position, -1 for null
  };
  const row rows[] = {
      {"  42 rest", KIT_DEC, 42, 0, 4},     {"-123456789 ", KIT_DEC, -123456789, 0, 10},
      {"1234567890", KIT_DEC, 0, 56, -1},   {"12345678901", KIT_DEC, 0, 56, -1},  // past the token routine
      {"123456789012 x", KIT_DEC, 0, 7, -1}, {ones31.c_str(), KIT_BIN, 2147483647, 0, 31},
      {ones32.c_str(), KIT_BIN, 0, 7, -1},  {"FFFFFFF", KIT_HEX, 268435455, 0, 7},
      {"FFFFFFFF", KIT_HEX, 0, 7, -1},      {"abc", KIT_DEC, 0, 55, -1},
      {" \t\n", KIT_DEC, 0, 14, -1},       {"1", 3, 0, 1, -1},  // a bad base is an argument fault here
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string("src '") + r.src + "'");
    int32_t v = int_guard;
    kit_set_lasterr(stale);
    const char* next = kit_get_int(r.src, nullptr, r.base, &v);
    EXPECT_EQ(next ? next - r.src : -1, r.next);
    EXPECT_EQ(kit_get_lasterr(), r.status);
    EXPECT_EQ(v, r.status == 0 ? r.value : int_guard);
  }
  int32_t v = 0;
  const char* list = "7,8";
  const char* p = kit_get_int(list, ",", KIT_DEC, &v);
  EXPECT_EQ(p, list + 1);
  EXPECT_EQ(v, 7);
  EXPECT_EQ(kit_get_int(p, ",", KIT_DEC, &v), list + 3);
  EXPECT_EQ(v, 8);
  EXPECT_EQ(rs(kit_get_int("  42 rest", ",", KIT_DEC, &v)), cs(nullptr, 55));  // one token
  EXPECT_EQ(rs(kit_get_int(nullptr, nullptr, KIT_DEC, &v)), cs(nullptr, 1));
  EXPECT_EQ(rs(kit_get_int("1", nullptr, KIT_DEC, nullptr)), cs(nullptr, 1));
  EXPECT_EQ(v, 8);
}

TEST(GetReal, TokenLimit) {
  double v = real_guard;
  const char* text = " 2.5e3\tx";
  EXPECT_EQ(rs(kit_get_real(text, nullptr, &v)), cs(text + 6, 0));
  EXPECT_EQ(v, 2500.0);
  v = real_guard;
  // 23 characters reach the converter; 24 stop in the token routine.
  EXPECT_EQ(rs(kit_get_real(std::string(23, '1').c_str(), nullptr, &v)), cs(nullptr, 53));
  EXPECT_EQ(rs(kit_get_real(std::string(24, '1').c_str(), nullptr, &v)), cs(nullptr, 7));
  EXPECT_EQ(rs(kit_get_real("1.5.", nullptr, &v)), cs(nullptr, 60));
  EXPECT_EQ(rs(kit_get_real(nullptr, nullptr, &v)), cs(nullptr, 1));
  EXPECT_EQ(v, real_guard);
}

TEST(GetRange, NumberMustEndInsideRange) {
  const char* t = "1.5 x 12 34";  // 12 at index 6, 34 at 9
  double d = real_guard;
  int32_t v = int_guard;
  EXPECT_EQ(rs(kit_get_real_range(t, t + 2, nullptr, &d)), cs(nullptr, 7));
  EXPECT_EQ(d, real_guard);
  EXPECT_EQ(rs(kit_get_real_range(t + 4, t + 5, nullptr, &d)), cs(nullptr, 55));
  EXPECT_EQ(rs(kit_get_real_range(t, t + 3, nullptr, &d)), cs(t + 3, 0));
  EXPECT_EQ(d, 1.5);
  EXPECT_EQ(rs(kit_get_int_range(t + 8, t + 10, nullptr, KIT_DEC, &v)), cs(nullptr, 7));
  EXPECT_EQ(rs(kit_get_int_range(t + 9, t + 8, nullptr, KIT_DEC, &v)), cs(nullptr, 1));
  EXPECT_EQ(rs(kit_get_int_range(t + 6, t + 9, nullptr, 5, &v)), cs(nullptr, 1));
  EXPECT_EQ(rs(kit_get_int_range(t + 6, nullptr, nullptr, KIT_DEC, &v)), cs(nullptr, 1));
  EXPECT_EQ(v, int_guard);
  EXPECT_EQ(rs(kit_get_int_range(t + 6, t + 9, nullptr, KIT_DEC, &v)), cs(t + 8, 0));
  EXPECT_EQ(v, 12);
}

TEST(ToBinStr, WidthsAndFaults) {
  const uint8_t b = 5;
  const uint16_t h = 0x8001;
  const uint32_t w = 0x80000001u;
  struct row {
    const void* value;
    int bits;
    const char* text;
  };
  const row rows[] = {{&b, 8, "00000101"},
                      {&h, 16, "1000000000000001"},
                      {&w, 32, "10000000000000000000000000000001"}};
  for (const auto& r : rows) {
    SCOPED_TRACE("bits " + std::to_string(r.bits));
    char out[34 + 1];
    std::memset(out, '#', sizeof out);
    kit_set_lasterr(stale);
    EXPECT_EQ(rs(kit_to_binstr(r.value, r.bits, out)), std::pair(1, 0));
    EXPECT_STREQ(out, r.text);
    EXPECT_EQ(out[r.bits + 1], '#');  // nothing beyond bits + 1 bytes
  }
  char out[40] = "untouched";
  for (int bits : {0, 12, 64}) EXPECT_EQ(rs(kit_to_binstr(&w, bits, out)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_to_binstr(nullptr, 8, out)), std::pair(0, 1));
  EXPECT_EQ(rs(kit_to_binstr(&b, 8, nullptr)), std::pair(0, 1));
  EXPECT_STREQ(out, "untouched");
}

}  // namespace
