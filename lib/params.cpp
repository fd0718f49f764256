// The parameter file loader: fills a caller's variables from "name value"
// lines, driven by a table of kit_param rows that also receives each row's
// verdict.
#include "kit.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr int line_size = 256;        // a file line, newline included, is at most 255
constexpr int token_limit = 256;      // longer than any line: never cuts a token
constexpr int index_max = INT32_MAX;

int fail(int code) {
  kit_set_lasterr(code);
  return 0;
}

bool is_array(int type) {
  return type == KIT_P_INT_ARRAY || type == KIT_P_REAL_ARRAY || type == KIT_P_STRING_ARRAY;
}

bool is_string(int type) { return type == KIT_P_STRING || type == KIT_P_STRING_ARRAY; }

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool ends_line(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// The later test wins, so a row keeps its last fault.
void check_row(kit_param* row) {
  row->count = 0;
  row->status = KIT_OK;
  if (row->name == nullptr || row->name[0] == '\0') row->status = KIT_PARAM_NAME;
  if (row->type < KIT_P_INT || row->type > KIT_P_STRING_ARRAY) row->status = KIT_PARAM_TYPE;
  if (row->target == nullptr) row->status = KIT_PARAM_TARGET;
  if (is_string(row->type) && row->size <= 0) row->status = KIT_PARAM_SIZE;
}

// Files saved with CR LF line ends would otherwise hand every numeric value
// over with a trailing carriage return and fail to convert. Only a CR that
// ends the line goes; one inside the line stays part of the text.
void drop_line_end_cr(char* line, std::FILE* f) {
  const std::size_t n = std::strlen(line);
  if (n >= 2 && line[n - 1] == '\n' && line[n - 2] == '\r') {
    line[n - 2] = '\n';
    line[n - 1] = '\0';
    return;
  }
  if (n >= 1 && line[n - 1] == '\r') {
    // A piece without its newline: full buffer or the file's last line. Its
    // CR ends a line only when the newline or the end comes next.
    const int c = std::fgetc(f);
    if (c == EOF || c == '\n') line[n - 1] = '\0';
    if (c != EOF) std::ungetc(c, f);
  }
}

// Copies value into a buffer of size bytes, cutting what does not fit.
bool copy_cut(char* dst, int size, const char* value) {
  if (dst == nullptr || size < 1) return false;
  int n = 0;
  while (n < size - 1 && value[n] != '\0') {
    dst[n] = value[n];
    ++n;
  }
  dst[n] = '\0';
  return true;
}

bool in_bounds(const kit_param* row, int index) { return index >= 0 && index < row->length; }

}  // namespace

kit_param* kit_find_param(const char* token, kit_param* table) {
  if (token == nullptr || table == nullptr) return nullptr;
  const std::size_t len = std::strcspn(token, "[");
  for (kit_param* row = table; row->type != KIT_P_END; ++row) {
    if (row->name == nullptr) continue;
    // Compared over the token's length only: a shortened name selects the
    // first row that starts with it.
    if (std::strncmp(row->name, token, len) == 0) return row;
  }
  return nullptr;
}

int kit_param_index(const char* token) {
  if (token == nullptr) return -1;
  const char* p = std::strchr(token, '[');
  if (p == nullptr) return -1;
  ++p;
  std::int64_t value = 0;
  int digits = 0;
  for (; *p != ']'; ++p) {
    if (*p < '0' || *p > '9') return -1;  // the token's end included
    // Growth stops once past the limit, so no digit count can overflow.
    if (value <= index_max) value = value * 10 + (*p - '0');
    ++digits;
  }
  if (p[1] != '\0' || digits == 0 || value > index_max) return -1;
  return static_cast<int>(value);
}

const char* kit_rest_of_line(char* dst, const char* src) {
  if (dst == nullptr || src == nullptr) return nullptr;
  dst[0] = '\0';
  while (is_blank(*src)) ++src;
  if (ends_line(*src)) return nullptr;
  int n = 0;
  while (!ends_line(*src)) dst[n++] = *src++;
  dst[n] = '\0';
  return src;
}

int kit_set_param(kit_param* row, const char* value, int index) {
  if (row == nullptr || value == nullptr || row->target == nullptr) return 0;
  if (is_array(row->type) && !in_bounds(row, index)) return 0;
  switch (row->type) {
    case KIT_P_INT:
      return kit_str_to_int(value, KIT_DEC, static_cast<int32_t*>(row->target));
    case KIT_P_INT_ARRAY:
      return kit_str_to_int(value, KIT_DEC, static_cast<int32_t*>(row->target) + index);
    case KIT_P_REAL:
    case KIT_P_REAL_ARRAY: {
      double v = 0.0;
      if (!kit_str_to_real(value, &v)) return 0;
      static_cast<double*>(row->target)[row->type == KIT_P_REAL ? 0 : index] = v;
      return 1;
    }
    case KIT_P_STRING:
      return copy_cut(static_cast<char*>(row->target), row->size, value) ? 1 : 0;
    case KIT_P_STRING_ARRAY:
      // A null element has no buffer to receive the value.
      return copy_cut(static_cast<char* const*>(row->target)[index], row->size, value) ? 1
                                                                                      : 0;
    default:
      return 0;
  }
}

int kit_load_params(const char* path, kit_param* table) {
  if (path == nullptr || path[0] == '\0' || table == nullptr) return fail(KIT_BAD_ARG);
  std::FILE* f = std::fopen(path, "r");
  if (f == nullptr) return fail(KIT_CONFIG_OPEN);

  // Checked only once the file is open: a file that cannot be read leaves
  // the table as the caller set it.
  for (kit_param* row = table; row->type != KIT_P_END; ++row) check_row(row);

  char line[line_size];
  char name[token_limit + 1];
  char value[token_limit + 1];  // holds any rest of a line
  while (std::fgets(line, line_size, f) != nullptr) {
    drop_line_end_cr(line, f);
    if (line[0] == '#' || line[0] == '\n') continue;
    const char* rest = kit_get_token(name, line, nullptr, token_limit);
    // A line of blanks ends the reading; unless it is the file's last, the
    // load then fails below.
    if (rest == nullptr) break;
    kit_param* row = kit_find_param(name, table);
    if (row == nullptr || row->status != KIT_OK) continue;
    int index = 0;
    if (is_array(row->type)) {
      index = kit_param_index(name);
      if (!in_bounds(row, index)) {
        row->status = KIT_PARAM_INDEX;
        continue;
      }
    }
    const char* got = is_string(row->type) ? kit_rest_of_line(value, rest)
                                           : kit_get_token(value, rest, nullptr, token_limit);
    if (got == nullptr) {
      row->status = KIT_PARAM_NO_VALUE;
      continue;
    }
    if (kit_set_param(row, value, index))
      ++row->count;
    else
      row->status = KIT_PARAM_CONVERT;
  }
  const bool at_end = std::feof(f) != 0;
  std::fclose(f);
  if (!at_end) return fail(KIT_CONFIG_OPEN);

  for (const kit_param* row = table; row->type != KIT_P_END; ++row) {
    if (row->count == 0 || row->status != KIT_OK) return fail(KIT_PARAM_NOT_LOADED);
  }
  kit_set_lasterr(KIT_OK);
  return 1;
}
