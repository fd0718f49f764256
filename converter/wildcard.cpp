#include "wildcard.h"

#include <cctype>

namespace conv {

bool wildcard_match(std::string_view pattern, std::string_view name, WildcardReading reading) {
  auto same = [&reading](char a, char b) {
    if (!reading.fold_case) return a == b;
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = ++p;
      resume = n;
      continue;
    }
    if (p < pattern.size()) {
      const bool escaped = reading.escapes && pattern[p] == '\\' && p + 1 < pattern.size();
      const char want = escaped ? pattern[p + 1] : pattern[p];
      if ((!escaped && want == '?') || same(want, name[n])) {
        p += escaped ? 2 : 1;
        ++n;
        continue;
      }
    }
    // A mismatch: the last `*` takes one more character, if there is one.
    if (star == std::string_view::npos) return false;
    p = star;
    n = ++resume;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace conv
