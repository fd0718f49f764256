// Names matched against patterns with `*` (any run of characters) and `?`
// (any one character): texture names in the texture rules, classnames in
// the entity rules.
#ifndef KORVEX_CONVERTER_WILDCARD_H
#define KORVEX_CONVERTER_WILDCARD_H

#include <string_view>

namespace conv {

struct WildcardReading {
  bool fold_case = false;  // letters match in either case
  bool escapes = false;    // `\c` stands for the character c itself
};

// True when the whole name matches the pattern. Reads nothing else.
[[nodiscard]] bool wildcard_match(std::string_view pattern, std::string_view name, WildcardReading reading);

}  // namespace conv

#endif
