// Status codes of the converter's reading, rewriting and writing steps and
// of the class-table loader, with the message the run prints for each.
#ifndef KORVEX_MAP_STATUS_H
#define KORVEX_MAP_STATUS_H

#include <array>
#include <cstddef>

enum conv_status : int {
  CONV_END = -1,              // no further block (or the world's closing brace)
  CONV_OK = 0,
  CONV_EOF = 1,               // the file ends inside a block
  CONV_TOO_MANY_LINES = 2,
  CONV_NOT_ENOUGH_LINES = 3,  // kept for its message; nothing returns it
  CONV_NO_PAREN = 4,
  CONV_NO_CLASSNAME = 5,
  CONV_TOKEN = 6,
  CONV_OPEN = 7,
  CONV_BAD_LIGHT = 8,
  CONV_BAD_BRUSH = 9,
  CONV_TOO_MANY_BRUSHES = 10,
  CONV_BAD_COORD = 11,
  CONV_NO_ORIGIN = 12,
  CONV_DISCARD = 13,          // invalid object: dropped, recorded, the run goes on
  CONV_LINE_TOO_LONG = 14,
};

inline constexpr std::array<const char*, 15> conv_msgs{
    "",
    "end of file",
    "too many lines",
    "not enough lines",
    "no delimiter (right parenthesis) in line",
    "no classname found",
    "token extraction error",
    "cannot open the file",
    "bad light value",
    "invalid brush definition in entity",
    "too many brushes in an entity",
    "bad coordinate in entity or brush definition",
    "no origin defined for entity",
    "",  // discard: handled before any message is looked up
    "rewritten line too long",
};
static_assert(conv_msgs.size() == CONV_LINE_TOO_LONG + 1);

// The message of a status from CONV_OK to CONV_LINE_TOO_LONG.
[[nodiscard]] inline const char* conv_message(conv_status status) {
  return conv_msgs[static_cast<size_t>(status)];
}

#endif
