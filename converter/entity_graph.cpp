#include "entity_graph.h"

#include <string_view>

#include "key_line.h"
#include "read_blocks.h"

using namespace kmap;

namespace conv {
namespace {

void take_keys(const Entity& entity, EntityKeys& e) {
  for (int k = 0; k < entity.key_count(); ++k) {
    // Only keys that start "t or "_t tie entities together: the others are
    // passed by without being read.
    const std::string_view text = entity.lines.view(entity.key_line(k));
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text.size() < first + 3 || text[first] != '"' ||
        (text[first + 1] != 't' && !(text[first + 1] == '_' && text[first + 2] == 't')))
      continue;
    const KeyLine line = read_key_line(text);
    if (!line.quoted_key || !line.value_closed) continue;
    const std::string_view key = line.key, value = line.value;
    std::string* field = key == "targetname"                    ? &e.targetname
                         : key == "target"                      ? &e.target
                         : key == "_tb_type"                    ? &e.tb_type
                         : key == "_tb_id"                      ? &e.tb_id
                         : key == "_tb_layer"                   ? &e.tb_layer
                         : key == "_tb_group"                   ? &e.tb_group
                         : key == "_tb_layer_omit_from_export" ? &e.tb_omit
                                                                : nullptr;
    // Of a repeated key the last wins, as in the game's spawn code.
    if (field != nullptr) field->assign(value);
  }
}

// The first written path_corner of a targetname, as the game finds it.
EntityKeys* corner_named(std::vector<EntityKeys>& all, const std::string& name) {
  for (EntityKeys& e : all)
    if (e.target_class == "path_corner" && e.targetname == name) return &e;
  return nullptr;
}

void close_trains(std::vector<EntityKeys>& all, GraphEdits& edits) {
  for (EntityKeys& train : all) {
    if (train.target_class != "func_train" || train.target.empty()) continue;
    EntityKeys* const first = corner_named(all, train.target);
    if (first == nullptr) continue;  // the game reports a train without a path
    std::vector<const EntityKeys*> seen{first};
    EntityKeys* at = first;
    for (;;) {
      EntityKeys* next = at->target.empty() ? nullptr : corner_named(all, at->target);
      if (next == first) break;
      bool loops = false;
      for (const EntityKeys* s : seen) loops = loops || s == next;
      if (next != nullptr && !loops) {
        seen.push_back(next);
        at = next;
        continue;
      }
      std::string why = next == nullptr ? (at->target.empty() ? "has no target" : "targets no corner ('" + at->target + "')")
                                        : (next == at ? "targets itself" : "loops back to '" + next->targetname + "'");
      EntityKeys& last = *at;
      last.target = first->targetname;
      edits.set_target[last.number] = first->targetname;
      ++edits.trains_closed;
      edits.report.push_back("train of entity " + std::to_string(train.number) + ": corner '" + last.targetname +
                             "' (entity " + std::to_string(last.number) + ") " + why +
                             "; it now targets the first corner '" + first->targetname + "'");
      break;
    }
  }
}

void cut_relay_cycles(std::vector<EntityKeys>& all, GraphEdits& edits) {
  std::vector<EntityKeys*> relays;
  for (EntityKeys& e : all)
    if (e.target_class == "target_relay") relays.push_back(&e);
  enum Mark { NEW, ON_PATH, DONE };
  std::unordered_map<const EntityKeys*, Mark> mark;
  // Depth first, without recursion: a chain of relays may be long.
  for (EntityKeys* start : relays) {
    if (mark[start] != NEW) continue;
    struct Frame {
      EntityKeys* relay;
      size_t next;  // the next relay to look at
    };
    std::vector<Frame> path{{start, 0}};
    mark[start] = ON_PATH;
    while (!path.empty()) {
      Frame& top = path.back();
      EntityKeys* from = top.relay;
      if (top.next == relays.size() || from->target.empty()) {
        mark[from] = DONE;
        path.pop_back();
        continue;
      }
      EntityKeys* to = relays[top.next++];
      if (to->targetname != from->target) continue;
      if (mark[to] == ON_PATH) {
        edits.cut_target.insert(from->number);
        ++edits.relays_cut;
        edits.report.push_back("relay entity " + std::to_string(from->number) + " targets '" + from->target +
                               "', which fires it again; its target is cut");
        from->target.clear();
      } else if (mark[to] == NEW) {
        mark[to] = ON_PATH;
        path.push_back({to, 0});
      }
    }
  }
}

void omit_layers(const std::vector<EntityKeys>& all, GraphEdits& edits) {
  std::unordered_set<std::string> layers, groups;
  for (const EntityKeys& e : all)
    if (e.tb_type == "_tb_layer" && e.tb_omit == "1" && !e.tb_id.empty()) {
      layers.insert(e.tb_id);
      edits.omitted.insert(e.number);
      ++edits.layers_omitted;
    }
  if (layers.empty()) return;
  // Groups nest: a group is in the layer when its parent is.
  for (bool grew = true; grew;) {
    grew = false;
    for (const EntityKeys& e : all)
      if (e.tb_type == "_tb_group" && !e.tb_id.empty() && !groups.count(e.tb_id) &&
          (layers.count(e.tb_layer) || groups.count(e.tb_group))) {
        groups.insert(e.tb_id);
        grew = true;
      }
  }
  int left_out = 0;
  for (const EntityKeys& e : all)
    if (layers.count(e.tb_layer) || groups.count(e.tb_group)) {
      left_out += edits.omitted.insert(e.number).second;
    }
  edits.report.push_back(std::to_string(layers.size()) + " editor layer(s) marked to be left out of the level: " +
                         std::to_string(left_out + static_cast<int>(layers.size())) + " entities left out");
}

}  // namespace

