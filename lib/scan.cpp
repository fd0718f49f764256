// Status codes, their messages and the text scanning routines the rest of the
// library and the converter are built on.
#include "kit.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

thread_local int kit_lasterr = 0;

constexpr int errtab_rows = 111;
constexpr int delims_row = 110;  // not a message: the default delimiter set

constexpr std::array<const char*, errtab_rows> make_errtab() {
  std::array<const char*, errtab_rows> t{};  // rows without text stay null
  t[0] = "no error";
  t[1] = "bad function argument";
  t[2] = "memory allocation failed";
  t[3] = "file open error";
  t[4] = "file type incorrect";
  t[5] = "error when reading file";
  t[6] = "error when writing file";
  t[7] = "too many items";
  t[8] = "not enough items";
  t[9] = "bad token";
  t[10] = "range error";
  t[11] = "no data (empty)";
  t[12] = "type error";
  t[13] = "size error";
  t[14] = "unexpected end of string";
  t[15] = "operation timeout";
  t[16] = "cannot load the DLL specified";
  t[17] = "object not found";
  t[18] = "the device is not ready or not initialized";
  t[19] = "directory not found";
  t[20] = "cannot obtain requested system information";
  t[21] = "buffer overflow";
  t[22] = "only part of the object was retrieved";
  t[23] = "end of file reached";
  t[24] = "WinAPI error: process creation failed";
  t[25] = "WinAPI error: cannot wait on specified object";
  t[26] = "WinAPI error: cannot get process exit code";
  t[27] = "cannot access file";
  t[28] = "cannot access directory";
  t[29] = "system call failed";
  t[30] = "resource is used by other process";
  t[31] = "file or directory is read-only";
  t[50] = "bad integer (not a number?)";
  t[51] = "bad float (not a number?)";
  t[52] = "invalid base for integer value";
  t[53] = "too many digits";
  t[54] = "no digits";
  t[55] = "not a digit";
  t[56] = "extra characters in numeric string";
  t[57] = "exponent out of range";
  t[58] = "no exponent value specified";
  t[59] = "bad exponent value";
  t[60] = "too many decimal points";
  t[70] = "cannot open/read config file";
  t[71] = "parameter name NULL or empty";
  t[72] = "invalid parameter type";
  t[73] = "pointer to parameter target variable is NULL";
  t[74] = "size of specified string buffer < 1";
  t[75] = "bad parameter index";
  t[76] = "no value specified for a parameter";
  t[77] = "error when converting numeric parameter";
  t[78] = "at least one parameter is not loaded";
  t[90] = "program name is too long to store";
  t[91] = "argument string too long";
  t[92] = "argument not recognized";
  t[93] = "paired argument has no value";
  t[94] = "value string too long";
  t[95] = "invalid characters in a value";
  t[96] = "duplicate argument";
  t[97] = "at least one required argument missing";
  t[delims_row] = " \t\n";
  return t;
}

constexpr std::array<const char*, errtab_rows> kit_errtab = make_errtab();
static_assert(kit_errtab.size() == 111);
static_assert(std::string_view(kit_errtab[delims_row]) == " \t\n");
static_assert(kit_errtab[32] == nullptr && kit_errtab[109] == nullptr);

constexpr const char* unknown_error = "unknown error";
constexpr const char* blank_set = " \t";

constexpr int path_scan = 512;    // bytes kit_strip_ext looks at for the end
constexpr int split_max = 256;    // tokens at which kit_split_alloc gives up
constexpr int prefix_max = 256;   // longest prefix kit_match_prefix compares

const char* default_delims() { return kit_errtab[delims_row]; }

int fail(int code) {
  kit_lasterr = code;
  return 0;
}

template <typename T = const char*>
T fail_ptr(int code) {
  kit_lasterr = code;
  return nullptr;
}

// A delimiter set as one bit per byte value, built once per call so that
// testing a character costs the same whatever the set holds. The
// terminating zero is never a member.
class CharSet {
 public:
  explicit CharSet(const char* set) {
    for (const char* p = set; *p != '\0'; ++p) add(static_cast<unsigned char>(*p));
  }
  bool has(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return (bits_[u >> 6] >> (u & 63)) & 1;
  }

 private:
  void add(unsigned char u) { bits_[u >> 6] |= std::uint64_t{1} << (u & 63); }
  std::uint64_t bits_[4] = {};
};

}  // namespace

int kit_get_lasterr() { return kit_lasterr; }

void kit_set_lasterr(int code) { kit_lasterr = code; }

const char* kit_errmsg(int code) {
  if (code < 0 || code >= delims_row || kit_errtab[code] == nullptr) return unknown_error;
  return kit_errtab[code];
}

int kit_char_in_set(int c, const char* set) {
  if (set == nullptr) return 0;
  // By byte value: a negative plain char and the same byte as 128..255 agree.
  return CharSet(set).has(static_cast<char>(c)) ? 1 : 0;
}

