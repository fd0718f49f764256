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
#include "kit.h"

using namespace kmap;

namespace {

constexpr const char* origin_delims = " \t\"";
constexpr int default_light = 300;

// Room for any rewritten line; what exceeds the line limit is refused.
constexpr size_t line_room = extended_limits.line_chars + 1;

std::string_view unquoted(const char* quoted) {
  const std::string_view q(quoted);
  return q.substr(1, q.size() - 2);
}

// The line of the entity's first `"target"` key, or -1.
int target_line(const LineBuffer& lines) {
  for (int i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines.view(i);
    const size_t s = line.find_first_not_of(" \t");
    if (s != std::string_view::npos && line.substr(s).starts_with("\"target\"")) return i;
  }
  return -1;
}

// The entity graph's edits of one entity (-q3).
conv_status edit_targets(LineBuffer& lines, const GraphEdits& edits, int number) {
  if (const auto found = edits.set_target.find(number); found != edits.set_target.end()) {
    char text[texture_name_chars * 4 + 16];
    BoundedText line(text, sizeof text);
    line.add("\"target\" \"").add(found->second).add("\"");
    if (!line.ok()) return CONV_LINE_TOO_LONG;
    const int at = target_line(lines);
    return at < 0 ? lines.add(line.view()) : lines.replace_tail(at, 0, line.view());
  }
  if (edits.cut_target.count(number)) {
    const int at = target_line(lines);
    if (at < 0) return CONV_OK;
    const std::string_view line = lines.view(at);
    const size_t key = line.find('"');
    // Renamed rather than removed: the map still tells what was cut.
    char text[line_room];
    BoundedText renamed(text, sizeof text);
    renamed.add("\"_cut_target\"").add(line.substr(key + 8));
    return renamed.ok() ? lines.replace_tail(at, 0, renamed.view()) : CONV_LINE_TOO_LONG;
  }
  return CONV_OK;
}

conv_status scale_origin(LineBuffer& lines, TextPos origin, const Settings& settings) {
  char scratch[word_size * 3 + 8];
  char word[word_size];
  const char* p = lines.text(origin.line) + origin.col;
  BoundedText text(scratch, sizeof scratch);
  text.add("\"");
  for (int i = 0; i < 3; ++i) {
    p = take_word(word, p, settings.limit().word_chars, origin_delims);
    if (p == nullptr) return CONV_TOKEN;
    double value;
    if (!read_number(word, &value, settings.extended())) return CONV_BAD_COORD;
    if (i > 0) text.add(" ");
    if (!add_coord(text, value, settings.factors.size, settings.extended())) return CONV_BAD_COORD;
  }
  text.add("\"");
  if (!text.ok()) return CONV_LINE_TOO_LONG;
  return lines.replace_tail(origin.line, origin.col, text.view());
}

// Rewrites the first light key of the block, or adds one.
conv_status scale_light(LineBuffer& lines, const EntityFields& fields, const Settings& settings) {
  const double factor = settings.factors.light;
  const Limits& limits = settings.limit();
  char scratch[64];
  BoundedText text(scratch, sizeof scratch);
  // The key lines are searched in order, and a line whose first word cannot
  // be taken ends the search. Only a brace line of a brush can be such a
  // line: the reader took the first word of every other.
  char word[word_size];
  const int searched = fields.light_line >= 0 ? fields.light_line : lines.size();
  for (int i = 0; i < searched; ++i) {
    const char* s = kit_skip_blanks(lines.text(i), limits.line_chars + 1);
    if (s != nullptr && (*s == '{' || *s == '}') && take_word(word, lines.text(i), limits.word_chars) == nullptr)
      return CONV_TOKEN;
  }
  if (fields.light_line >= 0) {
    const int i = fields.light_line;
    const char* line = lines.text(i);
    const char* after = take_word(word, line, limits.word_chars);
    if (after == nullptr || take_word(word, after, limits.word_chars) == nullptr) return CONV_TOKEN;
    double value;
    if (!kit_unquote(word, limits.word_chars + 1) || !read_number(word, &value, settings.extended()))
      return CONV_BAD_LIGHT;
    const double scaled = value * factor;
    text.add("\"");
    if (!add_int32(text, std::trunc(scaled < 1.0 ? 1.0 : scaled))) return CONV_BAD_LIGHT;
    text.add("\"");
    if (!text.ok()) return CONV_LINE_TOO_LONG;
    const char* value_start = kit_skip_blanks(after, limits.line_chars + 1);
    return lines.replace_tail(i, static_cast<int>(value_start - line), text.view());
  }
  // No light key: supply one, scaled but not clamped.
  text.add("\"light\" \"");
  if (!add_int32(text, std::trunc(default_light * factor))) return CONV_BAD_LIGHT;
  text.add("\"");
  return lines.add(text.view());
}

}  // namespace

conv_status rewrite_world_brush(Block& block, const Settings& settings, PlayableRewrite& playable) {
  return rewrite_brush_faces(block.lines, settings, playable.faces, KIND_WORLD, false);
}

bool entity_kept(const Block& block, const PlayableRewrite& playable, int number) {
  if (block.entity.class_slot < 0) return false;  // not in the table
  return playable.edits == nullptr || !playable.edits->omitted.count(number);
}

conv_status rewrite_entity(Block& block, const ClassTable& table, const Settings& settings,
                           PlayableRewrite& playable, int number) {
  LineBuffer& lines = block.lines;
  const EntityFields& fields = block.entity;
  const ClassSlot& slot = table.slots[static_cast<size_t>(fields.class_slot)];
  conv_status r = lines.replace_tail(fields.class_value.line, fields.class_value.col, slot.target);
  if (r == CONV_OK && settings.factors.light != 1.0 && std::strcmp(slot.source, "\"light\"") == 0)
    r = scale_light(lines, fields, settings);
  if (r == CONV_OK && playable.edits != nullptr) r = edit_targets(lines, *playable.edits, number);
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
  if (settings.factors.size != 1.0) return scale_origin(lines, fields.origin_value, settings);
  return CONV_OK;
}
