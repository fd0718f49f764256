#include "run.h"

#include <unistd.h>

#include <cerrno>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "bounded_text.h"
#include "command_line.h"
#include "convert_passes.h"
#include "coords.h"
#include "disk_files.h"
#include "kit.h"
#include "light_keys.h"
#include "rewrite_faces.h"
#include "read_prologue.h"
#include "report_json.h"
#include "run_state.h"
#include "run_summary.h"
#include "table_search.h"
#include "usage.h"

using namespace kmap;

namespace conv {
namespace {

constexpr const char* notice = "by the KORVEX developers, 2026";

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// The hints follow the console's lines; written at most once per run.
void print_hints_once(const RunConfig& config, RunState& state) {
  if (state.hints_written) return;
  state.hints_written = true;
  print_hints(error_stream(state.console), state.hints, config.settings);
}

// Only a person at a terminal can press ENTER: from a pipe, a file or
// nothing the run ends at once, after the same text.
void wait_for_enter(const RunConfig& config, RunState& state) {
  print_hints_once(config, state);
  fputs("Press ENTER...", state.console.out);
  fflush(state.console.out);
  if (state.console.interactive) (void)fgetc(state.console.in);
}

// A shipped table by name, found where the tables are.
std::string shipped(RunState& state, const char* name) {
  return find_table(name, [&state](const std::string& path) { return state.files.exists(path.c_str()); });
}

// The texture rules of -t (and -q3); false when the run must end. A table
// named without a folder is looked for where the tables are.
bool load_textures(RunConfig& config, RunState& state) {
  Settings& s = config.settings;
  if (s.paths.textures[0] == '\0') return true;
  const std::string found = shipped(state, s.paths.textures);
  (void)BoundedText(s.paths.textures, sizeof s.paths.textures).add(found).ok();
  std::string error;
  const UniqueFile file(state.files.open_read(s.paths.textures));
  if (!load_texture_rules(file.get(), s.paths.textures, config.texture_rules, error)) {
    print_failure(state, "Texture table error: %s\n", error.c_str());
    if (!state.files.exists(s.paths.textures)) state.hints.missing_texture_rules = s.paths.textures;
    return false;
  }
  config.has_texture_rules = true;
  // The flags of Quake 2 textures, for faces that carry none.
  if (s.paths.wal[0] != '\0') {
    config.wal = std::make_unique<texpack::TextureLibrary>();
    if (config.wal->add_path(s.paths.wal, error) != texpack::SourceStatus::ok) {
      print_failure(state, "Texture source error: %s\n", error.c_str());
      return false;
    }
  }
  return true;
}

// The entity rules of -q3 (-r, else the shipped table of the game); false
// when the run must end.
bool load_entity_rules(RunConfig& config, RunState& state) {
  Settings& s = config.settings;
  if (!s.modes.q3) return true;
  const std::string path = shipped(state, s.paths.rules[0] != '\0' ? s.paths.rules : s.modes.q2 ? "q2.rules" : "q1.rules");
  std::string error;
  const UniqueFile file(state.files.open_read(path.c_str()));
  std::string text;
  if (file) {
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file.get())) > 0;) text.append(chunk, n);
  }
  if (!file || ferror(file.get())) {
    const int why = errno;
    print_failure(state, "Entity rules error: cannot open the file '%s'\n", path.c_str());
    explain_file_error(state, path.c_str(), why);
    return false;
  }
  if (!parse_rules(text, path, config.rules, error)) {
    print_failure(state, "Entity rules error: %s\n", error.c_str());
    return false;
  }
  config.has_rules = true;
  return true;
}

// True, with the size factor set, when the -g value is a positive finite
// number; else false, and the factor stays the default 1.
bool read_size_factor(Settings& s) {
  double factor = 0;
  if (!read_number(s.paths.size_arg, &factor, s.extended()) || !std::isfinite(factor) || !(factor > 0)) return false;
  s.factors.size = factor;
  return true;
}

