#include "rewrite_faces.h"

#include <array>
#include <cstring>
#include <string_view>

#include "bounded_text.h"
#include "brush_geometry.h"
#include "coords.h"
#include "face.h"
#include "rewrite_raw_plane.h"

using namespace kmap;

namespace conv {
namespace {

// A texture the classic scaled road writes must start within this many
// characters after the ninth number; a farther one takes the raw road.
constexpr size_t rest_search = 64;

// Room for any rewritten line; what exceeds the line limit is refused.
constexpr size_t line_room = extended_limits.line_chars + 1;

uint32_t flags_of(std::string_view text) {
  long long value = 0;
  const char* first = text.data() + (!text.empty() && text[0] == '+');
  (void)std::from_chars(first, text.data() + text.size(), value);
  return static_cast<uint32_t>(value);
}

// A fixed texture's name, alignment and flags, as written.
struct FixedTexture {
  std::string_view name;
  Alignment alignment;
  std::array<FaceNumber, 3> flags;
};

FixedTexture fixed_texture(owner_kind kind) {
  const std::string_view text = fixed_textures[kind];
  std::array<std::string_view, 9> words;
  size_t at = 0;
  for (std::string_view& word : words) {
    const size_t end = text.find(' ', at);
    word = text.substr(at, end - at);
    at = end + 1;
  }
  FixedTexture f;
  f.name = words[0];
  f.alignment.u_off = {words[1]};
  f.alignment.v_off = {words[2]};
  f.alignment.rot = {words[3]};
  f.alignment.xscale = {words[4]};
  f.alignment.yscale = {words[5]};
  f.flags = {FaceNumber{words[6]}, FaceNumber{words[7]}, FaceNumber{words[8]}};
  return f;
}

// The values of nine coordinates, read as the mode reads numbers. False
// for a coordinate too long for a word or not a number.
bool read_points(const std::array<std::string_view, 9>& coords, const Settings& settings,
                 std::array<double, 9>& points) {
  char word[word_size];
  for (size_t k = 0; k < 9; ++k) {
    const std::string_view coord = coords[k];
    if (coord.size() > static_cast<size_t>(settings.limit().word_chars)) return false;
    std::memcpy(word, coord.data(), coord.size());
    word[coord.size()] = '\0';
    if (!read_number(word, &points[k], settings.extended())) return false;
  }
  return true;
}

// True, with the coordinate texts, when the face reads as the model's
// strict form: points of three times three coordinates, then a texture.
bool strict(const Face& face, std::array<std::string_view, 9>& coords, size_t* ninth_end) {
  return !face.texture.text.empty() && face.texture.text[0] != '(' && face_coords(face, coords, ninth_end);
}

// Writes the face over line i; false when the model cannot (the raw road's
// turn). Points stay as they stand at factor 1.
conv_status store(LineBuffer& lines, int i, const Face& face, bool points_kept, char* scratch) {
  BoundedText out(scratch, line_room);
  const FormatResult r = format_face(face, out, points_kept);
  if (r == FormatResult::bad_number) return CONV_BAD_COORD;
  const size_t kept = points_kept ? face.points.size() : 0;
  if (r == FormatResult::too_long || kept + out.view().size() > static_cast<size_t>(lines.limits().line_chars))
    return CONV_LINE_TOO_LONG;
  return lines.replace_tail(i, static_cast<int>(kept), out.view());
}

// The classic road, scaled: new points and the owner's texture. A line too
// long with the new texture keeps its scaled points before its own texture
// part, as the log then shows it.
conv_status scale_fixed(LineBuffer& lines, int i, Face& face, const std::array<double, 9>& points,
                        const Settings& settings, owner_kind kind, char* scratch) {
  const size_t line_chars = static_cast<size_t>(settings.limit().line_chars);
  set_points(face, points, settings.factors.size, settings.extended());
  BoundedText out(scratch, line_room);
  if (format_points(face, out) == FormatResult::bad_number) return CONV_BAD_COORD;
  const size_t points_len = out.view().size();
  const size_t own_rest = lines.view(i).size() - face.points.size() - face.texture.sep.size();
  if (points_len + 1 + own_rest > line_chars) return CONV_LINE_TOO_LONG;
  set_written_texture(face, fixed_textures[kind]);
  if (format_face(face, out, true) == FormatResult::ok && out.view().size() <= line_chars)
    return lines.replace_tail(i, 0, out.view());
  set_written_texture(face, {});
  set_texture(face, face.texture.text);
  BoundedText with_own(scratch, line_room);
  if (format_face(face, with_own) == FormatResult::ok) (void)lines.replace_tail(i, 0, with_own.view());
  return CONV_LINE_TOO_LONG;
}

// A face without texture rules: the owner's fixed texture.
conv_status retexture_fixed(LineBuffer& lines, int i, const Settings& settings, owner_kind kind, Face& face,
                            char* scratch) {
  if (!read_face(lines.view(i), &face, false))
    return rewrite_raw_plane(lines, i, settings, fixed_textures[kind], scratch);
  if (settings.factors.size == 1.0) {
    set_written_texture(face, fixed_textures[kind]);
    return store(lines, i, face, true, scratch);
  }
  size_t ninth_end = 0;
  std::array<std::string_view, 9> coords;
  std::array<double, 9> points;
  if (!strict(face, coords, &ninth_end) ||
      static_cast<size_t>(face.texture.text.data() - lines.view(i).data()) - ninth_end >= rest_search ||
      !read_points(coords, settings, points))
    return rewrite_raw_plane(lines, i, settings, fixed_textures[kind], scratch);
  return scale_fixed(lines, i, face, points, settings, kind, scratch);
}

// A Quake 2 face's contents, surface flags and value: its own, or those of
// its texture's .wal when it gives none.
struct FaceFlags {
  bool known = false;
  uint32_t contents = 0, surface = 0;
  FaceNumber surface_text, value_text;
};

FaceFlags flags_of_face(const FaceRewrite& rw, const Face& face) {
  FaceFlags f;
  if (!rw.q2) return f;
  if (face.has_flags) {
    f = {true, flags_of(face.flags[0].text), flags_of(face.flags[1].text), FaceNumber{face.flags[1].text},
         FaceNumber{face.flags[2].text}};
  } else if (rw.wal != nullptr) {
    const texpack::SourceTexture* t = rw.wal->find(face.texture.text);
    if (t != nullptr && t->wal)
      f = {true, t->wal->contents, t->wal->flags, FaceNumber{{}, static_cast<double>(t->wal->flags)},
           FaceNumber{{}, static_cast<double>(t->wal->value)}};
  }
  return f;
}

// A face retextured by the rules, its alignment kept in the map's form.
conv_status retexture_by_rules(LineBuffer& lines, int i, const Settings& settings, FaceRewrite& rw, owner_kind kind,
                               bool detail, const FixedTexture& fixed, Face& face, char* scratch) {
  if (!read_face(lines.view(i), &face, true) || face.texture.text.empty())
    return rewrite_raw_plane(lines, i, settings, fixed_textures[kind], scratch);
  const FaceFlags flags = flags_of_face(rw, face);
  std::string_view name;
  if (kind != KIND_TRIGGER) name = rw.textures->choose(face.texture.text, flags.contents, flags.surface).name;

  // The points are read only where they change, or where a plane gives a
  // face its texture axes.
  const double g = settings.factors.size;
  const AlignForm form = rw.valve ? AlignForm::valve220 : AlignForm::standard;
  std::array<std::string_view, 9> coords;
  std::array<double, 9> points{};
  const bool axes_from_plane = rw.valve && (name.empty() || face.form != AlignForm::valve220);
  if ((g != 1.0 || axes_from_plane) && (!strict(face, coords, nullptr) || !read_points(coords, settings, points)))
    return rewrite_raw_plane(lines, i, settings, fixed_textures[kind], scratch);
  if (g != 1.0) set_points(face, points, g, settings.extended());

  if (name.empty()) {
    set_texture(face, fixed.name);
    set_alignment(face, converted(fixed.alignment, form, points));
  } else {
    set_texture(face, name);
    // An alignment in the map's form at factor 1 stays as it stands.
    if (g != 1.0 || face.form != form) {
      // A scale follows the size factor, so the texture stays where it was
      // on the geometry.
      Alignment a = alignment_of(face);
      a.xscale = scaled(a.xscale, g);
      a.yscale = scaled(a.yscale, g);
      set_alignment(face, converted(a, form, points));
    }
  }
  // Of the contents a Q3 compiler reads the detail bit alone.
  const uint32_t written_contents = rw.drop_detail ? 0 : (flags.contents & detail_contents) | (detail ? detail_contents : 0);
  if (flags.known)
    set_flags(face, {FaceNumber{{}, static_cast<double>(written_contents)}, flags.surface_text, flags.value_text});
  else
    set_flags_text(face, written_contents == 0 ? "0 0 0" : "134217728 0 0");
  drop_tail(face);
  return store(lines, i, face, g == 1.0, scratch);
}

}  // namespace

conv_status rewrite_brush_faces(LineBuffer& lines, const Settings& settings, FaceRewrite& rewrite, owner_kind kind,
                                bool detail) {
  const FixedTexture fixed = rewrite.textures != nullptr ? fixed_texture(kind) : FixedTexture{};
  char scratch[line_room];
  Face face;
  for (int n = 0; n < lines.brush_count(); ++n) {
    const BrushRange b = lines.brush(n);
    for (int i = b.first; i <= b.last; ++i) {
      const conv_status r = rewrite.textures != nullptr
                                ? retexture_by_rules(lines, i, settings, rewrite, kind, detail, fixed, face, scratch)
                                : retexture_fixed(lines, i, settings, kind, face, scratch);
      if (r != CONV_OK) return r;
    }
  }
  return CONV_OK;
}

bool face_is_detail(const FaceRewrite& rewrite, std::string_view line) {
  Face face;
  if (!read_face(line, &face, true) || face.texture.text.empty()) return false;
  return (flags_of_face(rewrite, face).contents & detail_contents) != 0;
}

}  // namespace conv
