// The command line of korvex-play: one table of options, which the parser
// reads and the usage text lists.
#ifndef KORVEX_PLAY_OPTIONS_H
#define KORVEX_PLAY_OPTIONS_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "game.h"

namespace play {

enum class OptionName {
  output,
  quake,
  quake2,
  compiler,
  no_compile,
  fast,
  game_path,
  game_data,
  strict,
  report,
  keep_work,
  no_light_match,
  no_overbright,
  help,
  version,
};

struct PlayOption {
  std::string_view word;  // as typed
  OptionName name;
  std::string_view value;  // the value's name in the usage text; "" for a flag
  std::string_view usage;  // its lines in the usage text; "" for a second spelling
};

inline constexpr std::array<PlayOption, 16> play_options{{
    {"-o", OptionName::output, "FILE.pk3", "the pack (default: MAP or FOLDER, with .pk3)"},
    {"-q1", OptionName::quake, "", "the maps are Quake maps (default: each map's faces tell)"},
    {"-q2", OptionName::quake2, "", "the maps are Quake 2 maps"},
    {"--compiler", OptionName::compiler, "PATH", "the Q3 compiler (default: q3map2 on PATH)"},
    {"--no-compile", OptionName::no_compile, "", "pack maps/NAME.map and print the compile commands"},
    {"--fast", OptionName::fast, "", "the compiler's quick vis and light (-fast)"},
    {"--game-path", OptionName::game_path, "DIR",
     "the folder of the game's data, for the compiler\n"
     "(default: /usr/share/games/openarena with baseoa/)"},
    {"--game-data", OptionName::game_data, "NAME", "the game's data folder in it (default: baseoa)"},
    {"--strict", OptionName::strict, "",
     "a missing texture, a compiler warning or a failed\nmap fails the run, and nothing is written"},
    {"--report", OptionName::report, "FILE.json", "what the run did, for scripts"},
    {"--keep-work", OptionName::keep_work, "", "keep the work folder (converted maps, compiler logs)"},
    {"--no-light-match", OptionName::no_light_match, "",
     "keep the translated light as it is, without matching\nit to the map's own compiled level among the sources"},
    {"--no-overbright", OptionName::no_overbright, "",
     "no shader for plain Quake textures: in a window the\ngame then shows light no brighter than the texture"},
    {"-h", OptionName::help, "", ""},
    {"--help", OptionName::help, "", "show this text"},
    {"--version", OptionName::version, "", "show the version"},
}};

namespace detail {
constexpr bool option_words_unique() {
  for (size_t i = 0; i < play_options.size(); ++i)
    for (size_t j = i + 1; j < play_options.size(); ++j)
      if (play_options[i].word == play_options[j].word) return false;
  return true;
}
constexpr bool every_option_listed() {
  for (int name = 0; name <= static_cast<int>(OptionName::version); ++name) {
    bool listed = false;
    for (const PlayOption& option : play_options)
      listed = listed || (static_cast<int>(option.name) == name && !option.usage.empty());
    if (!listed) return false;
  }
  return true;
}
}  // namespace detail
static_assert(detail::option_words_unique(), "an option is spelled twice");
static_assert(detail::every_option_listed(), "an option has no line in the usage text");

struct Options {
  std::string input;                      // a map, or a folder of maps
  std::vector<std::string> sources;       // game folders, WADs, BSPs, PAKs, palettes
  std::string output;                     // "" : the input with .pk3
  kmap::Game game = kmap::Game::unknown;  // -q1, -q2; unknown: each map's faces tell
  std::string compiler;                   // --compiler; "" : q3map2 on PATH
  bool no_compile = false;
  bool fast = false;
  std::string game_path;  // "" : the default, when present
  std::string game_data = "baseoa";
  bool strict = false;
  std::string report;
  bool keep_work = false;
  bool no_light_match = false;
  bool no_overbright = false;
  bool help = false;
  bool version = false;
};

enum class OptionsStatus {
  ok,
  unknown_option,  // a word starting with '-' that is no option
  no_value,        // an option that takes a value as the last word, or with an empty one
  duplicate,       // an option given twice
  conflict,        // -q1 with -q2, --compiler with --no-compile
  missing,         // no map or folder
};

// Reads the words after the program name. Returns ok and fills `out`, or
// another status with `error` naming the word; `out` is written only on
// success. With --help or --version nothing else is required.
[[nodiscard]] OptionsStatus parse_options(const std::vector<std::string>& words, Options& out, std::string& error);

// The --help text.
[[nodiscard]] std::string usage_text();

}  // namespace play

#endif
