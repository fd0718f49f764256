#include "convert_passes.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "kit.h"
#include "program_texts.h"
#include "read_blocks.h"
#include "read_prologue.h"
#include "rewrite.h"
#include "write_blocks.h"

using namespace kmap;

namespace conv {
namespace {

constexpr const char* notice = "by the KORVEX developers, 2026";

void write_header(FILE* out, const Settings& s) {
  if (!s.modes.enumerate) {
    fputs(s.modes.q2 ? "// Quake2 " : "// Quake ", out);
    fprintf(out, "map '%s' converted to Q3A format\n", s.paths.source);
    fputs("// Converter: KORVEX\n", out);
    fprintf(out, "// %s\n", notice);
  }
  fputs("// entity 0\n{\n", out);
  fputs("  \"classname\" \"worldspawn\"\n", out);
}

// The world's key lines read so far, and the alignment form's own key once
// it is known. The classname is written already; WAD lists mean nothing to
// a Q3 compiler, and Quake's fog settings would be read by it as the name of
// a global fog shader, which stops a Q3 client loading the level.
void write_world_keys(const RunConfig& config, RunState& state, FILE* out) {
  Entity& keys = state.world_keys;
  if (config.settings.modes.fog)
    if (const auto fog = keys.value("fog")) note_world_fog(*fog, state.fog);
  if (config.translate_lights && keys.key_count() > 0 &&
      translate_world_keys(keys, config.settings.modes.q2 != 0, state.lights) != CONV_OK)
    fputs("korvex: the world's light keys are too long to translate; they are written as they were read\n",
          error_stream(state.console));
  for (int k = 0; k < keys.key_count(); ++k) {
    const std::string_view line = keys.lines.view(keys.key_line(k));
    const std::string_view key = line.substr(0, line.find('"', 1) + 1);
    if (key == "\"classname\"" || key == "\"wad\"" || key == "\"_wad\"" || key == "\"_fog\"" || key == "\"fog\"")
      continue;
    if (key == "\"mapversion\"") state.mapversion_written = true;
    fprintf(out, "  %s\n", keys.lines.text(keys.key_line(k)));
  }
  keys.clear();
  if (config.valve && !state.mapversion_written) {
    fputs("  \"mapversion\" \"220\"\n", out);
    state.mapversion_written = true;
  }
}

// An invalid object is dropped: its record and block go to the log, and the
// summary ends with a warning. Beyond the classic limits the log says why.
void discard(const RunConfig& config, RunState& state, const char* what, int number, ReadCause cause) {
  char text[64];
  snprintf(text, sizeof text, discarded_format, what, number);
  (void)state.log.record(text);
  if (config.settings.extended() && cause != ReadCause::none)
    (void)state.log.record("  (" + std::string(cause_text(cause)) + ")\n");
  state.counts.discarded = true;
  // The log drops what it cannot write; the summary must not point at it.
  if (!log_block(state.block, state.log)) state.counts.log_failed = true;
  state.report.discarded.push_back({what[0] == 'b' ? "brush" : "entity", number, state.block.first_line,
                                    std::string(cause_text(cause))});
}

// A classic run's failure that extended mode would have avoided.
void note_extended_cause(const RunConfig& config, RunState& state, ExtendedCause cause) {
  if (!config.settings.extended() && state.hints.extended == ExtendedCause::none) state.hints.extended = cause;
}

bool write_failed(RunState& state, const Settings& s) {
  const int error = errno;
  print_failure(state, "Error when writing %s\n", s.paths.dest);
  explain_file_error(state, s.paths.dest, error);
  return false;
}

PlayableRewrite rewrite_of(const RunConfig& config, RunState& state) {
  PlayableRewrite p;
  p.faces.textures = state.chooser.get();
  p.faces.q2 = config.settings.modes.q2 != 0;
  p.faces.valve = config.valve;
  p.faces.wal = config.wal.get();
  p.faces.drop_detail = config.drop_detail;
  if (config.settings.modes.q3 && !config.settings.modes.enumerate) p.edits = &config.edits;
  p.rules = state.rules.get();
  return p;
}

// True when the run was asked to stop; says so.
bool stopped(RunState& state) {
  if (state.console.stop == nullptr || !state.console.stop->load(std::memory_order_relaxed)) return false;
  print_failure(state, "Interrupted\n");
  return true;
}

bool world_pass(const RunConfig& config, RunState& state, PlayableRewrite& playable, FILE* out) {
  const Settings& s = config.settings;
  FILE* con = state.console.out;
  int& n = state.counts.brushes;
  for (;;) {
    if (stopped(state)) return false;
    const ReadOutcome r = read_world_brush(state.input, state.block, s, s.modes.keep_keys ? &state.world_keys : nullptr);
    if (r.status == CONV_END) break;
    ++n;  // the brush's position, counted from 1; discarded ones count too
    if (r.status == CONV_DISCARD) {
      discard(config, state, "brush #", n - 1, r.cause);
      continue;
    }
    if (r.status != CONV_OK) {
      print_failure(state, "Brush #%d load error: %s\n", n - 1, conv_message(r.status));
      note_extended_cause(config, state, extended_cause(r, state.block.entity.lines));
      (void)log_block(state.block, state.log);
      return false;
    }
    const conv_status w = s.modes.enumerate ? CONV_OK : rewrite_world_brush(state.block, s, playable);
    write_world_keys(config, state, out);
    if (w != CONV_OK) {
      print_failure(state, "Brush #%d write error: %s\n", n - 1, conv_message(w));
      (void)log_block(state.block, state.log);
      // Extended mode writes any coordinate in full and longer lines; it
      // leaves a brush it cannot rewrite out.
      note_extended_cause(config, state, w == CONV_BAD_COORD        ? ExtendedCause::coordinates
                                         : w == CONV_LINE_TOO_LONG ? ExtendedCause::limits
                                                                   : ExtendedCause::damage);
      if (!s.extended()) return false;  // extended mode leaves the brush out
    } else {
      write_brush(out, state.block, n);
      if (s.modes.fog) add_world_brush(state.block.entity.lines, state.fog);
    }
    if (ferror(out)) return write_failed(state, s);
  }
  if (n == 0) {
    if (!s.extended()) {
      print_failure(state, "%s\n", no_brush_line);
      note_extended_cause(config, state, ExtendedCause::no_brush);
      return false;
    }
    fprintf(con, "%s: the world is written without brushes\n", no_brush_line);
  }
  write_world_keys(config, state, out);
  if (s.modes.fog && !s.modes.enumerate) state.fog_written = write_fog_volume(out, config.valve, state.fog);
  fputs("}\n", out);
  if (n > 0) fprintf(con, brushes_format, n);
  return true;
}

bool entity_pass(const RunConfig& config, RunState& state, PlayableRewrite& playable, FILE* out) {
  const Settings& s = config.settings;
  FILE* con = state.console.out;
  int& n = state.counts.entities;
  for (;;) {
    if (stopped(state)) return false;
    const ReadOutcome r = read_entity(state.input, state.block, config.classes, s);
    if (r.status == CONV_END) return true;
    ++n;  // the entity's number; the world is entity 0
    if (r.status == CONV_DISCARD) {
      // An editor's empty group or layer header is editor data, not damage.
      if (!(s.extended() && r.cause == ReadCause::editor_header)) discard(config, state, "entity ", n, r.cause);
      continue;
    }
    if (r.status != CONV_OK) {
      print_failure(state, "Ent #%d load error (%d): %s\n", n, r.status, conv_message(r.status));
      note_extended_cause(config, state, extended_cause(r, state.block.entity.lines));
      (void)log_block(state.block, state.log);
      return false;
    }
    if (!s.modes.enumerate) {
      if (state.block.fields.class_slot == class_unlisted) ++state.hints.left_out[std::string(looked_up_class(state.block))];
      if (!entity_kept(state.block, config.classes, playable, n)) continue;  // not in the table, or left out
      state.added.clear();
      // The light translation reads the source's class and flags.
      const std::string source_class = config.translate_lights ? std::string(state.block.entity.classname()) : "";
      std::optional<std::string> source_flags;
      if (const auto flags = state.block.entity.value("spawnflags"); flags && config.translate_lights)
        source_flags = std::string(*flags);
      conv_status w = rewrite_entity(state.block, config.classes, s, playable, n, state.added);
      bool written = true;
      if (w == CONV_OK && config.translate_lights)
        w = translate_light_entity(state.block.entity, source_class, source_flags, state.lights, state.added, written);
      if (w != CONV_OK) {
        fprintf(con, "Ent #%d write error: %s\n", n, conv_message(w));
        (void)log_block(state.block, state.log);
        continue;
      }
      if (!written) continue;  // a light dark when the level starts
    }
    write_entity(out, state.block.entity, n);
    ++state.counts.replaced;
    // What the entity rules derived from it follows it.
    for (size_t k = 0; k < state.added.size(); ++k) write_added_entity(out, state.added[k], n, static_cast<int>(k) + 1);
    state.added.clear();
    if (ferror(out)) return write_failed(state, s);
  }
}

}  // namespace

bool convert(RunConfig& config, RunState& state, FILE* source, FILE* out) {
  const Settings& s = config.settings;
  write_header(out, s);
  fprintf(state.console.out, "Processing '%s'\n", s.paths.source);
  start_reading(state.input, source, state.block, s);
  state.world_keys.lines.configure(extended_limits, true);
  if (!s.modes.enumerate) {
    // The game's vote and the map's alignment form come from its first
    // faces, before the world pass writes any.
    const Prologue prologue = read_prologue(state.input.text, s.limit());
    state.hints.votes = prologue.votes;
    config.valve = config.has_texture_rules && prologue.form == AlignForm::valve220;
  }
  if (!find_worldspawn(state.input, state.block)) {
    print_failure(state, "No 'worldspawn' section in %s\n", s.paths.source);
    return false;
  }
  PlayableRewrite playable = rewrite_of(config, state);
  const bool passed = world_pass(config, state, playable, out) && entity_pass(config, state, playable, out);
  state.trains_given_origin = playable.trains_given_origin;
  if (!passed) return false;
  // A read error must not pass for the end of the map.
  if (ferror(source)) {
    const int error = errno;
    print_failure(state, "Error when reading %s\n", s.paths.source);
    explain_file_error(state, s.paths.source, error);
    return false;
  }
  if (!state.files.finish_output()) return write_failed(state, s);
  return true;
}

}  // namespace conv
