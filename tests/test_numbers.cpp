#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include "kit.h"

namespace {

constexpr int32_t int_guard = 0x5A5A5A5A;
constexpr double real_guard = -777.25;
constexpr int stale = 99;   // a status no routine here sets: success must clear it
constexpr int REAL = -100;  // base column: a real-number reader
constexpr long STR = -2;    // next column: a whole-string reader, not a token reader
constexpr int WHOLE = -1;   // end column: a token reader without a range

// A call's result paired with the status it left, so both compare at once.
template <typename T>
std::pair<T, int> rs(T result) { return {result, kit_get_lasterr()}; }

const std::string ones31(31, '1'), ones32(32, '1'), ones23(23, '1'), ones24(24, '1');
const char* const back = "1 2";  // with a range end of -2 from back + 2: a range given backwards

struct row {
  const char* text;
  int base;
  double value;
  int status;
  long next = STR;  // token readers: offset of the position returned, -1 for null
  int end = WHOLE;  // range readers: offset of the range's last character
  const char* delims = nullptr;
};

// All six readers. Real values are the reader's own, bit for bit: repeated 0.1 weights and
// powers make many of them differ from a correctly rounded conversion (0.01 is 0.1 / 10, not
// 0.1 * 0.1). The first fault met decides the status: an integer's length is judged before its
// digits (12345678x9) and its sign before its length (-123456789 in hex); a real's sixteenth
// digit before a letter behind it. The point is not a digit (1.23456789012345).
const row rows[] = {
    // kit_str_to_int: the digit limits per base, the sign, the order of faults.
    {ones31.c_str(), KIT_BIN, 2147483647, 0}, {ones32.c_str(), KIT_BIN, 0, 56}, {"+5", KIT_DEC, 0, 55},
    {"999999999", KIT_DEC, 999999999, 0}, {"1234567890", KIT_DEC, 0, 56}, {"12a", KIT_DEC, 0, 55},
    {"-999999999", KIT_DEC, -999999999, 0}, {"-1234567890", KIT_DEC, 0, 56}, {"1", 3, 0, 53},
    {"12345678x9", KIT_DEC, 0, 56}, {"", KIT_DEC, 0, 0}, {"-", KIT_DEC, 0, 0}, {"12345678", KIT_HEX, 0, 56},
    {"FfFfFfF", KIT_HEX, 268435455, 0}, {"-123456789", KIT_HEX, 0, 55},
    // The digit routines at the ends of their ranges and at the characters beyond them.
    {"101", KIT_BIN, 5, 0}, {"2", KIT_BIN, 0, 55}, {"-9080", KIT_DEC, -9080, 0}, {"/", KIT_DEC, 0, 55},
    {":", KIT_DEC, 0, 55}, {"aA90", KIT_HEX, 0xAA90, 0}, {"@", KIT_HEX, 0, 55}, {"`", KIT_HEX, 0, 55},
    {"g", KIT_HEX, 0, 55}, {"G", KIT_HEX, 0, 55},
    // kit_str_to_real: values to the bit, the limits, the statuses in the order faults are met.
    {"0.3", REAL, 0.30000000000000004, 0}, {"3.14159", REAL, 3.1415900000000003, 0}, {"0.01", REAL, 0.01, 0},
    {"125e-2", REAL, 1.2500000000000002, 0}, {"1e292", REAL, 1.0000000000000002e292, 0}, {".5", REAL, 0.5, 0},
    {"1e-292", REAL, 1.0000000000000164e-292, 0}, {"999999999999999e292", REAL, 9.9999999999999924e306, 0},
    {"1.23456789012345", REAL, 1.2345678901234498, 0}, {"123456789012345", REAL, 123456789012345.0, 0},
    {"-12.5", REAL, -12.5, 0}, {"2.5e3", REAL, 2500, 0}, {"2.5E+3", REAL, 2500, 0}, {"15e-1", REAL, 1.5, 0},
    {"5.", REAL, 5, 0}, {"+5", REAL, 5, 0}, {"1e007", REAL, 1e7, 0}, {"1e-0", REAL, 1, 0}, {".", REAL, 0, 54},
    {"-0", REAL, -0.0, 0}, {"0000000000000001", REAL, 0, 53}, {"1234567890123456x", REAL, 0, 53},
    {"", REAL, 0, 1}, {"1..x", REAL, 0, 60}, {"1x..", REAL, 0, 55}, {"e5", REAL, 0, 58}, {"1e", REAL, 0, 14},
    {"1ex", REAL, 0, 59}, {"1e12x", REAL, 0, 59}, {"1e1234", REAL, 0, 56}, {"1e293", REAL, 0, 57},
    {"1e-293", REAL, 0, 57}, {"1 ", REAL, 0, 55},
    // Token readers: the token routine's limit per base first, then the conversion; ranges.
    {"  42 rest", KIT_DEC, 42, 0, 4}, {"  42 rest", KIT_DEC, 0, 55, -1, WHOLE, ","}, {"1", 3, 0, 1, -1},
    {"-123456789 ", KIT_DEC, -123456789, 0, 10}, {"12345678901", KIT_DEC, 0, 56, -1},
    {"123456789012 x", KIT_DEC, 0, 7, -1}, {ones31.c_str(), KIT_BIN, 2147483647, 0, 31},
    {ones32.c_str(), KIT_BIN, 0, 7, -1}, {"FFFFFFF", KIT_HEX, 268435455, 0, 7}, {"1.5 x", REAL, 1.5, 0, 3, 3},
    {"FFFFFFFF", KIT_HEX, 0, 7, -1}, {" 2.5e3\tx", REAL, 2500, 0, 6}, {"7;8", REAL, 7, 0, 1, WHOLE, ";"},
    {ones23.c_str(), REAL, 0, 53, -1}, {ones24.c_str(), REAL, 0, 7, -1}, {"12 34", KIT_DEC, 12, 0, 2, 3},
    {"12,3", KIT_DEC, 12, 0, 2, 3, ","}, {"123456789012 x", KIT_DEC, 0, 7, -1, 13},
    {"1.5 x", REAL, 0, 7, -1, 2}, {"1;5", REAL, 1, 0, 1, 2, ";"}, {back + 2, KIT_DEC, 0, 1, -1, -2},
    {back + 2, REAL, 0, 1, -1, -2},
};

TEST(Readers, Table) {
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " base " + std::to_string(r.base) + " end " + std::to_string(r.end));
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
                           : (e ? kit_get_int_range(r.text, e, r.delims, r.base, &i)
                                : kit_get_int(r.text, r.delims, r.base, &i));
      got = p ? p - r.text : -1;
    }
    EXPECT_EQ(rs(got), std::pair(r.next == STR ? long{r.status == 0} : r.next, r.status));
    const double value = real ? d : i, want = r.status != 0 ? (real ? real_guard : int_guard) : r.value;
    EXPECT_EQ(std::pair(value, std::signbit(value)), std::pair(want, std::signbit(want)));
  }
}

// The formatter writes bits + 1 bytes and no more; a refused call (no text in its row) leaves
// out untouched.
TEST(ToBinStr, WidthsAndFaults) {
  const uint8_t b = 5;
  const uint16_t h = 0x8001;
  const uint32_t w = 0x80000001u;
  const std::tuple<const void*, int, std::string> bin_rows[] = {
      {&b, 8, "00000101"}, {&h, 16, "1000000000000001"}, {&w, 32, "1" + std::string(30, '0') + "1"},
      {&w, 0, ""}, {&w, 12, ""}, {&w, 64, ""}, {nullptr, 8, ""}};
  for (const auto& [value, bits, text] : bin_rows) {
    std::string out(40, '#');
    kit_set_lasterr(stale);
    const int ok = kit_to_binstr(value, bits, out.data());
    const bool bad = text.empty();
    const std::string image = bad ? std::string(40, '#') : text + '\0' + std::string(39 - bits, '#');
    EXPECT_EQ(std::tuple(ok, kit_get_lasterr(), out), std::tuple(bad ? 0 : 1, bad ? 1 : 0, image)) << bits;
  }
}

}  // namespace