const char* kit_get_token(char* dst, const char* src, const char* delims, int len) {
  if (dst == nullptr) return fail_ptr(KIT_BAD_ARG);
  dst[0] = '\0';
  if (src == nullptr) return fail_ptr(KIT_BAD_ARG);
  const CharSet set(delims ? delims : default_delims());
  const char* p = src;
  while (set.has(*p)) ++p;
  if (*p == '\0') return fail_ptr(KIT_END_OF_STRING);
  int n = 0;
  while (n < len && *p != '\0' && !set.has(*p)) dst[n++] = *p++;
  dst[n] = '\0';
  if (n == 0) return fail_ptr(KIT_NOT_FOUND);  // len <= 0
  // A token that fills all len characters may go on: refuse it either way.
  if (n == len) return fail_ptr(KIT_TOO_MANY);
  kit_lasterr = KIT_OK;
  return p;
}

const char* kit_get_token_range(char* dst, const char* src, const char* end,
                                const char* delims, int len) {
  if (dst == nullptr) return fail_ptr(KIT_BAD_ARG);
  dst[0] = '\0';
  if (src == nullptr || end == nullptr) return fail_ptr(KIT_BAD_ARG);
  const CharSet set(delims ? delims : default_delims());
  const char* p = src;
  while (p <= end && (*p == '\0' || set.has(*p))) ++p;
  if (p > end) return fail_ptr(KIT_END_OF_FILE);
  int n = 0;
  while (n < len && p <= end && *p != '\0' && !set.has(*p)) dst[n++] = *p++;
  dst[n] = '\0';
  if (n == 0) return fail_ptr(KIT_NOT_FOUND);
  // A token running into the range's end may continue beyond it.
  if (n == len || p > end) return fail_ptr(KIT_TOO_MANY);
  kit_lasterr = KIT_OK;
  return p;
}

int kit_strip_ext(char* path) {
  if (path == nullptr || path[0] == '\0') return fail(KIT_BAD_ARG);
  int dot = -1;
  int i = 0;
  while (i < path_scan && path[i] != '\0') {
    if (path[i] == '.') dot = i;
    ++i;
  }
  if (i == path_scan) return fail(KIT_TOO_MANY);
  if (dot > 0) path[dot] = '\0';  // a leading dot names a hidden file
  kit_lasterr = KIT_OK;
  return 1;
}

int kit_cut_nl(char* str) {
  if (str == nullptr) {
    kit_lasterr = KIT_BAD_ARG;
    return 1;
  }
  if (char* nl = std::strchr(str, '\n')) *nl = '\0';
  kit_lasterr = KIT_OK;
  return 1;
}

int kit_cut_line(char* buf, int len) {
  if (buf == nullptr || len <= 0) return fail(KIT_BAD_ARG);
  for (int i = 0; i < len; ++i) {
    if (buf[i] == '\n') buf[i] = '\0';
    if (buf[i] == '\0') {
      kit_lasterr = KIT_OK;
      return i;
    }
  }
  return fail(KIT_TOO_MANY);
}

const char* kit_str_end(const char* str) {
  if (str == nullptr) return fail_ptr(KIT_BAD_ARG);
  kit_lasterr = KIT_OK;
  return str + std::strlen(str);
}

const char* kit_find_end(const char* str, int len) {
  if (str == nullptr || len <= 0) return fail_ptr(KIT_BAD_ARG);
  for (int i = 0; i < len; ++i) {
    if (str[i] == '\0') {
      kit_lasterr = KIT_OK;
      return str + i;
    }
  }
  return fail_ptr(KIT_TOO_MANY);
}

const char* kit_skip_chars(const char* str, const char* set, int count) {
  if (str == nullptr || set == nullptr) return fail_ptr(KIT_BAD_ARG);
  const CharSet members(set);
  // Counting up to an exact match leaves a negative count unbounded.
  for (int i = 0;; ++i) {
    if (i == count) return fail_ptr(KIT_TOO_MANY);
    // A newline ends the scan even when the set holds it.
    if (str[i] == '\0' || str[i] == '\n') return fail_ptr(KIT_END_OF_STRING);
    if (!members.has(str[i])) {
      kit_lasterr = KIT_OK;
      return str + i;
    }
  }
}

const char* kit_skip_blanks(const char* str, int count) {
  return kit_skip_chars(str, blank_set, count);
}

int kit_unquote(char* str, int size) {
  if (str == nullptr || str[0] == '\0' || size <= 1) return fail(KIT_NOT_ENOUGH);
  // A length equal to size passes: the zero must lie in str[0..size].
  int n = 0;
  while (n <= size && str[n] != '\0') ++n;
  if (n > size) return fail(KIT_TOO_MANY);
  int i = 1;
  while (str[i] != '\0' && str[i] != '"') {
    str[i - 1] = str[i];
    ++i;
  }
  str[i - 1] = '\0';
  kit_lasterr = KIT_OK;
  return 1;
}

