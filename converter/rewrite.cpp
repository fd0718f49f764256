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

using namespace kmap;

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

}  // namespace

conv_status rewrite_world_brush(Block& block, const Settings& settings, PlayableRewrite& playable) {
  return rewrite_brush_faces(block.entity.lines, settings, playable.faces, KIND_WORLD, false);
}

bool entity_kept(const Block& block, const PlayableRewrite& playable, int number) {
  if (block.fields.class_slot < 0) return false;  // not in the table
  return playable.edits == nullptr || !playable.edits->omitted.count(number);
}

conv_status rewrite_entity(Block& block, const ClassTable& table, const Settings& settings,
                           PlayableRewrite& playable, int number) {
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
