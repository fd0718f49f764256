// The run: the command line, the output name, the replacement table and
// the scale factors, then the world pass and the entity pass over the
// source, and the summary. The only module of the converter that prints.
#ifndef KORVEX_DRIVER_H
#define KORVEX_DRIVER_H

#include <memory>
#include <string>
#include <vector>

#include "blocks.h"
#include "entity_graph.h"
#include "hints.h"
#include "rewrite.h"
#include "texture_rules.h"
#include "class_table.h"
#include "debug.h"
#include "line_buffer.h"
#include "output.h"
#include "settings.h"

struct RunCounts {
  int brushes = 0;    // world brushes, discarded ones included
  int entities = 0;   // entities after the world
  int replaced = 0;   // entities written
  bool discarded = false;  // an invalid brush or entity has been dropped
  bool log_failed = false;  // a discarded object's record could not be written
};

// Everything one run owns. A run resets it first, so one context serves any
// number of runs, one after another.
struct RunContext {
  Settings settings;
  ClassTable classes;
  Block block;
  kmap::SourceInput input;
  OutputFile output;
  kit_log_state log;
  RunCounts counts;

  // What the new options bring (-t, -k, -q3).
  TextureRules texture_rules;
  std::unique_ptr<TextureChooser> chooser;
  GraphEdits edits;
  PlayableRewrite playable;
  std::vector<std::string> world_keys;  // read and not yet written
  bool mapversion_written = false;

  // Advice for standard error, written once per run.
  RunHints hints;
  bool hints_written = false;
};

// Runs the program on a command line with ctx; returns the exit status (0
// or 1). Uses no state outside ctx but the files it names, the console and,
// while the output's temporary file exists, the SIGINT and SIGTERM actions.
[[nodiscard]] int korvex_run(RunContext& ctx, int argc, char** argv);

// The same with a context of its own.
[[nodiscard]] int korvex_run(int argc, char** argv);

#endif
