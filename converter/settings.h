// A run's settings: the limits of the map format, the modes and factors
// chosen on the command line, and the paths of the files involved. Owned by
// one run and fixed before its first block is read; every other module
// only reads them.
#ifndef KORVEX_CONVERTER_SETTINGS_H
#define KORVEX_CONVERTER_SETTINGS_H

#include "map_limits.h"

namespace conv {


// Flags, as ints because the command-line parser sets them.
struct Modes {
  int q2 = 0;         // the source is a Quake2 map
  int q1 = 0;         // the source is a Quake map, whatever its faces say
  int no_detail = 0;  // -nodetail: detail brushes are written structural
  int enumerate = 0;  // numbering mode: copy and number, rewrite nothing
  int extended = 0;   // -x: extended limits, full-precision numbers
  int keep_keys = 0;  // -k: the world's key lines are written
  int q3 = 0;         // -q3: a map to play: -x, -k, -t and a safe entity graph
  int lights = 0;     // -lights: Quake lights made the Q3 compiler's (-q3 does it too)
  int fog = 0;        // -fog: Quake's world fog written as a fog volume
};

struct Factors {
  double light = 1.0;
  double size = 1.0;
};

struct Paths {
  char source[kmap::path_chars + 1] = "";
  char dest[kmap::path_chars + 1] = "";
  char table[kmap::path_chars + 1] = "";
  char textures[kmap::path_chars + 1] = "";  // -t: the texture rules
  char light_arg[kmap::path_chars + 1] = "";
  char size_arg[kmap::path_chars + 1] = "";
  char program[kmap::path_chars + 1] = "";
  char report[kmap::path_chars + 1] = "";  // --report: the run's report as JSON
  char rules[kmap::path_chars + 1] = "";   // -r: the entity rules (-q3)
  char wal[kmap::path_chars + 1] = "";     // -wal: Quake 2 textures whose .wal flags faces take
  const char* log = "korvex.log";
};

struct Settings {
  Modes modes;
  Factors factors;
  const kmap::Limits* limits = &kmap::classic_limits;
  Paths paths;

  [[nodiscard]] const kmap::Limits& limit() const { return *limits; }
  [[nodiscard]] bool extended() const { return modes.extended != 0; }
};

}  // namespace conv

#endif