// Factors and table of conversion mode; false when the run must end.
bool prepare_conversion(RunConfig& config, RunState& state) {
  Settings& s = config.settings;
  FILE* con = state.console.out;
  // Beyond the classic runs, a table named without a folder (or the
  // default one) is looked for where the tables are; a classic run reads
  // it from the working folder.
  if (s.paths.table[0] == '\0') std::strcpy(s.paths.table, s.modes.q2 ? "q2.ent" : "q1.ent");
  if (s.extended()) {
    const std::string found = shipped(state, s.paths.table);
    (void)BoundedText(s.paths.table, sizeof s.paths.table).add(found).ok();
  }
  if (s.paths.light_arg[0] != '\0' && !read_number(s.paths.light_arg, &s.factors.light, s.extended()))
    fprintf(con, "Bad light scale value, using default (%f)\n", 1.0);
  // A size factor of zero or less folds the map flat or inside out.
  if (s.paths.size_arg[0] != '\0' && !read_size_factor(s))
    fprintf(con, "Bad size scale value, using default (%f)\n", 1.0);
  const UniqueFile file(state.files.open_read(s.paths.table));
  const int open_error = file ? 0 : errno;
  const conv_status r = load_class_table(file.get(), config.classes);
  if (r != CONV_OK) {
    if (r == CONV_OPEN) {
      print_failure(state, "Entity table error: %s '%s'\n", conv_message(r), s.paths.table);
      state.hints.missing_class_table = s.paths.table;
      explain_file_error(state, s.paths.table, open_error);
    } else {
      print_failure(state, "Entity table error: %s\n", conv_message(r));
    }
    return false;
  }
  if (config.classes.full) fputs("Warning: too many classnames in entity replacement table\n", con);
  fprintf(con, "%d classnames in '%s'\n", config.classes.count, s.paths.table);
  return load_textures(config, state) && load_entity_rules(config, state);
}

// Where a light's target is, as the conversion writes it.
void note_light_target(const Entity& entity, double size, TargetTable& targets) {
  const auto name = entity.value("targetname");
  if (!name || name->empty()) return;
  std::optional<Vec3> origin;
  if (const auto text = entity.value("origin")) {
    Vec3 v{};
    if (read_numbers(*text, v.data(), 3) == 3) origin = Vec3{v[0] * size, v[1] * size, v[2] * size};
  }
  targets.add(*name, origin);
}

// -q3 and the light translation need every entity's keys before the first
// one is written: a first pass reads them, then the source is read again
// from its start. Only -q3 plans the entity graph.
bool plan_entity_graph(RunConfig& config, RunState& state, FILE* source) {
  const bool q3 = config.settings.modes.q3 != 0;
  // The brushes are counted by structure as the keys are read: a world of
  // detail alone does not compile.
  StructureScan scan;
  FaceRewrite faces;
  faces.q2 = config.settings.modes.q2 != 0;
  faces.wal = config.wal.get();
  if (faces.q2) scan.is_detail_face = [&faces](std::string_view line) { return face_is_detail(faces, line); };
  // The entity rules' facts: every entity's names, and the doors with
  // their brushes, noted once the layers left out are known.
  std::vector<std::pair<int, Entity>> doors;
  EntitySeen seen;
  std::function<bool(const Entity&)> keep_brushes;
  const double size = config.settings.factors.size;
  if (state.rules || config.translate_lights) {
    seen = [&](const Entity& entity, int number) {
      if (config.translate_lights) note_light_target(entity, size, state.lights.targets);
      if (!state.rules) return;
      if (entity.classname() == "func_door")
        doors.emplace_back(number, entity);
      else
        state.rules->facts.note(entity, number);
    };
    if (state.rules) keep_brushes = [](const Entity& entity) { return entity.classname() == "func_door"; };
  }
  std::vector<EntityKeys> keys = read_entity_keys(state.input, source, state.block, config.classes, config.settings,
                                                  &scan, seen, keep_brushes);
  if (ferror(source) || fseek(source, 0, SEEK_SET) != 0) {
    print_failure(state, "Error when reading %s: -q3 reads the map twice, so it must be a file\n",
                  config.settings.paths.source);
    return false;
  }
  if (!q3) return true;
  config.edits = plan_graph_edits(std::move(keys));
  if (state.rules) {
    for (const auto& [number, door] : doors)
      if (!config.edits.omitted.count(number)) state.rules->facts.note(door, number);
    state.rules->facts.finish();
  }
  state.hints.structural_brushes = scan.structural;
  state.hints.detail_brushes = scan.detail;
  if (scan.structural == 0 && scan.detail > 0 && !config.drop_detail) {
    config.drop_detail = true;
    config.edits.report.push_back("the world has no structural brush: its " + std::to_string(scan.detail) +
                                  " detail brushes are written structural, so that it compiles");
  }
  return true;
}

// True when the faces of the open source vote for Quake 2; says so on
// standard error. Reads the source's start and puts it back.
bool follow_the_faces(RunState& state, FILE* source) {
  auto input = std::make_unique<TextInput>();
  open_input(*input, source);
  const Prologue prologue = read_prologue(*input, extended_limits);
  if (fseek(source, 0, SEEK_SET) != 0) return false;
  state.hints.game_followed = true;
  if (voted_game(prologue.votes) != Game::quake2) return false;
  fputs("korvex: the map's faces are Quake 2's: it is converted as a Quake 2 map (-q1 says otherwise)\n",
        error_stream(state.console));
  return true;
}

