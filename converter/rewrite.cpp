#include "rewrite.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "bounded_text.h"
#include "coords.h"
#include "fixed_textures.h"
#include "rewrite_faces.h"
#include "train_origin.h"
#include "key_line.h"
#include "kit.h"
#include "nonsolid_faces.h"

using namespace kmap;

namespace conv {
namespace {

constexpr const char* origin_delims = " \t\"";
constexpr int default_light = 300;

std::string_view unquoted(const char* quoted) {
  const std::string_view q(quoted);
  return q.substr(1, q.size() - 2);
}

// The entity's first "target" key, or -1.
int first_target(const Entity& entity) {
  for (int k = 0; k < entity.key_count(); ++k)
    if (entity.key(k).first_word.starts_with("\"target\"")) return k;
  return -1;
}

// The entity graph's edits of one entity (-q3).
conv_status edit_targets(Entity& entity, const GraphEdits& edits, int number) {
  if (const auto found = edits.set_target.find(number); found != edits.set_target.end()) {
    const int k = first_target(entity);
    return k < 0 ? entity.add("target", found->second) : entity.set_value(k, found->second);
  }
  // Renamed rather than removed: the map still tells what was cut.
  if (edits.cut_target.count(number)) return entity.rename("target", "_cut_target");
  return CONV_OK;
}

conv_status scale_origin(Entity& entity, int origin_key, const Settings& settings) {
  char scratch[word_size * 3 + 8];
  char word[word_size];
  const KeyLine key = entity.key(origin_key);
  const std::string value_text(key.second_word.data(),
                               entity.lines.view(entity.key_line(origin_key)).end() - key.second_word.begin());
  const char* p = value_text.c_str();
  BoundedText text(scratch, sizeof scratch);
  for (int i = 0; i < 3; ++i) {
    p = take_word(word, p, settings.limit().word_chars, origin_delims);
    if (p == nullptr) return CONV_TOKEN;
    double value;
    if (!read_number(word, &value, settings.extended())) return CONV_BAD_COORD;
    if (i > 0) text.add(" ");
    if (!add_coord(text, value, settings.factors.size, settings.extended())) return CONV_BAD_COORD;
  }
  if (!text.ok()) return CONV_LINE_TOO_LONG;
  return entity.set_value(origin_key, text.view());
}

// Rewrites the first light key of the block, or adds one.
conv_status scale_light(Entity& entity, const EntityFields& fields, const Settings& settings) {
  const LineBuffer& lines = entity.lines;
  const double factor = settings.factors.light;
  const Limits& limits = settings.limit();
  char scratch[64];
  BoundedText text(scratch, sizeof scratch);
  // The key lines are searched in order, and a line whose first word cannot
  // be taken ends the search. Only a brace line of a brush can be such a
  // line: the reader took the first word of every other.
  char word[word_size];
  const int light_line = fields.light_key >= 0 ? entity.key_line(fields.light_key) : -1;
  const int searched = light_line >= 0 ? light_line : lines.size();
  for (int i = 0; i < searched; ++i) {
    const char* s = kit_skip_blanks(lines.text(i), limits.line_chars + 1);
    if (s != nullptr && (*s == '{' || *s == '}') && take_word(word, lines.text(i), limits.word_chars) == nullptr)
      return CONV_TOKEN;
  }
  if (light_line >= 0) {
    const KeyLine key = entity.key(fields.light_key);
    if (key.second_word.empty() || key.second_word.size() > static_cast<size_t>(limits.word_chars)) return CONV_TOKEN;
    std::memcpy(word, key.second_word.data(), key.second_word.size());
    word[key.second_word.size()] = '\0';
    double value;
    if (!kit_unquote(word, limits.word_chars + 1) || !read_number(word, &value, settings.extended()))
      return CONV_BAD_LIGHT;
    const double scaled = value * factor;
    if (!add_int32(text, std::trunc(scaled < 1.0 ? 1.0 : scaled))) return CONV_BAD_LIGHT;
    if (!text.ok()) return CONV_LINE_TOO_LONG;
    return entity.set_value(fields.light_key, text.view());
  }
  // No light key: supply one, scaled but not clamped.
  if (!add_int32(text, std::trunc(default_light * factor))) return CONV_BAD_LIGHT;
  return entity.add("light", text.view());
}

// The class the class table gives the block's entity, or empty.
std::string_view table_class_of(const Block& block, const ClassTable& table) {
  if (block.fields.class_slot < 0) return {};
  return unquoted(table.slots[static_cast<size_t>(block.fields.class_slot)].target);
}

// The keys the classic rewrite edits, found again after the rules edited
// the entity: the last classname and origin, the first light.
void find_fields(const Entity& entity, EntityFields& fields) {
  fields.class_key = fields.origin_key = fields.light_key = -1;
  for (int k = 0; k < entity.key_count(); ++k) {
    const std::string_view word = entity.key(k).first_word;
    if (word == "\"classname\"") fields.class_key = k;
    if (word == "\"origin\"") fields.origin_key = k;
    if (fields.light_key < 0 && word == "\"light\"") fields.light_key = k;
  }
}

// The faces, origin and origin brush of an entity whose keys are final.
conv_status rewrite_geometry(Entity& entity, const EntityFields& fields, const Settings& settings,
                             PlayableRewrite& playable, std::string_view owner_class, const FaceTreatment& faces) {
  LineBuffer& lines = entity.lines;
  if (lines.brush_count() == 0) {
    if (settings.factors.size == 1.0 || fields.origin_key < 0) return CONV_OK;
    return scale_origin(entity, fields.origin_key, settings);
  }
  conv_status r = rewrite_brush_faces(lines, settings, playable.faces, kind_of(owner_class), faces.detail);
  if (r == CONV_OK) r = write_nonsolid_faces(lines, faces.solidity);
  if (r != CONV_OK || entity.classname() != "func_train") return r;
  const int before = lines.brush_count();
  r = add_train_origin(lines, playable.faces.valve);
  playable.trains_given_origin += lines.brush_count() > before;
  return r;
}

// An entity under the entity rules (-q3): its class, keys and flags as the
// rules say, then the classic edits on what they made of it.
conv_status rewrite_by_rules(Block& block, const ClassTable& table, const Settings& settings,
                             PlayableRewrite& playable, int number, std::vector<Entity>& added) {
  EntityRules& rules = *playable.rules;
  Entity& entity = block.entity;
  EntityFields& fields = block.fields;
  const std::string source_class(entity.classname());
  const std::string table_class(table_class_of(block, table));
  EntityVerdict verdict;
  conv_status r = apply_entity_rules(rules.index, rules.facts, number, table_class, entity, verdict, rules.report);
  if (r != CONV_OK) return r;
  find_fields(entity, fields);
  if (settings.factors.light != 1.0 && entity.classname() == "light") r = scale_light(entity, fields, settings);
  if (r == CONV_OK && playable.edits != nullptr) r = edit_targets(entity, *playable.edits, number);
  if (r != CONV_OK) return r;
  // Detail brushes grouped into the world stay detail for the compiler.
  FaceTreatment faces = verdict.faces;
  faces.detail = faces.detail || (source_class.starts_with("func_detail") && table_class == "func_group");
  r = rewrite_geometry(entity, fields, settings, playable, source_class, faces);
  for (Entity& derived : verdict.added) {
    if (r != CONV_OK) break;
    EntityFields derived_fields;
    find_fields(derived, derived_fields);
    const std::string derived_class(derived.classname());
    r = rewrite_geometry(derived, derived_fields, settings, playable, derived_class, FaceTreatment{});
    added.push_back(std::move(derived));
  }
  return r;
}

}  // namespace

conv_status rewrite_world_brush(Block& block, const Settings& settings, PlayableRewrite& playable) {
  return rewrite_brush_faces(block.entity.lines, settings, playable.faces, KIND_WORLD, false);
}

bool entity_kept(Block& block, const ClassTable& table, PlayableRewrite& playable, int number) {
  if (playable.edits != nullptr && playable.edits->omitted.count(number)) return false;
  if (playable.rules == nullptr) return block.fields.class_slot >= 0;  // in the table
  EntityRules& rules = *playable.rules;
  const std::string_view listed = table_class_of(block, table);
  if (!rules_class(rules.index, block.entity, listed).empty()) return true;
  // Left out: what it meant is said all the same.
  EntityVerdict verdict;
  (void)apply_entity_rules(rules.index, rules.facts, number, "", block.entity, verdict, rules.report);
  return false;
}

conv_status rewrite_entity(Block& block, const ClassTable& table, const Settings& settings,
                           PlayableRewrite& playable, int number, std::vector<Entity>& added) {
  if (playable.rules != nullptr) {
    block.entity.index_keys();  // the rules look its keys up many times
    return rewrite_by_rules(block, table, settings, playable, number, added);
  }
  Entity& entity = block.entity;
  LineBuffer& lines = entity.lines;
  const EntityFields& fields = block.fields;
  const ClassSlot& slot = table.slots[static_cast<size_t>(fields.class_slot)];
  conv_status r = entity.set_value(fields.class_key, unquoted(slot.target));
  if (r == CONV_OK && settings.factors.light != 1.0 && std::strcmp(slot.source, "\"light\"") == 0)
    r = scale_light(entity, fields, settings);
  if (r == CONV_OK && playable.edits != nullptr) r = edit_targets(entity, *playable.edits, number);
  if (r != CONV_OK) return r;
  if (lines.brush_count() > 0) {
    const owner_kind kind = kind_of(unquoted(slot.source));
    // Detail brushes grouped into the world stay detail for the compiler.
    const bool detail = unquoted(slot.source).starts_with("func_detail") && unquoted(slot.target) == "func_group";
    r = rewrite_brush_faces(lines, settings, playable.faces, kind, detail);
    if (r != CONV_OK || playable.edits == nullptr || unquoted(slot.target) != "func_train") return r;
    const int before = lines.brush_count();
    r = add_train_origin(lines, playable.faces.valve);
    playable.trains_given_origin += lines.brush_count() > before;
    return r;
  }
  if (settings.factors.size != 1.0) return scale_origin(entity, fields.origin_key, settings);
  return CONV_OK;
}

}  // namespace conv
