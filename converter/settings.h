// A run's settings: the limits of the map format, the modes and factors
// chosen on the command line, and the paths of the files involved. Owned by
// one run and fixed before its first block is read; every other module
// only reads them.
#ifndef KORVEX_SETTINGS_H
#define KORVEX_SETTINGS_H

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

// Flags, as ints because the command-line parser sets them.
struct Modes {
  int q2 = 0;         // the source is a Quake2 map
  int enumerate = 0;  // numbering mode: copy and number, rewrite nothing
  int extended = 0;   // -x: extended limits, full-precision numbers
  int keep_keys = 0;  // -k: the world's key lines are written
  int q3 = 0;         // -q3: a map to play: -x, -k, -t and a safe entity graph
};

struct Factors {
  double light = 1.0;
  double size = 1.0;
};

struct Paths {
  char source[path_chars + 1] = "";
  char dest[path_chars + 1] = "";
  char table[path_chars + 1] = "";
  char textures[path_chars + 1] = "";  // -t: the texture rules
  char light_arg[path_chars + 1] = "";
  char size_arg[path_chars + 1] = "";
  char program[path_chars + 1] = "";
  const char* log = "korvex.log";
};

struct Settings {
  Modes modes;
  Factors factors;
  const Limits* limits = &classic_limits;
  Paths paths;

  [[nodiscard]] const Limits& limit() const { return *limits; }
  [[nodiscard]] bool extended() const { return modes.extended != 0; }
};

#endif
