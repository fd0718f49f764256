#include "rewrite.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "bounded_text.h"
#include "coords.h"
#include "face.h"
#include "texture_axes.h"
#include "train_origin.h"
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

constexpr uint32_t detail_bit = 134217728;

std::string_view unquoted(const char* quoted) {
  const std::string_view q(quoted);
  return q.substr(1, q.size() - 2);
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

conv_status retexture_plane_text(LineBuffer& lines, int i, const Settings& settings, std::string_view texture,
                                 Face& face, char* scratch) {
  if (settings.factors.size != 1.0) {
    conv_status r = scale_plane_text(lines.text(i), settings, scratch, line_room);
    if (r == CONV_OK) r = lines.replace_tail(i, 0, scratch);
    if (r != CONV_OK) return r;
  }
  // What follows the points changes; the points stay as they now stand.
  if (!split_face(lines.view(i), &face)) return CONV_NO_PAREN;
  char tail[128];
  BoundedText retexture(tail, sizeof tail);
  retexture.add(" ").add(texture);
  return lines.replace_tail(i, static_cast<int>(face.points.size()), retexture.view());
}

// The values of a face's nine coordinates, read as the mode reads numbers.
// False for a coordinate too long for a word or not a number.
bool read_points(const Face& face, const Settings& settings, std::array<double, 9>& points) {
  char word[word_size];
  for (size_t k = 0; k < 9; ++k) {
    const std::string_view coord = face.coords[k];
    if (coord.size() > static_cast<size_t>(settings.limit().word_chars)) return false;
    std::memcpy(word, coord.data(), coord.size());
    word[coord.size()] = '\0';
    if (!read_number(word, &points[k], settings.extended())) return false;
  }
  return true;
}

// Writes the points scaled by the size factor: "( x y z ) ( x y z ) ( x y z )".
// False when a coordinate has no value to write.
bool add_points(BoundedText& out, const std::array<double, 9>& points, const Settings& settings) {
  for (size_t k = 0; k < 9; ++k) {
    out.add(k % 3 == 0 ? (k == 0 ? "( " : " ) ( ") : " ");
    if (!add_coord(out, points[k], settings.factors.size, settings.extended())) return false;
  }
  out.add(" )");
  return true;
}

// The face road. Returns CONV_DISCARD when the face cannot take it (a
// coordinate the mode cannot read), so that the text road gives the line's
// own verdict.
conv_status retexture_face(LineBuffer& lines, int i, const Face& face, const Settings& settings,
                           std::string_view texture, char* scratch) {
  const Limits& limits = settings.limit();
  BoundedText out(scratch, line_room);
  std::array<double, 9> points;
  if (!read_points(face, settings, points)) return CONV_DISCARD;
  if (!add_points(out, points, settings)) return CONV_BAD_COORD;
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

// The parts of a fixed texture: its name and the five alignment numbers.
struct FixedTexture {
  std::string_view name;
  std::array<std::string_view, 5> align;
};

FixedTexture split_fixed(std::string_view fixed) {
  FixedTexture f;
  size_t at = fixed.find(' ');
  f.name = fixed.substr(0, at);
  for (std::string_view& part : f.align) {
    const size_t from = at + 1;
    at = fixed.find(' ', from);
    part = fixed.substr(from, at - from);
  }
  return f;
}

double number_of(std::string_view text) {
  double value = 0;
  const char* first = text.data() + (!text.empty() && text[0] == '+');
  (void)std::from_chars(first, text.data() + text.size(), value);
  return value;
}

uint32_t flags_of(std::string_view text) {
  long long value = 0;
  const char* first = text.data() + (!text.empty() && text[0] == '+');
  (void)std::from_chars(first, text.data() + text.size(), value);
  return static_cast<uint32_t>(value);
}

void add_axis(BoundedText& out, const Vec3& axis, std::string_view offset) {
  out.add(" [");
  for (double c : axis) {
    out.add(" ");
    (void)add_real(out, c);
  }
  out.add(" ").add(offset).add(" ]");
}

// A face retextured by the rules, its alignment kept (-t). Returns
// CONV_DISCARD for a line the face model cannot read, which then takes the
// text road with its owner's texture.
conv_status retexture_face_by_rules(LineBuffer& lines, int i, const Settings& settings, PlayableRewrite& p,
                                    owner_kind kind, bool detail, Face& face, char* scratch) {
  const Limits& limits = settings.limit();
  const std::string_view line = lines.view(i);
  if (!split_face(line, &face, true) || face.texture.text.empty()) return CONV_DISCARD;
  if (!p.form_known) {
    p.form_known = true;
    p.valve = face.form == AlignForm::VALVE220;
  }
  const bool q2_flags = p.q2 && face.has_flags;
  const uint32_t contents = q2_flags ? flags_of(face.flags[0].text) : 0;
  const uint32_t surface = q2_flags ? flags_of(face.flags[1].text) : 0;
  std::string_view name;
  if (kind != KIND_TRIGGER) name = p.textures->choose(face.texture.text, contents, surface).name;

  // The points are read only where they change, or where a plane gives a
  // face its texture axes.
  std::array<double, 9> points{};
  const bool axes_from_plane = p.valve && (name.empty() || face.form != AlignForm::VALVE220);
  if ((settings.factors.size != 1.0 || axes_from_plane) &&
      (!parse_face(line, &face) || !read_points(face, settings, points)))
    return CONV_DISCARD;

  const double g = settings.factors.size;
  // At factor 1 the points stay as they are in the line, and only what
  // follows them is written anew.
  const size_t kept = g == 1.0 ? face.points.size() : 0;
  BoundedText out(scratch, line_room);
  if (g != 1.0 && !add_points(out, points, settings)) return CONV_BAD_COORD;
  // A scale follows the size factor, so the texture stays where it was on
  // the geometry; a scale the factor leaves alone keeps its text.
  auto add_scale = [&](std::string_view text) {
    out.add(" ");
    if (g == 1.0 || !add_real(out, number_of(text) * g)) out.add(text);
  };
  using namespace align_at;
  auto part = [&face](int k) { return face.align[static_cast<size_t>(k)].text; };
  const bool same_form = face.form == (p.valve ? AlignForm::VALVE220 : AlignForm::STANDARD);
  if (!name.empty() && g == 1.0 && same_form) {
    // The alignment as it stands, in one piece.
    const FacePart& first = face.align[0];
    const FacePart& last = face.align[static_cast<size_t>(face.align_count - 1)];
    out.add(" ").add(name).add(std::string_view(first.sep.data(), static_cast<size_t>(
                                                     last.text.data() + last.text.size() - first.sep.data())));
  } else if (name.empty()) {
    // The owner's fixed texture, with its own alignment.
    const FixedTexture fixed = split_fixed(fixed_textures[kind]);
    out.add(" ").add(fixed.name);
    if (p.valve) {
      const TextureAxes axes = standard_axes(points, 0);
      add_axis(out, axes.u, fixed.align[0]);
      add_axis(out, axes.v, fixed.align[1]);
      out.add(" ").add(fixed.align[2]).add(" ").add(fixed.align[3]).add(" ").add(fixed.align[4]);
    } else {
      for (std::string_view a : fixed.align) out.add(" ").add(a);
    }
  } else if (face.form == AlignForm::VALVE220) {
    out.add(" ").add(name);
    if (p.valve) {
      for (int k = 0; k < valve_xscale; ++k) out.add(" ").add(part(k));
    } else {  // the offsets and rotation are all the standard form can hold
      out.add(" ").add(part(u_off)).add(" ").add(part(v_off)).add(" ").add(part(valve_rot));
    }
    add_scale(part(valve_xscale));
    add_scale(part(valve_yscale));
  } else {
    const bool aligned = face.form == AlignForm::STANDARD;
    const std::string_view xoff = aligned ? part(std_xoff) : "0", yoff = aligned ? part(std_yoff) : "0";
    const std::string_view rot = aligned ? part(std_rot) : "0";
    out.add(" ").add(name);
    if (p.valve) {
      const TextureAxes axes = standard_axes(points, number_of(rot));
      add_axis(out, axes.u, xoff);
      add_axis(out, axes.v, yoff);
      out.add(" ").add(rot);
    } else {
      out.add(" ").add(xoff).add(" ").add(yoff).add(" ").add(rot);
    }
    add_scale(aligned ? part(std_xscale) : "1");
    add_scale(aligned ? part(std_yscale) : "1");
  }
  // Of the contents a Q3 compiler reads the detail bit alone.
  out.add(" ").add(static_cast<long long>((contents & detail_bit) | (detail ? detail_bit : 0)));
  if (q2_flags) {
    out.add(" ").add(face.flags[1].text).add(" ").add(face.flags[2].text);
  } else {
    out.add(" 0 0");
  }
  if (!out.ok() || kept + out.view().size() > static_cast<size_t>(limits.line_chars)) return CONV_LINE_TOO_LONG;
  return lines.replace_tail(i, static_cast<int>(kept), out.view());
}

conv_status retexture_brushes(LineBuffer& lines, const Settings& settings, PlayableRewrite& playable,
                              owner_kind kind, bool detail) {
  const std::string_view texture = fixed_textures[kind];
  char buffer[line_room];
  const bool scaled = settings.factors.size != 1.0;
  Face face;
  for (int n = 0; n < lines.brush_count(); ++n) {
    const BrushRange b = lines.brush(n);
    for (int i = b.first; i <= b.last; ++i) {
      // Unscaled points stay as written, which the text road does at no cost.
      conv_status r = CONV_DISCARD;
      if (playable.textures != nullptr) {
        r = retexture_face_by_rules(lines, i, settings, playable, kind, detail, face, buffer);
      } else if (scaled && parse_face(lines.view(i), &face, false) && face.rest_gap < rest_search) {
        r = retexture_face(lines, i, face, settings, texture, buffer);
      }
      if (r == CONV_DISCARD) r = retexture_plane_text(lines, i, settings, texture, face, buffer);
      if (r != CONV_OK) return r;
    }
  }
  return CONV_OK;
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
  return retexture_brushes(block.lines, settings, playable, KIND_WORLD, false);
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
    r = retexture_brushes(lines, settings, playable, kind, detail);
    if (r != CONV_OK || playable.edits == nullptr || unquoted(slot.target) != "func_train") return r;
    const int before = lines.brush_count();
    r = add_train_origin(lines, playable.valve);
    playable.trains_given_origin += lines.brush_count() > before;
    return r;
  }
  if (settings.factors.size != 1.0) return scale_origin(lines, fields.origin_value, settings);
  return CONV_OK;
}
