#include "run_summary.h"

#include <cstring>

#include "program_texts.h"

using namespace kmap;

namespace conv {
namespace {

const char* replacement_of(const TextureRule& r) {
  return r.choice == TextureChoice::keep ? "@keep" : r.choice == TextureChoice::owner ? "@owner" : r.name.c_str();
}

std::string fog_line(const std::string& texture) {
  return "Quake's fog written as a fog volume around the level (" + texture + ", from the texture pack)";
}

}  // namespace

void print_failure(RunState& state, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  fputs(text, state.console.out);
  std::string_view line = text;
  while (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  state.report.failure.assign(line);
}

void explain_file_error(RunState& state, const char* path, int error) {
  if (error == 0) return;
  fprintf(error_stream(state.console), "korvex: %s: %s\n", path, strerror(error));
}

void print_summary(const RunConfig& config, RunState& state) {
  const RunCounts& c = state.counts;
  FILE* con = state.console.out;
  if (c.entities == 0)
    fputs("Warning: no entity\n", con);
  else if (config.settings.modes.enumerate)
    fprintf(con, numbered_format, c.entities);
  else
    fprintf(con, entities_format, c.entities, c.replaced);
  if (c.discarded) {
    fputs("WARNING: invalid objects have been discarded,\n", con);
    if (c.log_failed)
      fprintf(con, "and '%s' could not be written: no details were recorded.\n", config.settings.paths.log);
    else
      fputs("see 'korvex.log' for details.\n", con);
  }
}

void report_playable(const RunConfig& config, RunState& state) {
  FILE* err = error_stream(state.console);
  if (state.chooser) {
    const TextureChooser& c = *state.chooser;
    long by_rules = 0;
    for (long n : c.faces_by_rule) by_rules += n;
    fprintf(err,
            "Texture rules '%s': %ld faces chosen by a rule, %ld by none; %ld faces have their owner's "
            "texture; %zu source names kept\n",
            config.settings.paths.textures, by_rules, c.faces_unmatched, c.faces_owner, c.names_kept());
    for (size_t i = 0; i < c.faces_by_rule.size(); ++i) {
      if (c.faces_by_rule[i] == 0) continue;
      const TextureRule& r = config.texture_rules.rules[i];
      const std::string pattern = r.pattern + (r.tests.empty() ? "" : " " + r.tests);
      fprintf(err, "  line %-4d %-24s %-28s %8ld faces\n", r.line, pattern.c_str(), replacement_of(r),
              c.faces_by_rule[i]);
    }
  }
  for (const std::string& line : config.edits.report) fprintf(err, "-q3: %s\n", line.c_str());
  if (state.rules)
    for (const std::string& line : rules_report_lines(state.rules->report)) fprintf(err, "-q3: %s\n", line.c_str());
  if (state.trains_given_origin > 0)
    fprintf(err,
            "-q3: %d train(s) given an origin brush at the lowest corner of their brushes, where a Quake train "
            "runs on its path\n",
            state.trains_given_origin);
  if (config.translate_lights)
    for (const std::string& line : light_report_lines(state.lights)) fprintf(err, "lights: %s\n", line.c_str());
  if (state.fog_written) fprintf(err, "fog: %s\n", fog_line(*state.fog_written).c_str());
}

void fill_report(const RunConfig& config, RunState& state, int status) {
  RunReport& r = state.report;
  const Settings& s = config.settings;
  r.status = status;
  r.completed = status == 0 && s.paths.source[0] != '\0';
  r.source = s.paths.source;
  r.output = s.paths.dest;
  r.brushes = state.counts.brushes;
  r.entities = state.counts.entities;
  r.written = state.counts.replaced;
  r.left_out = state.hints.left_out;
  r.game_voted = voted_game(state.hints.votes);
  r.game = s.modes.q2 ? Game::quake2 : Game::quake;
  if (state.chooser) {
    const TextureChooser& c = *state.chooser;
    r.texture_table = s.paths.textures;
    for (size_t i = 0; i < c.faces_by_rule.size(); ++i) {
      const TextureRule& rule = config.texture_rules.rules[i];
      r.texture_rules.push_back({rule.line, rule.pattern + (rule.tests.empty() ? "" : " " + rule.tests),
                                 replacement_of(rule), c.faces_by_rule[i]});
    }
    r.faces_unmatched = c.faces_unmatched;
    r.faces_owner = c.faces_owner;
    r.names_kept = c.kept_names();
  }
  r.edits = config.edits.report;
  if (state.rules) {
    r.notes = rules_report_lines(state.rules->report);
    r.entity_rules = rules_report_json(state.rules->report);
  }
  if (config.translate_lights) {
    r.compile_switches = compile_switch_words(state.lights);
    r.lights = light_report_json(state.lights);
  }
  if (state.trains_given_origin > 0)
    r.edits.push_back(std::to_string(state.trains_given_origin) + " train(s) given an origin brush");
  if (state.fog_written) r.edits.push_back(fog_line(*state.fog_written));
}

}  // namespace conv