// Everything before the conversion passes, then the passes; the exit status.
int run(int argc, char** argv, RunConfig& config, RunState& state) {
  Settings& s = config.settings;
  FILE* con = state.console.out;
  // Help and version are no run: no banner, and the log is left alone.
  switch (info_request(argc, argv)) {
    case InfoRequest::help:
      print_usage(con);
      return 0;
    case InfoRequest::version:
      print_version(con);
      return 0;
    case InfoRequest::none:
      break;
  }
  fputs("KORVEX map converter utility\n", con);
  fprintf(con, "%s\n", notice);

  // Every run starts a fresh log.
  state.log.start();

  int at = -1;
  if (!read_command_line(argc, argv, s, con, &at)) {
    const int status = kit_get_lasterr();
    print_failure(state, "%s\n", kit_errmsg(status));
    state.hints.bad_command_line = true;
    state.hints.rejection = rejection_text(status, at, argc, argv);
    wait_for_enter(config, state);
    return 1;
  }
  if (s.modes.q1 && s.modes.q2) {
    print_failure(state, "Options -q1 and -q2 name two games; give one\n");
    state.hints.bad_command_line = true;
    return 1;
  }
  UniqueFile source;
  if (s.modes.q3 && !s.modes.q1 && !s.modes.q2 && !s.modes.enumerate) {
    // A map to play is converted as the game its faces say.
    source.reset(state.files.open_read(s.paths.source));
    if (source && follow_the_faces(state, source.get())) s.modes.q2 = 1;
  }
  settle_modes(s, s.modes.q2 ? "q2.tex" : "q1.tex");
  if (s.paths.dest[0] == '\0' && !derive_output_name(s)) {
    print_failure(state, "Output file name too long: more than %d characters; name it with -d\n", path_chars);
    return 1;
  }
  if (!s.modes.enumerate && !prepare_conversion(config, state)) return 1;
  config.drop_detail = s.modes.no_detail != 0;

  if (!source) source.reset(state.files.open_read(s.paths.source));
  if (!source) {
    const int error = errno;
    print_failure(state, "Error when opening %s\n", s.paths.source);
    explain_file_error(state, s.paths.source, error);
    wait_for_enter(config, state);
    return 1;
  }
  if (state.files.same_file(source.get(), s.paths.dest)) {
    print_failure(state, "Output file %s is the source map itself; name another with -d\n", s.paths.dest);
    return 1;
  }
  if (config.has_rules) state.rules = std::make_unique<EntityRules>(config.rules);
  config.translate_lights = (s.modes.q3 || s.modes.lights) && !s.modes.enumerate;
  // -q3 (outside numbering) always translates lights: both need the first pass.
  if (config.translate_lights && !plan_entity_graph(config, state, source.get())) return 1;
  if (config.has_texture_rules)
    state.chooser = std::make_unique<TextureChooser>(config.texture_rules, s.modes.q2 != 0);
  FILE* out = state.files.open_output(s.paths.dest);
  if (out == nullptr) {
    const int error = errno;
    print_failure(state, "Error when creating %s\n", s.paths.dest);
    explain_file_error(state, s.paths.dest, error);
    wait_for_enter(config, state);
    return 1;
  }
  if (!convert(config, state, source.get(), out)) {
    state.files.discard_output();
    return 1;
  }
  print_summary(config, state);
  report_playable(config, state);
  return 0;
}

}  // namespace

int korvex_run(int argc, char** argv, const Console& console, RunFiles& files, RunReport* report) {
  const auto start = std::chrono::steady_clock::now();
  RunReport own_report;
  RunReport& r = report != nullptr ? *report : own_report;
  r = RunReport{};
  auto config = std::make_unique<RunConfig>();
  auto state = std::make_unique<RunState>(console, files, r);
  const int status = run(argc, argv, *config, *state);
  // The output is closed on every path.
  files.discard_output();
  print_hints_once(*config, *state);
  fill_report(*config, *state, status);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const char* report_path = config->settings.paths.report;
  if (report_path[0] != '\0' && !files.write_whole(report_path, report_json(r).dump(2) + "\n")) {
    // The map is in place all the same: the run's status stands.
    fprintf(error_stream(console), "korvex: %s: cannot write the report: %s\n", report_path, strerror(errno));
  }
  return status;
}

int korvex_main(int argc, char** argv) {
  Console console;
  console.interactive = isatty(STDIN_FILENO) != 0;
  DiskFiles files("", true);
  return korvex_run(argc, argv, console, files);
}

}  // namespace conv
