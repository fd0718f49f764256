#include "coords.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "kit.h"

namespace kmap {

namespace {

// A whole number of up to 15 digits is exact as a double: the common case
// of map coordinates, read without the general reader.
bool read_small_integer(const char* text, double* value) {
  const bool negative = text[0] == '-';
  const char* p = text + (negative || text[0] == '+');
  long long n = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
    if (digits == 15) return false;
    n = n * 10 + (*p - '0');
  }
  if (*p != '\0' || digits == 0) return false;
  *value = negative ? -static_cast<double>(n) : static_cast<double>(n);
  return true;
}

}  // namespace

bool read_number(const char* text, double* value, bool extended) {
  if (!extended) return kit_str_to_real(text, value) != 0;
  if (read_small_integer(text, value)) return true;
  // Any number of digits and exponent digits, correctly rounded; a leading
  // '+' as the classic reader allows. Infinity and NaN are no coordinates,
  // and the decimal-only format leaves hexadecimal out.
  const char* first = text + (text[0] == '+' && text[1] != '-');
  const char* last = first + std::strlen(first);
  double result = 0;
  const auto [end, error] = std::from_chars(first, last, result, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(result)) return false;
  *value = result;
  return true;
}

bool add_int32(BoundedText& out, double whole) {
  if (!(whole >= std::numeric_limits<int32_t>::min() && whole <= std::numeric_limits<int32_t>::max()))
    return false;
  out.add(static_cast<long long>(whole));
  return true;
}

bool add_real(BoundedText& out, double value) {
  if (!std::isfinite(value)) return false;
  // Most values are whole numbers, which print faster as integers.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    out.add(static_cast<long long>(value));  // also writes -0 as 0
    return true;
  }
  char digits[400];  // the longest fixed-notation double is 309 digits and a sign
  const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed).ptr;
  out.add(std::string_view(digits, static_cast<size_t>(end - digits)));
  return true;
}

bool add_coord(BoundedText& out, double value, double factor, bool extended) {
  const double scaled = value * factor;
  if (!extended) return add_int32(out, std::floor(scaled));
  return add_real(out, scaled);
}

}  // namespace kmap
