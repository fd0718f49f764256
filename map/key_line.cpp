#include "key_line.h"

namespace kmap {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

size_t skip_blanks(std::string_view line, size_t at) {
  while (at < line.size() && is_blank(line[at])) ++at;
  return at;
}

// The word starting at or after `at`; `at` moves behind it.
std::string_view next_word(std::string_view line, size_t& at) {
  const size_t first = skip_blanks(line, at);
  size_t end = first;
  while (end < line.size() && !is_blank(line[end])) ++end;
  at = end;
  return line.substr(first, end - first);
}

}  // namespace

std::string_view first_word(std::string_view line) {
  size_t at = 0;
  return next_word(line, at);
}

KeyLine read_key_line(std::string_view line) {
  KeyLine k;
  size_t at = 0;
  k.first_word = next_word(line, at);
  k.second_word = next_word(line, at);

  const size_t open = skip_blanks(line, 0);
  if (open >= line.size() || line[open] != '"') return k;
  const size_t key_end = line.find('"', open + 1);
  if (key_end == std::string_view::npos) return k;
  k.quoted_key = true;
  k.key = line.substr(open + 1, key_end - open - 1);
  const size_t value_open = skip_blanks(line, key_end + 1);
  if (value_open >= line.size() || line[value_open] != '"') return k;
  k.has_value = true;
  k.value_col = value_open;
  const size_t value_end = line.find('"', value_open + 1);
  k.value_closed = value_end != std::string_view::npos;
  k.value = line.substr(value_open + 1, (k.value_closed ? value_end : line.size()) - value_open - 1);
  return k;
}

}  // namespace kmap