std::vector<EntityKeys> read_entity_keys(SourceInput& input, FILE* source, Block& block,
                                         const ClassTable& table, const Settings& settings, StructureScan* scan,
                                         const EntitySeen& seen,
                                         const std::function<bool(const Entity&)>& keep_brushes) {
  std::vector<EntityKeys> entities;
  start_reading(input, source, block, settings);
  if (!find_worldspawn(input, block)) return entities;
  if (skip_world(input, block, settings, scan) != CONV_END) return entities;
  KeysPass keys;
  keys.scan = scan;
  keys.keep_brushes = keep_brushes;
  for (int n = 1;; ++n) {
    const ReadOutcome r = read_entity(input, block, table, settings, &keys);
    if (r.status == CONV_END || (r.status != CONV_OK && r.status != CONV_DISCARD)) return entities;
    // An editor's layer or group header takes part even without brushes.
    if (r.status == CONV_DISCARD && r.cause != ReadCause::editor_header) continue;
    EntityKeys e;
    e.number = n;
    e.class_slot = block.fields.class_slot;
    if (e.class_slot >= 0) {
      std::string_view quoted(table.slots[static_cast<size_t>(e.class_slot)].target);
      e.target_class = quoted.substr(1, quoted.size() - 2);
      // A group's brushes are the world's to the compiler; a detail class
      // written as a group is detail whatever its faces say.
      if (scan != nullptr && r.status == CONV_OK && e.target_class == "func_group") {
        const std::string_view source_class(table.slots[static_cast<size_t>(e.class_slot)].source);
        if (source_class.starts_with("\"func_detail")) {
          scan->detail += scan->entity_structural + scan->entity_detail;
        } else {
          scan->structural += scan->entity_structural;
          scan->detail += scan->entity_detail;
        }
      }
    }
    if (seen && r.status == CONV_OK) seen(block.entity, n);
    take_keys(block.entity, e);
    // An entity with none of these keys is no part of the graph; keeping
    // only the others keeps the pass small on maps of many lights.
    if (e.targetname.empty() && e.target.empty() && e.tb_type.empty() && e.tb_layer.empty() &&
        e.tb_group.empty())
      continue;
    entities.push_back(std::move(e));
  }
}

GraphEdits plan_graph_edits(std::vector<EntityKeys> entities) {
  GraphEdits edits;
  omit_layers(entities, edits);
  // What is left out plays no part in the graph.
  for (EntityKeys& e : entities)
    if (edits.omitted.count(e.number)) e.target_class.clear();
  close_trains(entities, edits);
  cut_relay_cycles(entities, edits);
  return edits;
}

}  // namespace conv
