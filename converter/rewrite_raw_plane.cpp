#include "rewrite_raw_plane.h"

#include "bounded_text.h"
#include "coords.h"
#include "face.h"
#include "kit.h"

using namespace kmap;

namespace conv {
namespace {

constexpr const char* plane_delims = " \t()";
// A texture must start within this many characters after the ninth number.
constexpr int rest_search = 64;

// Room for any rewritten line; what exceeds the line limit is refused.
constexpr size_t line_room = extended_limits.line_chars + 1;

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
  if (const char* rest = kit_skip_chars(p, plane_delims, rest_search)) text.add(rest);
  return text.ok() ? CONV_OK : CONV_LINE_TOO_LONG;
}

}  // namespace

conv_status rewrite_raw_plane(LineBuffer& lines, int i, const Settings& settings, std::string_view texture,
                              char* scratch) {
  if (settings.factors.size != 1.0) {
    conv_status r = scale_plane_text(lines.text(i), settings, scratch, line_room);
    if (r == CONV_OK) r = lines.replace_tail(i, 0, scratch);
    if (r != CONV_OK) return r;
  }
  // What follows the points changes; the points stay as they now stand.
  Face face;
  if (!read_face(lines.view(i), &face, false)) return CONV_NO_PAREN;
  char tail[128];
  BoundedText retexture(tail, sizeof tail);
  retexture.add(" ").add(texture);
  return lines.replace_tail(i, static_cast<int>(face.points.size()), retexture.view());
}

}  // namespace conv
