#include "compiler.h"

#include <unistd.h>

#include <filesystem>
#include <map>

#include "text_lines.h"

namespace play {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view compiler_name = "q3map2";
constexpr std::string_view openarena_path = "/usr/share/games/openarena";
constexpr std::string_view error_banner = "************ ERROR ************";
constexpr std::string_view leak_banner = "******* leaked *******";
constexpr std::array<std::string_view, 2> harmless_notices = {"Duplicate or Flipped triangle",
                                                              "Over 90 percent structural map"};
constexpr std::string_view levelshot_size = "256";

bool is_program(const std::string& path) {
  std::error_code code;
  return fs::is_regular_file(path, code) && access(path.c_str(), X_OK) == 0;
}

// A line without the progress counters the compiler glues messages to
// ("0...1...2...WARNING: ...").
std::string_view without_counters(std::string_view line) {
  for (;;) {
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    if (digits == 0 || line.substr(digits, 3) != "...") return line;
    line.remove_prefix(digits + 3);
  }
}

// The digits at the start of `text`, removed; false when there are none.
bool take_number(std::string_view& text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  text.remove_prefix(digits);
  return digits > 0;
}

// "Entity 0, Brush 12: ..." : a brush the compiler dropped or mended. The
// compiler's notes on a brush of a named entity ("Entity 39 (func_train),
// Brush 1: origin brush detected") are no problem.
bool is_brush_problem(std::string_view line) {
  if (!line.starts_with("Entity ")) return false;
  line.remove_prefix(7);
  if (!take_number(line) || !line.starts_with(", Brush ")) return false;
  line.remove_prefix(8);
  return take_number(line) && line.starts_with(": ");
}

}  // namespace

std::string find_compiler(const std::string& given, std::string_view path_variable, std::string& error) {
  if (!given.empty()) {
    if (is_program(given)) return given;
    std::error_code code;
    error = given + (fs::exists(given, code) ? ": is not a program that can be run" : ": no such file");
    return "";
  }
  for (size_t start = 0; start <= path_variable.size();) {
    size_t end = path_variable.find(':', start);
    if (end == std::string_view::npos) end = path_variable.size();
    const std::string folder(path_variable.substr(start, end - start));
    const std::string candidate = (fs::path(folder.empty() ? "." : folder) / compiler_name).string();
    if (is_program(candidate)) return candidate;
    start = end + 1;
  }
  error = "no q3map2 on PATH";
  return "";
}

std::string default_game_path(const std::string& game_data) {
  std::error_code code;
  return fs::is_directory(fs::path(openarena_path) / game_data, code) ? std::string(openarena_path) : std::string();
}

std::vector<std::string> stage_command(const std::string& compiler, const CompilerPaths& paths, Stage stage,
                                       const std::string& name, const std::vector<std::string>& light_switches,
                                       bool fast) {
  std::vector<std::string> command = {compiler};
  if (!paths.game_path.empty()) command.insert(command.end(), {"-fs_basepath", paths.game_path});
  command.insert(command.end(), {"-fs_basegame", paths.game_data, "-fs_homepath", paths.home, "-game", "quake3"});
  const StageStep& stage_step = stages[static_cast<size_t>(stage)];
  command.emplace_back(stage_step.switch_word);
  switch (stage) {
    case Stage::bsp: command.emplace_back("-meta"); break;
    case Stage::vis:
      if (fast) command.emplace_back("-fast");
      break;
    case Stage::light:
      command.insert(command.end(), light_switches.begin(), light_switches.end());
      if (fast) command.emplace_back("-fast");
      break;
    case Stage::levelshot:
      command.insert(command.end(),
                     {"-size", std::string(levelshot_size), "-keepaspect", "-o", "levelshots/" + name + ".tga"});
      break;
  }
  command.push_back("maps/" + name + std::string(stage_step.input));
  return command;
}

StageLog read_stage_log(std::string_view log) {
  StageLog read;
  std::map<std::string, int> counts;
  std::vector<std::string> order;
  bool after_banner = false;
  for (size_t at = 0; at < log.size();) {
    const std::string_view line = without_counters(kmap::next_text_line(log, at));
    if (after_banner && read.error.empty() && !line.empty()) read.error = std::string(line);
    if (line.find(error_banner) != std::string_view::npos) after_banner = true;
    if (line.find(leak_banner) != std::string_view::npos) read.leaked = true;
    std::string_view warning;
    if (line.starts_with("WARNING: ")) {
      warning = line.substr(9);
    } else if (is_brush_problem(line)) {
      if (!line.ends_with(": Entity leaked")) {
        warning = line;
      } else if (read.leak_at.empty()) {
        read.leak_at = std::string(line.substr(0, line.find(": ")));
      }
    }
    if (warning.empty()) continue;
    bool harmless = false;
    for (std::string_view notice : harmless_notices) harmless = harmless || warning.starts_with(notice);
    if (harmless) continue;
    if (counts[std::string(warning)]++ == 0) order.emplace_back(warning);
  }
  for (const std::string& warning : order) {
    const int count = counts[warning];
    read.warnings.push_back(count > 1 ? warning + " (x" + std::to_string(count) + ")" : warning);
  }
  return read;
}

std::string shell_word(std::string_view word) {
  bool plain = !word.empty();
  for (char c : word)
    plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::string_view("_-./:=+,@%").find(c) != std::string_view::npos);
  if (plain) return std::string(word);
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace play
