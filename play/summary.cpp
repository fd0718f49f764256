#include "summary.h"

#include <filesystem>

#include "light_keys.h"

using namespace conv;

namespace play {
namespace {

constexpr std::string_view hand_compiler = "q3map2";

std::string joined(const std::vector<std::string>& words, const std::string& between) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : between) + word;
  return text;
}

std::string command_line(const std::vector<std::string>& command) {
  std::vector<std::string> quoted;
  for (const std::string& word : command) quoted.push_back(shell_word(word));
  return joined(quoted, " ");
}

std::string light_level_text(const LightLevel& level) {
  if (level.original.empty()) return "";
  std::string text = "  light: ";
  if (!level.match) return text + level.original + ": " + level.note + "\n";
  const std::string measured = " (" + std::to_string(level.match->places) + " places in both, " +
                               kmap::fixed_number(level.match->factor) + " times the compiled light)";
  if (!level.switches.empty())
    return text + "matched to " + level.original + measured + ": lightmaps scaled by " + level.switches.back() +
           " (by hand: the light stage's " + joined(level.switches, " ") + ")\n";
  if (!level.note.empty()) return text + level.original + measured + ": " + level.note + "\n";
  return text + "as bright as " + level.original + measured + "\n";
}

std::string map_text(const MapRecord& map) {
  if (!map.failure.empty()) return map.entry.name + ": failed: " + map.failure + "\n";
  std::string text = map.entry.name + ": \"" + map.long_name + "\" (" + std::string(kmap::game_name(map.game)) +
                     " map; " + joined(map.types, " ") + "), " + (map.compiled ? "compiled" : "not compiled");
  if (map.compiled) text += map.levelshot ? ", with a levelshot" : ", no levelshot";
  const RunReport& report = map.conversion.report;
  long left_out = 0;
  for (const auto& [name, count] : report.left_out) left_out += count;
  text += "\n  converted: " + plural(report.brushes, "brush", "brushes") + ", " +
          plural(report.entities, "entity", "entities") + " (" + std::to_string(report.written) + " written";
  if (!report.left_out.empty())
    text += "; " + plural(report.left_out.size(), "class", "classes") +
            " the game lacks left out: " + plural(left_out, "entity", "entities");
  if (!report.discarded.empty()) text += "; " + plural(report.discarded.size(), "object", "objects") + " dropped";
  text += ")\n";
  for (const std::string& warning : map.warnings) text += "  warning: " + warning + "\n";
  text += light_level_text(map.light_level);
  return text;
}

}  // namespace

std::string plural(size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string summary_text(const PlayRecord& record) {
  std::string text;
  for (const MapRecord& map : record.maps) text += map_text(map);
  const texpack::RunFacts& textures = record.textures;
  const size_t missing = record.plan.missing.size();
  text += "textures: " + std::to_string(textures.wanted.size() - missing) + " packed, " + std::to_string(missing) +
          " missing, " + plural(textures.tools.size(), "tool texture", "tool textures") + " left out, " +
          std::to_string(textures.stock.size()) + " left to the game's shaders\n";
  text += texpack::name_list(record.plan.missing);
  for (const std::string& note : textures.wad_notes) text += "wad key: " + note + "\n";
  if (!record.destination.empty())
    text += "written: " + record.destination + " (" + plural(record.files, "file", "files") + ", " +
            std::to_string(record.bytes) + " bytes)\n";
  if (!record.hand_commands.empty()) {
    text += "not compiled (" + record.no_compiler_reason +
            "); with a Q3 compiler such as NetRadiant-custom's q3map2, by hand:\n";
    for (const std::string& line : record.hand_commands) text += "  " + line + "\n";
  }
  return text;
}

std::vector<std::string> hand_commands(const PlayRecord& record, const std::string& pack, bool fast) {
  const std::string build = std::filesystem::path(pack).replace_extension("").string() + "-build";
  CompilerPaths paths = record.paths;
  paths.home = build + "/home";
  const std::string data = paths.home + "/" + paths.game_data;
  std::vector<std::string> lines;
  lines.push_back("mkdir -p " + shell_word(data) + " " + shell_word(build + "/levelshots") + " && cp " +
                  shell_word(pack) + " " + shell_word(data + "/"));
  lines.push_back("cd " + shell_word(build) + " && unzip -o -q " + shell_word(pack) + " 'maps/*.map'");
  for (const MapRecord& map : record.maps) {
    if (!map.failure.empty()) continue;
    for (const StageStep& stage_step : stages)
      lines.push_back(command_line(stage_command(std::string(hand_compiler), paths, stage_step.stage, map.entry.name,
                                                 map.conversion.report.compile_switches, fast)));
  }
  lines.push_back("zip -q -r -D " + shell_word(pack) + " maps scripts levelshots -x '*.map' '*.prt' '*.srf' '*.lin'");
  return lines;
}

}  // namespace play
