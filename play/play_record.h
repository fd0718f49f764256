// What a korvex-play run did, map by map and for its pack: what the
// summary prints and the --report file holds.
#ifndef KORVEX_PLAY_PLAY_RECORD_H
#define KORVEX_PLAY_PLAY_RECORD_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "compiler.h"
#include "convert_map.h"
#include "game.h"
#include "light_match.h"
#include "map_list.h"
#include "pack_plan.h"
#include "report.h"

namespace play {

struct StageRecord {
  Stage stage = Stage::bsp;
  std::vector<std::string> command;
  ChildOutcome outcome;
  StageLog log;
  double seconds = 0;
};

// The map's light held against the author's own compiled level.
struct LightLevel {
  std::string original;                  // where the level was found; "" : none among the sources
  std::optional<LightMatch> match;       // none: the two could not be compared (`note` says why)
  std::vector<std::string> switches;     // the light stage's for the same light by hand; the lightmaps were scaled by it.
                                         // Empty when they were not
  std::string note;
};

struct MapRecord {
  MapEntry entry;
  kmap::Game game = kmap::Game::quake;  // converted as
  std::string long_name;
  std::vector<std::string> types;  // the arena's game types
  Conversion conversion;
  bool converted = false;  // the converted map is in the work folder
  std::vector<StageRecord> stages;
  std::vector<std::string> warnings;  // the compiler's, and a leak
  bool compiled = false;              // maps/NAME.bsp was made
  bool levelshot = false;
  LightLevel light_level;
  std::string failure;  // why the map is not in the pack; "" when it is
  double seconds = 0;
};

struct PlayRecord {
  std::string input;
  std::string destination;
  std::string compiler;  // "" : none found or --no-compile
  std::string no_compiler_reason;
  CompilerPaths paths;  // home is the work folder's, gone after the run
  std::vector<MapRecord> maps;
  texpack::RunFacts textures;
  texpack::PackPlan plan;
  size_t files = 0;  // in the pack, once written
  uintmax_t bytes = 0;
  std::vector<std::string> hand_commands;  // the compile commands, when nothing was compiled
  int status = 1;
  std::string failure;  // why the run failed as a whole; "" when it did not
  bool interrupted = false;
  double seconds = 0;
};

}  // namespace play

#endif
