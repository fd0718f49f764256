#include "play_report.h"

#include "report_json.h"
#include "version.h"

using namespace conv;

namespace play {
namespace {

std::string end_name(ChildEnd end) {
  switch (end) {
    case ChildEnd::exited: return "exited";
    case ChildEnd::signalled: return "signalled";
    case ChildEnd::stopped: return "stopped";
    case ChildEnd::not_started: break;
  }
  return "not started";
}

nlohmann::json stage_json(const StageRecord& stage) {
  return {
      {"stage", stages[static_cast<size_t>(stage.stage)].name},
      {"command", stage.command},
      {"end", end_name(stage.outcome.end)},
      {"code", stage.outcome.code},
      {"seconds", stage.seconds},
      {"error", stage.outcome.error.empty() ? stage.log.error : stage.outcome.error},
      {"leaked", stage.log.leaked},
      {"leak_at", stage.log.leak_at},
      {"warnings", stage.log.warnings},
  };
}

nlohmann::json light_level_json(const LightLevel& level) {
  if (level.original.empty()) return nullptr;
  nlohmann::json match = nullptr;
  if (level.match)
    match = {{"places", level.match->places},
             {"original_light", level.match->original},
             {"compiled_light", level.match->compiled},
             {"factor", level.match->factor}};
  return {{"original", level.original}, {"measured", match}, {"switches", level.switches}, {"note", level.note}};
}

nlohmann::json map_json(const MapRecord& map) {
  nlohmann::json compile = nlohmann::json::array();
  for (const StageRecord& stage : map.stages) compile.push_back(stage_json(stage));
  return {
      {"name", map.entry.name},
      {"source", map.entry.source},
      {"game", game_json_name(map.game)},
      {"long_name", map.long_name},
      {"types", map.types},
      {"status", map.failure.empty() ? "packed" : "failed"},
      {"failure", map.failure},
      {"seconds", map.seconds},
      {"compiled", map.compiled},
      {"levelshot", map.levelshot},
      {"warnings", map.warnings},
      {"conversion",
       map.conversion.report.source.empty() ? nlohmann::json(nullptr) : report_json(map.conversion.report)},
      {"compile", compile},
      {"light_match", light_level_json(map.light_level)},
  };
}

}  // namespace

nlohmann::json play_report_json(const PlayRecord& record) {
  nlohmann::json maps = nlohmann::json::array();
  for (const MapRecord& map : record.maps) maps.push_back(map_json(map));
  return {
      {"program", "korvex-play"},
      {"version", kmap::version},
      {"input", record.input},
      {"status", record.status},
      {"failure", record.failure},
      {"interrupted", record.interrupted},
      {"seconds", record.seconds},
      {"compiler",
       {{"program", record.compiler.empty() ? nlohmann::json(nullptr) : nlohmann::json(record.compiler)},
        {"why_not", record.no_compiler_reason},
        {"game_path", record.paths.game_path},
        {"game_data", record.paths.game_data}}},
      {"maps", maps},
      {"textures", texpack::textures_json(record.textures, record.plan)},
      {"hand_commands", record.hand_commands},
      {"pack", {{"destination", record.destination}, {"files", record.files}, {"bytes", record.bytes}}},
  };
}

}  // namespace play
