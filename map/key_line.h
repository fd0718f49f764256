// A key line of an entity, `"key" "value"`, read two ways at once: as the
// games read it, between quotes, and as blank-separated words, the reading
// the classic converter's limits and table lookups are defined on.
#ifndef KORVEX_MAP_KEY_LINE_H
#define KORVEX_MAP_KEY_LINE_H

#include <cstddef>
#include <string_view>

namespace kmap {

struct KeyLine {
  // The quoted reading. A key line starts with a quote; the key runs to the
  // next quote, the value from the following quote to the one after it.
  bool quoted_key = false;  // the line's first character past blanks is a quote, and the key is closed
  std::string_view key;     // without quotes
  std::string_view value;  // without quotes; empty when there is none
  bool has_value = false;  // a value opens after the key (closed or not)
  bool value_closed = false;
  size_t value_col = 0;  // the value's opening quote, when has_value

  // The word reading: words are runs of characters other than blank and tab.
  std::string_view first_word;   // empty when the line has no word
  std::string_view second_word;  // empty when it has fewer than two
};

// Reads a line. Never fails: a line that is no key line has quoted_key
// false, and its words are read all the same.
[[nodiscard]] KeyLine read_key_line(std::string_view line);

// The line's first word alone: the cheap reading for a line that is seldom
// a key line.
[[nodiscard]] std::string_view first_word(std::string_view line);

// Appends the text of a key line `"key" "value"` to out (a BoundedText or
// anything with the same add()). Neither part may hold a quote.
template <typename Text>
void append_key_line(Text& out, std::string_view key, std::string_view value) {
  out.add("\"").add(key).add("\" \"").add(value).add("\"");
}

}  // namespace kmap

#endif
