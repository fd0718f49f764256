// What a run did, for the programs and scripts that read it rather than
// the console: korvex's --report, korvex-batch's summary, korvex-play.
#ifndef KORVEX_CONVERTER_RUN_REPORT_H
#define KORVEX_CONVERTER_RUN_REPORT_H

#include <map>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "game.h"

namespace conv {

struct DiscardedObject {
  std::string what;  // "brush" or "entity"
  int number = 0;    // as the console and the log number it
  long line = 0;     // the source line of its opening brace
  std::string reason;
};

struct TextureRuleUse {
  int line = 0;  // of the rule in its table
  std::string pattern;
  std::string replacement;
  long faces = 0;
};

struct RunReport {
  int status = 1;         // the exit status
  bool completed = false;  // the output map is in place
  std::string failure;    // the console line that says why the run failed
  std::string source, output;

  int brushes = 0;   // world brushes, discarded ones included
  int entities = 0;  // entities after the world, every one read
  int written = 0;   // entities written
  std::vector<DiscardedObject> discarded;
  std::map<std::string, long> left_out;  // classes the table does not list, by name

  std::string texture_table;  // the texture rules' file, when there are rules
  std::vector<TextureRuleUse> texture_rules;
  long faces_unmatched = 0;
  long faces_owner = 0;
  std::vector<std::string> names_kept;
  std::vector<std::string> edits;  // what -q3 changed, one line each
  std::vector<std::string> notes;  // what a Q3 game cannot do as the source did, one line each
  std::vector<std::string> compile_switches;  // the Q3 compiler's light stage switches the map's keys ask for
  nlohmann::json entity_rules;  // -q3: what the entity rules did (null without them)
  nlohmann::json lights;        // -q3 or -lights: what the light translation did (null without it)

  kmap::Game game_voted = kmap::Game::unknown;
  kmap::Game game = kmap::Game::quake;  // the game the map was converted as
  double seconds = 0;
};

}  // namespace conv

#endif
