// A text held whole in memory, read line by line.
#ifndef KORVEX_MAP_TEXT_LINES_H
#define KORVEX_MAP_TEXT_LINES_H

#include <cstddef>
#include <string_view>

namespace kmap {

// The line of `text` that starts at `at`, without its "\n" or "\r\n"; moves
// `at` past the line's end. Call while at < text.size().
[[nodiscard]] inline std::string_view next_text_line(std::string_view text, size_t& at) {
  size_t end = text.find('\n', at);
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(at, end - at);
  if (line.ends_with('\r')) line.remove_suffix(1);
  at = end + 1;
  return line;
}

}  // namespace kmap

#endif
