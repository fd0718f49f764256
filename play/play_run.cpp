#include "play_run.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "arena.h"
#include "destination.h"
#include "light_keys.h"
#include "light_match.h"
#include "lightmap_luxels.h"
#include "lightmap_scale.h"
#include "map_facts.h"
#include "map_scan.h"
#include "options.h"
#include "original_level.h"
#include "pack_contents.h"
#include "pack_output.h"
#include "play_record.h"
#include "play_report.h"
#include "progress.h"
#include "stop_signals.h"
#include "summary.h"
#include "texture_search.h"
#include "version.h"
#include "work_folder.h"

namespace play {
namespace fs = std::filesystem;
namespace {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

using Clock = std::chrono::steady_clock;
using texpack::MapScan;

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool read_text(const std::string& path, std::string& out, std::string& error) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) {
    error = path + ": cannot read the map: " + std::strerror(errno);
    return false;
  }
  std::ostringstream text;
  text << stream.rdbuf();
  if (stream.bad()) {
    error = path + ": cannot read the map: " + std::strerror(errno);
    return false;
  }
  out = text.str();
  return true;
}

bool read_bytes(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream stream(path, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  if (!stream && !stream.eof()) return false;
  out = std::move(bytes);
  return true;
}

bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(stream.flush());
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code code;
  return fs::equivalent(a, b, code) && !code;
}

bool is_file(const std::string& path) {
  std::error_code code;
  return fs::is_regular_file(path, code);
}

