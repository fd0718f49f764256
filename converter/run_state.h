// One run's configuration, fixed before its first block is read, and its
// state, made fresh for each run.
#ifndef KORVEX_CONVERTER_RUN_STATE_H
#define KORVEX_CONVERTER_RUN_STATE_H

#include <cstdarg>
#include <memory>

#include "block.h"
#include "class_table.h"
#include "entity.h"
#include "entity_graph.h"
#include "hints.h"
#include "light_pass.h"
#include "world_fog.h"
#include "run_files.h"
#include "program_texts.h"
#include "run_log.h"
#include "rewrite.h"
#include "run_report.h"
#include "settings.h"
#include "text_input.h"
#include "texture_rules.h"
#include "texture_sources.h"

namespace conv {

struct RunConfig {
  Settings settings;
  ClassTable classes;
  bool has_texture_rules = false;  // -t (and -q3)
  TextureRules texture_rules;
  GraphEdits edits;  // -q3: what the entity graph needs
  bool valve = false;  // with texture rules: the map's faces are written in the Valve 220 form
  std::unique_ptr<texpack::TextureLibrary> wal;  // -wal: the Quake 2 textures' flags
  bool drop_detail = false;  // -nodetail, or -q3 found no structural brush in the world
  bool has_rules = false;    // -q3: the entity rules
  RuleSet rules;
  bool translate_lights = false;  // -q3 or -lights: lights made the Q3 compiler's
};

struct RunCounts {
  int brushes = 0;          // world brushes, discarded ones included
  int entities = 0;         // entities after the world
  int replaced = 0;         // entities written
  bool discarded = false;   // an invalid brush or entity has been dropped
  bool log_failed = false;  // a discarded object's record could not be written
};

struct RunState {
  RunState(const Console& run_console, RunFiles& run_files, RunReport& run_report)
      : console(run_console), files(run_files), log(run_files, kmap::log_name), report(run_report) {}

  const Console& console;
  RunFiles& files;
  RunLog log;
  RunReport& report;

  kmap::SourceInput input;
  Block block;
  kmap::Entity world_keys;  // the world's key lines read and not yet written (-k)
  bool mapversion_written = false;
  std::unique_ptr<TextureChooser> chooser;  // the texture rules' verdicts so far
  int trains_given_origin = 0;
  std::unique_ptr<EntityRules> rules;  // -q3: the rules' index, the map's facts, what they did
  std::vector<kmap::Entity> added;     // the entities the rules made of the one written last
  LightRun lights;                     // -q3 or -lights: what the light translation needs and did
  WorldFog fog;                        // -fog: the world's fog and bounds
  std::optional<std::string> fog_written;  // the fog volume's texture, once written
  RunCounts counts;
  RunHints hints;
  bool hints_written = false;
};

// The console's error stream, standard output flushed first, so that what
// goes to each keeps its order where both meet (2>&1).
[[nodiscard]] inline FILE* error_stream(const Console& console) {
  fflush(console.out);
  return console.err;
}

// Prints a console line that ends the run, and keeps it as the run's
// failure for its report.
void print_failure(RunState& state, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Says on standard error why the file at path could not be used, in the
// system's words (errno as the failing call left it): "korvex: PATH: WHY".
void explain_file_error(RunState& state, const char* path, int error);

}  // namespace conv

#endif
