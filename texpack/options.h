// The command line of korvex-tex.
#ifndef KORVEX_TEXPACK_OPTIONS_H
#define KORVEX_TEXPACK_OPTIONS_H

#include <string>
#include <vector>

namespace texpack {

struct Options {
  std::string map;
  std::vector<std::string> sources;
  std::string output;          // "" : <map without extension>.pk3
  bool output_folder = false;  // -o DIR/ : a folder tree instead of a zip
  std::string report;          // --report FILE.json, "" for none
  bool strict = false;         // a missing texture fails the run
  bool force_quake2 = false;   // -q2: the source map is a Quake 2 map
  bool no_overbright = false;  // --no-overbright: Quake textures' light in Q3's own range
  bool help = false;
  bool version = false;
};

enum class OptionsStatus {
  ok,
  unknown_option,  // a word starting with '-' that is no option
  no_value,        // -o or --report as the last word
  duplicate,       // an option given twice
  missing,         // no map, or no source
};

// Reads the words after the program name. Returns ok and fills `out`, or
// another status with `error` set; `out` is written only on success. With
// --help or --version nothing else is required.
[[nodiscard]] OptionsStatus parse_options(const std::vector<std::string>& words, Options& out, std::string& error);

// The --help text.
[[nodiscard]] std::string usage_text();

}  // namespace texpack

#endif