std::string first_line(const std::string& text) {
  const size_t end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

// One run past its command line.
class PlayRun {
 public:
  PlayRun(const Options& options, std::ostream& out, std::ostream& err, bool err_is_terminal,
          const StopSignals& signals, texpack::TextureLibrary& library, PlayRecord& record)
      : options_(options),
        out_(out),
        progress_(err, err_is_terminal),
        signals_(signals),
        library_(library),
        record_(record) {}

  int run();

 private:
  [[nodiscard]] bool stopped() const { return signals_.flag().load(); }
  int fail(const std::string& message);
  // fail(), for a step that says whether the run goes on: always false.
  bool refused(const std::string& message) {
    fail(message);
    return false;
  }
  int interrupted();
  [[nodiscard]] bool prepare();
  void convert(MapRecord& map, MapScan& scan);
  [[nodiscard]] bool pack_textures(const std::vector<const MapScan*>& scans);
  [[nodiscard]] bool give_textures_to_compiler();
  void compile(MapRecord& map);
  [[nodiscard]] bool run_stage(MapRecord& map, Stage stage);
  void match_light(MapRecord& map);

  const Options& options_;
  std::ostream& out_;
  Progress progress_;
  const StopSignals& signals_;
  texpack::TextureLibrary& library_;  // the plan's palette points into it
  PlayRecord& record_;
  WorkFolder work_;
  std::string destination_;
  std::optional<OriginalLevels> original_levels_;  // looked through at the first map it is asked for
};

int PlayRun::fail(const std::string& message) {
  record_.failure = message;
  progress_.note(message);
  return record_.status = exit_failed;
}

int PlayRun::interrupted() {
  record_.interrupted = true;
  record_.destination.clear();
  progress_.note("interrupted; nothing written");
  return record_.status = 128 + signals_.signal_number();
}

// The maps, the pack's place, the compiler and the work folder.
bool PlayRun::prepare() {
  std::vector<MapEntry> entries;
  std::string error;
  if (list_maps(options_.input, entries, error) != ListStatus::ok) return refused(error);
  for (const MapEntry& entry : entries) {
    MapRecord map;
    map.entry = entry;
    record_.maps.push_back(std::move(map));
  }

  destination_ = options_.output.empty() ? default_pack_path(options_.input) : options_.output;
  texpack::Destination place;
  if (!texpack::examine_destination(destination_, place, error)) return refused(error);
  if (place.kind == texpack::DestinationKind::folder) return refused(destination_ + ": is a folder; name a .pk3 file");
  if (place.kind == texpack::DestinationKind::other)
    return refused(destination_ + ": is neither a file, a device nor a pipe; name another");
  for (const MapRecord& map : record_.maps)
    if (same_file(destination_, map.entry.source)) return refused(destination_ + ": the pack would replace a map");
  for (const std::string& source : options_.sources)
    if (same_file(destination_, source)) return refused(destination_ + ": the pack would replace a source");

  record_.paths.game_data = options_.game_data;
  record_.paths.game_path = options_.game_path.empty() ? default_game_path(options_.game_data) : options_.game_path;
  std::error_code code;
  if (!options_.game_path.empty() && !fs::is_directory(options_.game_path, code))
    return refused(options_.game_path + ": no such folder (--game-path)");
  if (options_.no_compile) {
    record_.no_compiler_reason = "--no-compile";
  } else {
    const char* path_variable = std::getenv("PATH");
    record_.compiler = find_compiler(options_.compiler, path_variable != nullptr ? path_variable : "", error);
    if (record_.compiler.empty() && !options_.compiler.empty()) return refused(error + " (--compiler)");
    if (record_.compiler.empty()) record_.no_compiler_reason = error;
  }

  if (!work_.make(error)) return refused(error);
  if (options_.keep_work) {
    work_.keep();
    progress_.note("work folder kept: " + work_.path());
  }
  record_.paths.home = work_.file("home");
  return true;
}

void PlayRun::convert(MapRecord& map, MapScan& scan) {
  const std::string& name = map.entry.name;
  std::string text;
  std::string error;
  if (!read_text(map.entry.source, text, error)) {
    map.failure = error;
    return;
  }
  const MapFacts source_facts = read_map_facts(text);
  map.game = game_to_convert_as(source_facts, options_.game);
  const std::string keep_table = find_keep_table(map.game);
  if (keep_table.empty()) {
    map.failure = std::string("cannot find ") + (map.game == kmap::Game::quake2 ? "q2-keep.tex" : "q1-keep.tex") +
                  " where the tables are installed";
    return;
  }
  const std::string converted_path = "maps/" + name + ".map";
  map.conversion = convert_map(map.entry.source, keep_table, map.game, work_.path(), converted_path, signals_.flag());
  if (map.conversion.status != 0) {
    const std::string why = first_line(map.conversion.report.failure);
    map.failure =
        "conversion failed: " + (why.empty() ? "korvex exit status " + std::to_string(map.conversion.status) : why);
    const std::string reason = first_line(map.conversion.messages);
    if (!reason.empty() && reason != why) map.failure += " (" + reason + ")";
    return;
  }
  std::string converted;
  if (!read_text(work_.file(converted_path), converted, error)) {
    map.failure = error;
    return;
  }
  if (texpack::scan_map(converted, true, false, scan, error) != texpack::ScanStatus::ok) {
    map.failure = converted_path + ": " + error;
    return;
  }
  // The converted map leaves out the world's "wad" key: the source has it.
  texpack::MapScan source_scan;
  if (texpack::scan_map(text, false, map.game == kmap::Game::quake2, source_scan, error) == texpack::ScanStatus::ok)
    scan.wad_entries = source_scan.wad_entries;
  map.long_name = long_name(source_facts.message, name);
  map.types = game_types(read_map_facts(converted).classes);
  map.converted = true;
}

bool PlayRun::pack_textures(const std::vector<const MapScan*>& scans) {
  record_.textures.map_path = options_.input;
  record_.textures.kind = texpack::MapKind::converted;
  std::string error;
  const texpack::SearchStatus searched = texpack::search_textures(
      scans, options_.sources, map_name_of(destination_),
      options_.no_overbright ? texpack::LightRange::q3 : texpack::LightRange::quake,
      [this](size_t done, size_t total) { progress_.count("textures: image", done, total); }, library_,
      record_.textures, record_.plan, error);
  if (searched == texpack::SearchStatus::source_failed || searched == texpack::SearchStatus::plan_failed)
    return refused(error);
  if (options_.strict && !record_.plan.missing.empty())
    return refused(plural(record_.plan.missing.size(), "texture", "textures") +
                   " missing (--strict), nothing written:\n" + texpack::name_list(record_.plan.missing));
  return true;
}

// The pack's textures and shaders as loose files where the compiler reads
// the game's: it needs the images' sizes and the shaders' surface keywords.
bool PlayRun::give_textures_to_compiler() {
  const std::string data = record_.paths.home + "/" + record_.paths.game_data;
  std::error_code code;
  fs::create_directories(record_.plan.files.empty() ? data : record_.paths.home, code);
  if (code) return refused(record_.paths.home + ": cannot make the folder: " + code.message());
  std::string error;
  if (!record_.plan.files.empty() &&
      texpack::write_folder_pack(data, record_.plan.files, error) != texpack::OutputStatus::ok)
    return refused(error);
  return true;
}

// One stage of the compiler; false when the map cannot go on.
bool PlayRun::run_stage(MapRecord& map, Stage stage) {
  const StageStep& stage_step = stages[static_cast<size_t>(stage)];
  const std::string& name = map.entry.name;
  progress_.step(name + ": compiling, " + std::string(stage_step.name));
  StageRecord record;
  record.stage = stage;
  record.command = stage_command(record_.compiler, record_.paths, stage, name, map.conversion.report.compile_switches,
                                 options_.fast);
  const std::string log = work_.file("logs/" + name + "-" + std::string(stage_step.name) + ".log");
  const Clock::time_point start = Clock::now();
  record.outcome = run_child(record.command, work_.path(), log, signals_.flag());
  record.seconds = seconds_since(start);
  std::ifstream log_stream(log, std::ios::binary);
  std::ostringstream log_text;
  log_text << log_stream.rdbuf();
  record.log = read_stage_log(log_text.str());
  map.stages.push_back(record);

  std::string failure;
  if (record.outcome.end == ChildEnd::stopped) return false;
  if (record.outcome.end == ChildEnd::not_started)
    failure = record.outcome.error;
  else if (!record.log.error.empty())
    failure = record.log.error;
  else if (record.outcome.end == ChildEnd::signalled)
    failure = "ended by signal " + std::to_string(record.outcome.code);
  else if (record.outcome.code != 0)
    failure = "exit status " + std::to_string(record.outcome.code);
  else if (stage == Stage::bsp && !is_file(work_.file("maps/" + name + ".bsp")))
    failure = "wrote no maps/" + name + ".bsp";
  if (stage == Stage::levelshot) {
    // A map plays without its picture.
    map.levelshot = failure.empty() && is_file(work_.file("levelshots/" + name + ".tga"));
    if (!map.levelshot) progress_.note(name + ": no levelshot: " + (failure.empty() ? "none written" : failure));
    return true;
  }
  for (const std::string& warning : record.log.warnings)
    map.warnings.push_back(std::string(stage_step.name) + ": " + warning);
  if (!failure.empty()) {
    map.failure = "q3map2 " + std::string(stage_step.switch_word) + ": " + failure;
    return false;
  }
  return true;
}

// Holds the compiled light against the author's own level, when the
// sources hold it, and scales the compiled lightmaps to match it.
void PlayRun::match_light(MapRecord& map) {
  if (options_.no_light_match || map.game != kmap::Game::quake) return;
  if (!original_levels_) original_levels_.emplace(options_.sources);
  OriginalLevel original;
  if (!original_levels_->find(map.entry.name, original)) return;
  LightLevel& level = map.light_level;
  level.original = original.origin;
  progress_.step(map.entry.name + ": matching the light to " + original.origin);
  std::vector<Luxel> original_light, compiled_light;
  if (read_quake_luxels(original.bytes, original_light) != LuxelStatus::ok) {
    level.note = "not a Quake level that can be read";
    return;
  }
  const std::string compiled_path = work_.file("maps/" + map.entry.name + ".bsp");
  std::vector<uint8_t> compiled;
  // A shader of the pack that stores its lightmap at half shows it doubled.
  const ShownLight shown = [this](std::string_view shader) {
    return record_.plan.overbright_shaders.contains(shader)
               ? float(1 / texpack::overbright_lightmap_scale)
               : 1.0f;
  };
  if (!read_bytes(compiled_path, compiled) || read_q3_luxels(compiled, compiled_light, shown) != LuxelStatus::ok) {
    level.note = "the compiled level cannot be read";
    return;
  }
  level.match = match_light_level(original_light, compiled_light, kmap::quake_byte_ratio);
  if (!level.match) {
    level.note = "too few places lit in both to compare";
    return;
  }
  const std::optional<std::string> brightness = brightness_switch(level.match->factor);
  if (!brightness) {
    if (std::fabs(std::log(level.match->factor)) > std::log(light_match_widest))
      level.note = "lit too differently to be this map's level; the light is left as translated";
    return;
  }
  // The value written is the one a compile by hand would take, so that both
  // give the same level.
  if (scale_q3_lightmaps(compiled, std::stod(*brightness)) != LuxelStatus::ok || !write_bytes(compiled_path, compiled)) {
    level.note = "the compiled level cannot be written";
    return;
  }
  level.switches = {"-brightness", *brightness};
}

void PlayRun::compile(MapRecord& map) {
  if (!run_stage(map, Stage::bsp)) return;
  const StageLog bsp = map.stages.back().log;
  if (bsp.leaked)
    map.warnings.push_back("bsp: the map leaks, its inside is open to the void" +
                           (bsp.leak_at.empty() ? std::string() : " at " + bsp.leak_at) + ": vis skipped (maps/" +
                           map.entry.name + ".lin traces the leak)");
  else if (!run_stage(map, Stage::vis))
    return;
  if (!run_stage(map, Stage::light)) return;
  match_light(map);
  if (options_.strict && !map.warnings.empty()) {
    map.failure = plural(map.warnings.size(), "compiler warning", "compiler warnings") + " (--strict)";
    return;
  }
  map.compiled = true;
  (void)run_stage(map, Stage::levelshot);
}

int PlayRun::run() {
  if (!prepare()) return record_.status;
  const bool compiling = !record_.compiler.empty();
  if (!compiling) progress_.note("not compiling: " + record_.no_compiler_reason);

  std::vector<MapScan> scans(record_.maps.size());
  std::vector<const MapScan*> converted;
  for (size_t i = 0; i < record_.maps.size(); ++i) {
    MapRecord& map = record_.maps[i];
    const std::string count = " (" + std::to_string(i + 1) + "/" + std::to_string(record_.maps.size()) + ")";
    progress_.step(map.entry.name + ": converting" + (record_.maps.size() > 1 ? count : ""));
    const Clock::time_point start = Clock::now();
    convert(map, scans[i]);
    map.seconds = seconds_since(start);
    if (stopped()) return interrupted();
    if (!map.failure.empty())
      progress_.note(map.entry.name + ": " + map.failure);
    else
      converted.push_back(&scans[i]);
  }
  if (converted.empty()) return fail("no map was converted; nothing written");
  if (!pack_textures(converted)) return record_.status;
  if (stopped()) return interrupted();

  if (compiling) {
    if (!give_textures_to_compiler()) return record_.status;
    for (MapRecord& map : record_.maps) {
      if (!map.failure.empty()) continue;
      const Clock::time_point start = Clock::now();
      compile(map);
      map.seconds += seconds_since(start);
      if (stopped()) return interrupted();
      if (!map.failure.empty()) progress_.note(map.entry.name + ": " + map.failure);
    }
  }

  std::vector<texpack::PackFile> members = record_.plan.files;
  size_t packed = 0;
  std::string error;
  for (MapRecord& map : record_.maps) {
    if (!map.failure.empty()) continue;
    const std::string& name = map.entry.name;
    const bool added = map.compiled ? add_compiled_map(work_.path(), name, members, error)
                                    : add_map_source(work_.path(), name, members, error);
    if (!added) return fail(error);
    const std::string arena = arena_text(name, map.long_name, map.types);
    members.push_back({"scripts/" + name + ".arena", std::vector<uint8_t>(arena.begin(), arena.end()), true});
    ++packed;
  }
  if (options_.strict && packed < record_.maps.size())
    return fail(plural(record_.maps.size() - packed, "map", "maps") + " failed (--strict); nothing written");
  if (packed == 0) return fail("no map made it; nothing written");
  if (!check_members(members, error)) return fail(error);

  if (stopped()) return interrupted();
  progress_.step("writing " + destination_);
  if (texpack::write_zip_pack(destination_, members, error) != texpack::OutputStatus::ok) {
    if (stopped()) return interrupted();
    return fail(error);
  }
  progress_.finish();
  record_.destination = destination_;
  record_.files = members.size();
  record_.bytes = total_bytes(members);
  if (!compiling && is_file(destination_)) {
    std::error_code code;
    record_.hand_commands = hand_commands(record_, fs::absolute(destination_, code).string(), options_.fast);
  }
  out_ << summary_text(record_) << std::flush;
  if (stopped()) {
    // The pack was complete before the signal was seen: it stays.
    record_.interrupted = true;
    return record_.status = 128 + signals_.signal_number();
  }
  return record_.status = packed == record_.maps.size() ? exit_ok : exit_failed;
}

// Why the report cannot go where --report says, or "".
std::string report_conflict(const Options& options) {
  if (options.report.empty()) return "";
  std::string error;
  std::vector<MapEntry> entries;
  if (list_maps(options.input, entries, error) == ListStatus::ok)
    for (const MapEntry& entry : entries)
      if (same_file(options.report, entry.source)) return options.report + ": the report would replace a map";
  for (const std::string& source : options.sources)
    if (same_file(options.report, source)) return options.report + ": the report would replace a source";
  const std::string destination = options.output.empty() ? default_pack_path(options.input) : options.output;
  if (options.report == destination || same_file(options.report, destination))
    return options.report + ": the report and the pack name one file";
  return "";
}

}  // namespace

