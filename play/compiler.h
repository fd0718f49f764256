// The Q3 compiler (q3map2): where it is, the command of each stage, and
// what its log says. The compiler is a program the user installs; KORVEX
// only runs it.
#ifndef KORVEX_PLAY_COMPILER_H
#define KORVEX_PLAY_COMPILER_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace play {

enum class Stage { bsp, vis, light, levelshot };

struct StageStep {
  Stage stage;
  std::string_view name;  // as progress lines and reports name it
  std::string_view switch_word;
  std::string_view input;  // the extension of the file it reads
};

// The stages in the order they run: the levelshot is a top view the
// compiler draws of the lit map.
inline constexpr std::array<StageStep, 4> stages{{
    {Stage::bsp, "bsp", "-bsp", ".map"},
    {Stage::vis, "vis", "-vis", ".bsp"},
    {Stage::light, "light", "-light", ".bsp"},
    {Stage::levelshot, "levelshot", "-minimap", ".bsp"},
}};
static_assert(
    [] {
      for (size_t i = 0; i < stages.size(); ++i)
        if (static_cast<size_t>(stages[i].stage) != i) return false;
      return true;
    }(),
    "the stages are listed in their enum's order");

// Where the compiler finds the game's shaders and the pack's textures.
struct CompilerPaths {
  std::string game_path;  // -fs_basepath; "" : the compiler's own default
  std::string game_data;  // -fs_basegame ("baseoa")
  std::string home;       // -fs_homepath: the folder whose game_data/ holds the pack's textures
};

// The compiler: `given` when it names a program that can be run, else
// q3map2 in the folders of `path_variable` (PATH's value). Returns its
// path, or "" with `error` set.
[[nodiscard]] std::string find_compiler(const std::string& given, std::string_view path_variable, std::string& error);

// The game path to use when none is given: /usr/share/games/openarena
// when it holds `game_data`/, else "".
[[nodiscard]] std::string default_game_path(const std::string& game_data);

// The command of `stage` for the map `name` (maps/NAME.map, maps/NAME.bsp,
// levelshots/NAME.tga, relative to the folder it runs in): the compiler,
// the paths, "-game quake3", the stage's switch and its own switches
// (-meta for the bsp; `light_switches` for the light; -fast for vis and
// light when `fast`).
[[nodiscard]] std::vector<std::string> stage_command(const std::string& compiler, const CompilerPaths& paths,
                                                     Stage stage, const std::string& name,
                                                     const std::vector<std::string>& light_switches, bool fast);

// What a stage's log says.
struct StageLog {
  std::string error;                  // the line after the compiler's ERROR banner, or ""
  bool leaked = false;                // the bsp stage found the map open to the void
  std::string leak_at;                // "Entity 1, Brush 0", where the compiler found the leak, or ""
  std::vector<std::string> warnings;  // each once, "(xN)" after one said N times
};

// Reads a stage's log. The compiler's harmless notices of -meta (flipped
// triangles, a mostly structural map) are no warnings.
[[nodiscard]] StageLog read_stage_log(std::string_view log);

// A word as a POSIX shell reads it back: as it is when it holds only
// characters no shell treats specially, else in single quotes.
[[nodiscard]] std::string shell_word(std::string_view word);

}  // namespace play

#endif
