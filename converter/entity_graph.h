// The entity graph of a map written to be played (-q3): the keys that tie
// entities together, read in a first pass over the source, and the edits
// that keep a Q3 game from hanging on them.
//
// - A func_train whose corner chain would not come back to its first corner
//   (a corner that targets itself, a loop back to a later corner, a last
//   corner without a target) is closed at its first corner: Q3's train set-up
//   walks the chain until it meets the first corner again.
// - A cycle of target_relay entities, which would recurse forever when
//   fired, is broken at the relay that closes it.
// - Editor layers marked to be left out of the compiled level, with every
//   entity and group in them, are left out.
#ifndef KORVEX_CONVERTER_ENTITY_GRAPH_H
#define KORVEX_CONVERTER_ENTITY_GRAPH_H

#include <cstdio>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "block.h"
#include "read_blocks.h"
#include "text_input.h"
#include "class_table.h"
#include "settings.h"
#include "status.h"

namespace conv {

struct GraphEdits {
  std::unordered_set<int> omitted;                  // entity numbers left out
  std::unordered_map<int, std::string> set_target;  // entity number -> its new target
  std::unordered_set<int> cut_target;               // entity numbers whose target is cut
  std::vector<std::string> report;                  // one line per change
  int trains_closed = 0;
  int relays_cut = 0;
  int layers_omitted = 0;

  [[nodiscard]] bool empty() const { return omitted.empty() && set_target.empty() && cut_target.empty(); }
};

// The key lines of one entity that the graph needs.
struct EntityKeys {
  int number = 0;
  int class_slot = class_none;
  std::string target_class;  // the classname written, without quotes; empty when left out
  std::string targetname, target;
  std::string tb_type, tb_id, tb_layer, tb_group, tb_omit;
};

// Reads the source's entities as the conversion will and returns the keys
// of those that take part in the graph: those with a targetname, a target
// or an editor layer or group (the world and damaged blocks left out). Reads to the end of the source or
// to the first block the reader rejects; block and input are left in an
// unspecified state.
// Called with each entity the pass reads (number counted from 1, as the
// conversion numbers it), damaged ones left out; its brushes are there
// when `keep_brushes` asked for them.
using EntitySeen = std::function<void(const kmap::Entity&, int number)>;

// With `scan`, the brushes the Q3 compiler takes as the world (the world's
// and those of entities written as func_group) are counted in it too.
[[nodiscard]] std::vector<EntityKeys> read_entity_keys(kmap::SourceInput& input, FILE* source, Block& block,
                                                       const ClassTable& table, const Settings& settings,
                                                       StructureScan* scan = nullptr, const EntitySeen& seen = {},
                                                       const std::function<bool(const kmap::Entity&)>& keep_brushes = {});

// The edits the entities need.
[[nodiscard]] GraphEdits plan_graph_edits(std::vector<EntityKeys> entities);

}  // namespace conv

#endif
