// The limits of the map format: how long a line, a word or a block may be,
// in the classic format and in the extended one of modern editors.
#ifndef KORVEX_MAP_MAP_LIMITS_H
#define KORVEX_MAP_MAP_LIMITS_H

namespace kmap {

struct Limits {
  int block_lines;     // lines an entity keeps between its braces
  int plane_lines;     // plane lines of one brush
  int entity_brushes;  // brushes of one entity
  int line_chars;      // characters of one line; a longer one is read in pieces
  int word_chars;      // characters of one word (a key, a value, a number)
};

// The classic limits of the map format.
inline constexpr Limits classic_limits{255, 32, 31, 511, 63};
// The limits of extended mode (-x), for maps written by modern editors.
inline constexpr Limits extended_limits{1048576, 4096, 65536, 65535, 1023};

// Longest path or option value taken from the command line.
inline constexpr int path_chars = 255;

// Bytes of a buffer that holds one word at the largest word limit.
inline constexpr int word_size = extended_limits.word_chars + 2;

}  // namespace kmap

#endif
