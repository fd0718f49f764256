// Rewriting a block in place before it is written: the class renamed, plane
// points and origins scaled, light values scaled or supplied, every brush
// face retextured by the kind of the brush's owner. All rewrite policy of
// the converter lives here.
#ifndef KORVEX_CONVERTER_REWRITE_H
#define KORVEX_CONVERTER_REWRITE_H

#include "block.h"
#include "class_table.h"
#include "entity_graph.h"
#include "entity_rules.h"
#include "rewrite_faces.h"
#include "settings.h"
#include "status.h"
#include "texture_rules.h"

namespace conv {

// The entity rules of a run (-q3): the table's index, the map's facts from
// the first pass, and what the rules did.
struct EntityRules {
  explicit EntityRules(const RuleSet& rules) : index(rules) { report.table = rules.path; }
  RuleIndex index;
  MapFacts facts;
  RulesReport report;
};

// What -t and -q3 add to the rewriting, owned by the run. With no texture
// rules every face gets its owner's fixed texture, as in classic conversion.
struct PlayableRewrite {
  FaceRewrite faces;                   // -t: the rules' verdicts, the map's alignment form
  const GraphEdits* edits = nullptr;   // -q3: the entity graph's edits
  EntityRules* rules = nullptr;        // -q3: the entity rules
  int trains_given_origin = 0;  // -q3: trains given an origin brush
};

// Rewrites a world brush. Returns CONV_OK, CONV_NO_PAREN, CONV_TOKEN,
// CONV_BAD_COORD or CONV_LINE_TOO_LONG; on failure the lines rewritten so
// far stay rewritten (the log shows them so).
[[nodiscard]] conv_status rewrite_world_brush(Block& block, const Settings& settings,
                                              PlayableRewrite& playable);

// True when entity `number`, just read, is written at all: its class is
// listed (or the entity rules give it one) and no edit leaves it out. An
// entity left out has what its rules say of it reported; it is not edited.
[[nodiscard]] bool entity_kept(Block& block, const ClassTable& table, PlayableRewrite& playable, int number);

// Rewrites entity `number`, which entity_kept keeps; the entities the rules
// derive from it are appended to `added`, rewritten as well. Returns
// CONV_OK, CONV_TOO_MANY_LINES (no room for a key), CONV_NO_PAREN,
// CONV_TOKEN, CONV_BAD_LIGHT, CONV_BAD_COORD or CONV_LINE_TOO_LONG.
[[nodiscard]] conv_status rewrite_entity(Block& block, const ClassTable& table, const Settings& settings,
                                         PlayableRewrite& playable, int number, std::vector<kmap::Entity>& added);

}  // namespace conv

#endif
