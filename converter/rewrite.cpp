// Rewriting a block in place before it is written: plane points and origins
// scaled, light values scaled or supplied, every brush face retextured by the
// kind of the brush's owner.
//
// Classic mode rounds scaled coordinates down to integers. Extended mode
// writes them as the shortest decimal that reads back to the same double, so
// off-grid vertices keep their place. Light values are integers in both.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "bounded_text.h"
#include "kit.h"
#include "state.h"

namespace {

constexpr std::array<const char*, KIND_TRIGGER + 1> textures{
    "base_floor/concrete 0 0 0 0.5 0.5 0 0 0",           // the world
    "base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0",  // func_plat
    "base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0",  // func_door
    "common/trigger -4 0 0 0.5 0.5 0 0 0",               // trigger_ classes
};
static_assert(textures.size() == KIND_TRIGGER + 1);

constexpr const char* plane_delims = " \t()";
constexpr const char* origin_delims = " \t\"";
constexpr int default_light = 300;
// A texture must start within this many characters after the ninth number.
constexpr int rest_search = 64;

// Listed classes of no particular kind (func_wall, func_button, ...) get
// the world's texture.
const char* texture_of(int kind) {
  return textures[static_cast<size_t>(kind < 0 ? KIND_WORLD : kind)];
}

char word[word_size];
char scratch[extended_limits.line_chars + 1];

// Writes a whole value as a signed 32-bit integer; false when it is outside
// that range (or not a number), so that nothing undefined is computed.
bool add_int32(BoundedText& out, double whole) {
  if (!(whole >= std::numeric_limits<int32_t>::min() && whole <= std::numeric_limits<int32_t>::max()))
    return false;
  out.add(static_cast<long long>(whole));
  return true;
}

// Writes value * size_scale as a coordinate, rounded down in classic mode.
// False when it has no value to write.
bool add_coord(BoundedText& out, double value) {
  const double scaled = value * size_scale;
  if (!extended_mode) return add_int32(out, std::floor(scaled));
  if (!std::isfinite(scaled)) return false;
  // Most scaled points are whole numbers, which print faster as integers.
  if (std::fabs(scaled) < 1e15 && scaled == std::trunc(scaled)) {
    out.add(static_cast<long long>(scaled));  // also writes -0 as 0
    return true;
  }
  char digits[400];  // the longest fixed-notation double is 309 digits and a sign
  const auto end = std::to_chars(digits, digits + sizeof digits, scaled, std::chars_format::fixed).ptr;
  out.add(std::string_view(digits, static_cast<size_t>(end - digits)));
  return true;
}

// A whole number of up to 15 digits is exact as a double: the common case
// of map coordinates, read without the general reader.
bool read_small_integer(const char* text, double* value) {
  const bool negative = text[0] == '-';
  const char* p = text + (negative || text[0] == '+');
  long long n = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
    if (digits == 15) return false;
    n = n * 10 + (*p - '0');
  }
  if (*p != '\0' || digits == 0) return false;
  *value = negative ? -static_cast<double>(n) : static_cast<double>(n);
  return true;
}


}  // namespace

int read_number(const char* text, double* value) {
  if (!extended_mode) return kit_str_to_real(text, value);
  if (read_small_integer(text, value)) return 1;
  // Any number of digits and exponent digits, correctly rounded; a leading
  // '+' as the classic reader allows. Infinity and NaN are no coordinates,
  // and the decimal-only format leaves hexadecimal out.
  const char* first = text + (text[0] == '+' && text[1] != '-');
  const char* last = first + std::strlen(first);
  double result = 0;
  const auto [end, error] = std::from_chars(first, last, result, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(result)) return 0;
  *value = result;
  return 1;
}

int scale_plane(const char* line, char* out, int out_size) {
  BoundedText text(out, static_cast<size_t>(out_size));
  const char* p = line;
  for (int i = 0; i < 9; ++i) {
    p = take_word(word, p, plane_delims);
    if (p == nullptr) return CONV_TOKEN;
    double value;
    if (!read_number(word, &value)) return CONV_BAD_COORD;
    text.add(i % 3 == 0 ? (i == 0 ? "( " : " ) ( ") : " ");
    if (!add_coord(text, value)) return CONV_BAD_COORD;
  }
  text.add(" ) ");
  // The texture part is kept; with none (or none near) the rest is empty.
  if (const char* rest = kit_skip_chars(p, plane_delims, rest_search)) text.add(rest);
  return text.ok() ? CONV_OK : CONV_LINE_TOO_LONG;
}

int rewrite_brushes() {
  const char* texture = texture_of(classes[static_cast<size_t>(cur_class)].kind);
  char tail[128];
  BoundedText retexture(tail, sizeof tail);
  retexture.add(" ").add(texture);
  for (int n = 0; n < brush_count(); ++n) {
    const BrushRange b = brush_at(n);
    for (int i = b.first; i <= b.last; ++i) {
      if (size_scale != 1.0) {
        int r = scale_plane(line_text(i), scratch, static_cast<int>(sizeof scratch));
        if (r == CONV_OK) r = replace_line_tail(i, 0, scratch);
        if (r != CONV_OK) return r;
      }
      // The texture follows the line's last right parenthesis; searched from
      // the end, since it is usually near it.
      const size_t paren = std::string_view(line_text(i), static_cast<size_t>(line_length(i))).rfind(')');
      if (paren == std::string_view::npos) return CONV_NO_PAREN;
      const int r = replace_line_tail(i, static_cast<int>(paren) + 1, retexture.view());
      if (r != CONV_OK) return r;
    }
  }
  return CONV_OK;
}

int scale_origin() {
  const char* p = line_text(origin_value.line) + origin_value.col;
  BoundedText text(scratch, sizeof scratch);
  text.add("\"");
  for (int i = 0; i < 3; ++i) {
    p = take_word(word, p, origin_delims);
    if (p == nullptr) return CONV_TOKEN;
    double value;
    if (!read_number(word, &value)) return CONV_BAD_COORD;
    if (i > 0) text.add(" ");
    if (!add_coord(text, value)) return CONV_BAD_COORD;
  }
  text.add("\"");
  if (!text.ok()) return CONV_LINE_TOO_LONG;
  return replace_line_tail(origin_value.line, origin_value.col, text.view());
}

int scale_light() {
  BoundedText text(scratch, sizeof scratch);
  for (int i = 0; i < block_size(); ++i) {
    const char* line = line_text(i);
    const char* after = take_word(word, line);
    if (after == nullptr) return CONV_TOKEN;
    if (std::strcmp(word, "\"light\"") != 0) continue;
    if (take_word(word, after) == nullptr) return CONV_TOKEN;
    double value;
    if (!kit_unquote(word, limits->word_chars + 1) || !read_number(word, &value))
      return CONV_BAD_LIGHT;
    const double scaled = value * light_scale;
    text.add("\"");
    if (!add_int32(text, std::trunc(scaled < 1.0 ? 1.0 : scaled))) return CONV_BAD_LIGHT;
    text.add("\"");
    if (!text.ok()) return CONV_LINE_TOO_LONG;
    const char* value_start = kit_skip_blanks(after, limits->line_chars + 1);
    return replace_line_tail(i, static_cast<int>(value_start - line), text.view());
  }
  // No light key: supply one, scaled but not clamped.
  text.add("\"light\" \"");
  if (!add_int32(text, std::trunc(default_light * light_scale))) return CONV_BAD_LIGHT;
  text.add("\"");
  return add_line(text.view());
}
