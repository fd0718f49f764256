#include "rewrite.h"

#include <cmath>
#include <cstring>
#include <string_view>

#include "bounded_text.h"
#include "coords.h"
#include "face.h"
#include "fixed_textures.h"
#include "kit.h"

namespace {

constexpr const char* plane_delims = " \t()";
constexpr const char* origin_delims = " \t\"";
constexpr int default_light = 300;
// A texture must start within this many characters after the ninth number.
constexpr size_t rest_search = 64;

// Room for any rewritten line; what exceeds the line limit is refused.
constexpr size_t line_room = extended_limits.line_chars + 1;

// Texture of a listed class, by the kind of its source name.
std::string_view texture_of(const ClassSlot& slot) {
  std::string_view quoted(slot.source);
  return fixed_textures[kind_of(quoted.substr(1, quoted.size() - 2))];
}

// The text road, for a plane line the face model does not know: the first
// nine words are the coordinates, and the texture part begins after the
// line's last right parenthesis.
conv_status scale_plane_text(const char* line, const Settings& settings, char* out, size_t out_size) {
  BoundedText text(out, out_size);
  char word[word_size];
  const char* p = line;
  for (int i = 0; i < 9; ++i) {
    p = take_word(word, p, settings.limit().word_chars, plane_delims);
    if (p == nullptr) return CONV_TOKEN;
    double value;
    if (!read_number(word, &value, settings.extended())) return CONV_BAD_COORD;
    text.add(i % 3 == 0 ? (i == 0 ? "( " : " ) ( ") : " ");
    if (!add_coord(text, value, settings.factors.size, settings.extended())) return CONV_BAD_COORD;
  }
  text.add(" ) ");
  // The texture part is kept; with none (or none near) the rest is empty.
  if (const char* rest = kit_skip_chars(p, plane_delims, static_cast<int>(rest_search))) text.add(rest);
  return text.ok() ? CONV_OK : CONV_LINE_TOO_LONG;
}

conv_status retexture_plane_text(LineBuffer& lines, int i, const Settings& settings,
                                 std::string_view texture, char* scratch) {
  if (settings.factors.size != 1.0) {
    conv_status r = scale_plane_text(lines.text(i), settings, scratch, line_room);
    if (r == CONV_OK) r = lines.replace_tail(i, 0, scratch);
    if (r != CONV_OK) return r;
  }
  // Searched from the end, since the last parenthesis is usually near it.
  const size_t paren = lines.view(i).rfind(')');
  if (paren == std::string_view::npos) return CONV_NO_PAREN;
  char tail[128];
  BoundedText retexture(tail, sizeof tail);
  retexture.add(" ").add(texture);
  return lines.replace_tail(i, static_cast<int>(paren) + 1, retexture.view());
}

// The face road. Returns CONV_DISCARD when the face cannot take it (a
// coordinate the mode cannot read), so that the text road gives the line's
// own verdict.
conv_status retexture_face(LineBuffer& lines, int i, const Face& face, const Settings& settings,
                           std::string_view texture, char* scratch) {
  const Limits& limits = settings.limit();
  BoundedText out(scratch, line_room);
  if (settings.factors.size == 1.0) {
    out.add(face.points);
  } else {
    double values[9];
    char word[word_size];
    for (size_t k = 0; k < 9; ++k) {
      const std::string_view coord = face.coords[k];
      if (coord.size() > static_cast<size_t>(limits.word_chars)) return CONV_DISCARD;
      std::memcpy(word, coord.data(), coord.size());
      word[coord.size()] = '\0';
      if (!read_number(word, &values[k], settings.extended())) return CONV_DISCARD;
    }
    for (size_t k = 0; k < 9; ++k) {
      out.add(k % 3 == 0 ? (k == 0 ? "( " : " ) ( ") : " ");
      if (!add_coord(out, values[k], settings.factors.size, settings.extended())) return CONV_BAD_COORD;
    }
    out.add(" )");
    // The scaled points are first written before the line's own texture part,
    // which must fit the line as well.
    const size_t rest = lines.view(i).size() - face.points.size() - face.texture.sep.size();
    if (out.view().size() + 1 + rest > static_cast<size_t>(limits.line_chars)) return CONV_LINE_TOO_LONG;
    const size_t points_len = out.view().size();
    out.add(" ").add(texture);
    if (out.ok() && out.view().size() <= static_cast<size_t>(limits.line_chars))
      return lines.replace_tail(i, 0, out.view());
    // Too long with the new texture: the line keeps the scaled points before
    // its own texture part, as the log then shows it.
    BoundedText own(scratch + points_len, line_room - points_len);
    own.add(" ").add(lines.view(i).substr(lines.view(i).size() - rest));
    (void)lines.replace_tail(i, 0, std::string_view(scratch, points_len + own.view().size()));
    return CONV_LINE_TOO_LONG;
  }
  out.add(" ").add(texture);
  if (!out.ok()) return CONV_LINE_TOO_LONG;
  return lines.replace_tail(i, 0, out.view());
}

conv_status retexture_brushes(LineBuffer& lines, const Settings& settings, std::string_view texture) {
  char buffer[line_room];
  for (int n = 0; n < lines.brush_count(); ++n) {
    const BrushRange b = lines.brush(n);
    for (int i = b.first; i <= b.last; ++i) {
      Face face;
      conv_status r = CONV_DISCARD;
      if (parse_face(lines.view(i), &face) && face.rest_gap < rest_search)
        r = retexture_face(lines, i, face, settings, texture, buffer);
      if (r == CONV_DISCARD) r = retexture_plane_text(lines, i, settings, texture, buffer);
      if (r != CONV_OK) return r;
    }
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
  // Lines are searched in order; one whose first word cannot be taken ends
  // the search.
  if (fields.unworded_line >= 0 && (fields.light_line < 0 || fields.unworded_line < fields.light_line))
    return CONV_TOKEN;
  if (fields.light_line >= 0) {
    const int i = fields.light_line;
    char word[word_size];
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

conv_status rewrite_world_brush(Block& block, const Settings& settings) {
  return retexture_brushes(block.lines, settings, fixed_textures[KIND_WORLD]);
}

conv_status rewrite_entity(Block& block, const ClassTable& table, const Settings& settings) {
  LineBuffer& lines = block.lines;
  const EntityFields& fields = block.entity;
  const ClassSlot& slot = table.slots[static_cast<size_t>(fields.class_slot)];
  conv_status r = lines.replace_tail(fields.class_value.line, fields.class_value.col, slot.target);
  if (r == CONV_OK && settings.factors.light != 1.0 && std::strcmp(slot.source, "\"light\"") == 0)
    r = scale_light(lines, fields, settings);
  if (r != CONV_OK) return r;
  if (lines.brush_count() > 0) return retexture_brushes(lines, settings, texture_of(slot));
  if (settings.factors.size != 1.0) return scale_origin(lines, fields.origin_value, settings);
  return CONV_OK;
}