const char* kit_find_char(const char* str, int c, int count) {
  if (str == nullptr || count <= 0) return fail_ptr(KIT_BAD_ARG);
  const char ch = static_cast<char>(c);
  for (int i = 0;; ++i) {
    if (i == count) return fail_ptr(KIT_TOO_MANY);
    // The end test comes first, so looking for the zero itself gives 14.
    if (str[i] == '\0') return fail_ptr(KIT_END_OF_STRING);
    if (str[i] == ch) {
      kit_lasterr = KIT_OK;
      return str + i;
    }
  }
}

const char* kit_find_last_char(const char* str, int c, int count) {
  if (str == nullptr || count <= 0) return fail_ptr(KIT_BAD_ARG);
  const char ch = static_cast<char>(c);
  const char* last = nullptr;
  for (int i = 0; i < count; ++i) {
    if (str[i] == '\0') {
      if (last == nullptr) return fail_ptr(KIT_END_OF_STRING);
      kit_lasterr = KIT_OK;
      return last;
    }
    if (str[i] == ch) last = str + i;
  }
  // Without the end in sight a later c could still follow.
  return fail_ptr(KIT_TOO_MANY);
}

const char* kit_search_char(const char* str, int c, int count, int last) {
  return last ? kit_find_last_char(str, c, count) : kit_find_char(str, c, count);
}

int kit_replace_char(char* str, int from, int to) {
  if (str == nullptr || from == 0) return fail(KIT_BAD_ARG);
  // Measured first: a zero written as to must not shorten the walk.
  const std::size_t n = std::strlen(str);
  const char f = static_cast<char>(from);
  const char t = static_cast<char>(to);
  for (std::size_t i = 0; i < n; ++i) {
    if (str[i] == f) str[i] = t;
  }
  kit_lasterr = KIT_OK;
  return 1;
}

char** kit_split_alloc(const char* str, const char* delims, int* out) {
  if (str == nullptr || str[0] == '\0' || out == nullptr) {
    if (out != nullptr) *out = KIT_BAD_ARG;
    return fail_ptr<char**>(KIT_BAD_ARG);
  }
  *out = 0;
  const CharSet set(delims ? delims : default_delims());
  char* tokens[split_max];
  int count = 0;
  auto give_up = [&](int code) -> char** {
    for (int i = 0; i < count; ++i) std::free(tokens[i]);
    *out = code;
    kit_lasterr = code;
    return nullptr;
  };
  const char* p = str;
  while (count < split_max && *p != '\0') {
    if (set.has(*p)) {
      ++p;
      continue;
    }
    const char* start = p;
    while (*p != '\0' && !set.has(*p)) ++p;
    const std::size_t n = static_cast<std::size_t>(p - start);
    char* token = static_cast<char*>(std::malloc(n + 1));
    if (token == nullptr) return give_up(KIT_NO_MEMORY);
    std::memcpy(token, start, n);
    token[n] = '\0';
    tokens[count++] = token;
  }
  if (count == 0) return give_up(KIT_EMPTY);
  // Reaching the 256th token fails even when it is the string's last one.
  if (count == split_max) return give_up(KIT_TOO_MANY);
  char** array = static_cast<char**>(std::malloc(sizeof(char*) * static_cast<std::size_t>(count)));
  if (array == nullptr) return give_up(KIT_NO_MEMORY);
  for (int i = 0; i < count; ++i) array[i] = tokens[i];
  *out = count;
  kit_lasterr = KIT_OK;
  return array;
}

const char** kit_split_ptrs(const char* str, int sep, int end) {
  if (str == nullptr) return fail_ptr<const char**>(KIT_BAD_ARG);
  const char s = static_cast<char>(sep);
  const char e = static_cast<char>(end);
  // A sep right before the end character starts no further piece.
  auto counted = [&](const char* p) { return *p == s && p[1] != e; };
  int count = 0;
  for (const char* p = str; *p != '\0' && *p != e; ++p) {
    if (counted(p)) ++count;
  }
  if (count == 0) return fail_ptr<const char**>(KIT_EMPTY);
  const std::size_t slots = static_cast<std::size_t>(count) + 1;
  auto array = static_cast<const char**>(std::malloc(sizeof(const char*) * slots));
  if (array == nullptr) return fail_ptr<const char**>(KIT_NO_MEMORY);
  array[0] = str;
  int k = 1;
  for (const char* p = str; k < count && *p != '\0' && *p != e; ++p) {
    if (counted(p)) array[k++] = p + 1;
  }
  array[count] = nullptr;
  kit_lasterr = KIT_OK;
  return array;
}

int kit_match_prefix(const char* prefix, const char* str) {
  if (prefix == nullptr || prefix[0] == '\0' || str == nullptr) return fail(KIT_BAD_ARG);
  for (int i = 0;; ++i) {
    if (prefix[i] == '\0') {
      kit_lasterr = KIT_OK;
      return i;
    }
    if (i == prefix_max) return fail(KIT_TOO_MANY);
    if (str[i] != prefix[i]) return fail(KIT_NOT_FOUND);  // str's end differs too
  }
}
