// Number readers and the binary formatter. Numbers are taken apart digit by
// digit so that every build and every host gives the same bits; the digit
// limits keep each accepted value inside its type.
#include "kit.h"

#include <cstdint>
#include <cstring>

namespace {

using digit_fn = int (*)(int);

struct int_base {
  int radix;
  int limit;        // text length at which kit_str_to_int gives up
  int token_limit;  // length handed to the token routines
  digit_fn digit;
};

constexpr int_base int_bases[] = {
    {2, 32, 32, kit_bin_digit},
    {10, 10, 12, kit_dec_digit},
    {16, 8, 8, kit_hex_digit},
};

constexpr int not_a_digit = KIT_NOT_A_DIGIT;
constexpr int real_token_limit = 24;
constexpr int real_digits_max = 15;   // a 16th digit could lose precision
constexpr int real_exp_digits = 3;
constexpr int real_exp_max = 292;     // keeps 15 digits inside the normal range
constexpr int binstr_max = 32;

constexpr int largest_token_limit() {
  int m = real_token_limit;
  for (const auto& b : int_bases) m = b.token_limit > m ? b.token_limit : m;
  return m;
}
// One buffer size for every token reader: the longest limit plus its zero.
constexpr int token_buf = largest_token_limit() + 1;

int fail(int code) {
  kit_set_lasterr(code);
  return 0;
}

const char* fail_ptr(int code) {
  kit_set_lasterr(code);
  return nullptr;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

const int_base* base_of(int base) {
  if (base < KIT_BIN || base > KIT_HEX) return nullptr;
  return &int_bases[base];
}

// Compared as plain addresses: a range given backwards must be refused, not
// turned into a huge length.
bool range_ok(const char* src, const char* end) {
  return reinterpret_cast<std::uintptr_t>(end) >= reinterpret_cast<std::uintptr_t>(src);
}

// A short range lowers the token limit; only called once range_ok holds.
int smaller_limit(const char* src, const char* end, int limit) {
  const auto s = reinterpret_cast<std::uintptr_t>(src);
  const auto e = reinterpret_cast<std::uintptr_t>(end);
  const std::uintptr_t span = e - s + 1;
  return span < static_cast<std::uintptr_t>(limit) ? static_cast<int>(span) : limit;
}

}  // namespace

int kit_bin_digit(int c) { return (c == '0' || c == '1') ? c - '0' : not_a_digit; }

int kit_dec_digit(int c) { return (c >= '0' && c <= '9') ? c - '0' : not_a_digit; }

int kit_hex_digit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return not_a_digit;
}

int kit_str_to_int(const char* text, int base, int32_t* value) {
  if (text == nullptr || value == nullptr) return fail(KIT_BAD_ARG);
  const int_base* b = base_of(base);
  if (b == nullptr) return fail(KIT_TOO_MANY_DIGITS);

  int limit = b->limit;
  int first = 0;
  bool negative = false;
  // The length is settled before any digit is looked at, so an overlong text
  // fails with 56 even when a non-digit stands inside it.
  int n = 0;
  while (n < limit && text[n] != '\0') {
    if (n == 0 && text[0] == '-') {
      if (b->radix != 10) return fail(KIT_NOT_A_DIGIT);
      negative = true;
      limit += 1;
      first = 1;
    }
    ++n;
  }
  if (n == limit) return fail(KIT_EXTRA_CHARS);

  int32_t sum = 0;
  int32_t weight = 1;
  for (int i = n - 1; i >= first; --i) {
    const int d = b->digit(static_cast<unsigned char>(text[i]));
    if (d == not_a_digit) return fail(KIT_NOT_A_DIGIT);
    sum += d * weight;
    // The weight behind the leading digit is never used; growing it there
    // would overflow for 31 binary digits.
    if (i > first) weight *= b->radix;
  }
  if (negative) sum = -sum;
  *value = sum;
  kit_set_lasterr(KIT_OK);
  return 1;
}