int run_korvex_play(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, bool err_is_terminal) {
  Options options;
  std::string error;
  if (parse_options(words, options, error) != OptionsStatus::ok) {
    err << "korvex-play: " << error << "\nTry 'korvex-play --help'.\n";
    return exit_usage;
  }
  if (options.help) {
    out << usage_text();
    return exit_ok;
  }
  if (options.version) {
    out << "korvex-play " << kmap::version << "\n";
    return exit_ok;
  }
  if (const std::string conflict = report_conflict(options); !conflict.empty()) {
    err << "korvex-play: " << conflict << "\n";
    return exit_failed;
  }

  const Clock::time_point start = Clock::now();
  const StopSignals signals;
  texpack::TextureLibrary library;  // outlives the record's plan, which points into it
  PlayRecord record;
  record.input = options.input;
  int status;
  {
    PlayRun run(options, out, err, err_is_terminal, signals, library, record);
    status = run.run();
  }  // the work folder goes here, before the report is written
  record.seconds = seconds_since(start);
  if (!options.report.empty() && !record.interrupted) {
    const std::string json =
        play_report_json(record).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (texpack::write_file(options.report, std::vector<uint8_t>(json.begin(), json.end()), error) !=
        texpack::OutputStatus::ok)
      err << "korvex-play: cannot write the report: " << error << "\n";
  }
  return status;
}

}  // namespace play
