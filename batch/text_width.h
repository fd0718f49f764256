// How many terminal columns a UTF-8 text takes, for lining up tables.
#ifndef KORVEX_BATCH_TEXT_WIDTH_H
#define KORVEX_BATCH_TEXT_WIDTH_H

#include <cstddef>
#include <string_view>

namespace batch {

// The columns `text` takes on a terminal: one per character, two for the
// wide characters of East Asian scripts and emoji, none for combining marks
// and zero-width characters. A byte that is no part of valid UTF-8 counts
// as one column (it shows as a replacement character).
[[nodiscard]] size_t display_width(std::string_view text);

}  // namespace batch

#endif