int kit_str_to_real(const char* text, double* value) {
  if (text == nullptr || value == nullptr || text[0] == '\0') return fail(KIT_BAD_ARG);

  double sign = 1.0;
  int pos = 0;
  if (text[0] == '-') {
    sign = -1.0;
    pos = 1;
  } else if (text[0] == '+') {
    pos = 1;
  }
  const int start = pos;

  // Mantissa, strictly left to right: the first fault met decides.
  int digits = 0;
  int point = -1;
  bool has_exp = false;
  for (;; ++pos) {
    if (digits > real_digits_max) return fail(KIT_TOO_MANY_DIGITS);
    const char c = text[pos];
    if (c == '\0') {
      if (digits == 0) return fail(KIT_NO_DIGITS);
      break;
    }
    if (c == '.') {
      if (point >= 0) return fail(KIT_TWO_POINTS);
      point = pos;
    } else if (c == 'e' || c == 'E') {
      if (digits == 0) return fail(KIT_NO_EXPONENT);
      has_exp = true;
      break;
    } else if (is_digit(c)) {
      ++digits;
    } else {
      return fail(KIT_NOT_A_DIGIT);
    }
  }
  const int mant_end = pos;

  bool exp_negative = false;
  int exp = 0;
  if (has_exp) {
    int p = pos + 1;
    if (text[p] == '+') {
      ++p;
    } else if (text[p] == '-') {
      exp_negative = true;
      ++p;
    }
    if (text[p] == '\0') return fail(KIT_END_OF_STRING);
    for (int k = 0; k < real_exp_digits; ++k, ++p) {
      if (k > 0 && text[p] == '\0') break;
      if (!is_digit(text[p])) return fail(KIT_BAD_EXPONENT);
      exp = exp * 10 + (text[p] - '0');
    }
    if (text[p] != '\0') return fail(KIT_EXTRA_CHARS);
    if (exp > real_exp_max) return fail(KIT_EXP_RANGE);
  }

  // Each step is rounded to double on its own; the order fixes the last bit.
  double sum = 0.0;
  double weight = 1.0;
  const int int_end = point >= 0 ? point : mant_end;
  for (int i = int_end - 1; i >= start; --i) {
    sum = static_cast<double>(text[i] - '0') * weight + sum;
    weight = weight * 10.0;
  }
  if (point >= 0) {
    weight = 0.1;
    for (int i = point + 1; i < mant_end; ++i) {
      sum = static_cast<double>(text[i] - '0') * weight + sum;
      weight = weight / 10.0;
    }
  }
  sum = sum * sign;

  if (exp > 0) {
    const double f = exp_negative ? 0.1 : 10.0;
    double power = f;
    for (int k = 1; k < exp; ++k) power = power * f;
    sum = sum * power;
  }
  *value = sum;
  kit_set_lasterr(KIT_OK);
  return 1;
}

const char* kit_get_int(const char* src, const char* delims, int base, int32_t* value) {
  const int_base* b = base_of(base);
  if (src == nullptr || value == nullptr || b == nullptr) return fail_ptr(KIT_BAD_ARG);
  char token[token_buf];
  const char* next = kit_get_token(token, src, delims, b->token_limit);
  if (next == nullptr) return nullptr;
  if (!kit_str_to_int(token, base, value)) return nullptr;
  kit_set_lasterr(KIT_OK);
  return next;
}

const char* kit_get_real(const char* src, const char* delims, double* value) {
  if (src == nullptr || value == nullptr) return fail_ptr(KIT_BAD_ARG);
  char token[token_buf];
  const char* next = kit_get_token(token, src, delims, real_token_limit);
  if (next == nullptr) return nullptr;
  if (!kit_str_to_real(token, value)) return nullptr;
  kit_set_lasterr(KIT_OK);
  return next;
}

const char* kit_get_int_range(const char* src, const char* end, const char* delims,
                              int base, int32_t* value) {
  const int_base* b = base_of(base);
  if (src == nullptr || end == nullptr || value == nullptr || b == nullptr ||
      !range_ok(src, end))
    return fail_ptr(KIT_BAD_ARG);
  char token[token_buf];
  const int limit = smaller_limit(src, end, b->token_limit);
  const char* next = kit_get_token_range(token, src, end, delims, limit);
  if (next == nullptr) return nullptr;
  if (!kit_str_to_int(token, base, value)) return nullptr;
  kit_set_lasterr(KIT_OK);
  return next;
}

const char* kit_get_real_range(const char* src, const char* end, const char* delims,
                               double* value) {
  if (src == nullptr || end == nullptr || value == nullptr || !range_ok(src, end))
    return fail_ptr(KIT_BAD_ARG);
  char token[token_buf];
  const int limit = smaller_limit(src, end, real_token_limit);
  const char* next = kit_get_token_range(token, src, end, delims, limit);
  if (next == nullptr) return nullptr;
  if (!kit_str_to_real(token, value)) return nullptr;
  kit_set_lasterr(KIT_OK);
  return next;
}

int kit_to_binstr(const void* value, int bits, char* out) {
  if (value == nullptr || out == nullptr || (bits != 8 && bits != 16 && bits != 32))
    return fail(KIT_BAD_ARG);
  // memcpy reads the caller's integer in its own byte order, whatever its
  // alignment.
  std::uint32_t v = 0;
  if (bits == 8) {
    std::uint8_t b;
    std::memcpy(&b, value, sizeof b);
    v = b;
  } else if (bits == 16) {
    std::uint16_t h;
    std::memcpy(&h, value, sizeof h);
    v = h;
  } else {
    std::memcpy(&v, value, sizeof v);
  }
  char local[binstr_max + 1];
  std::uint32_t mask = 1;
  for (int i = bits - 1; i >= 0; --i) {
    local[i] = (v & mask) ? '1' : '0';
    mask <<= 1;
  }
  local[bits] = '\0';
  std::memcpy(out, local, static_cast<std::size_t>(bits) + 1);
  kit_set_lasterr(KIT_OK);
  return 1;
}
