#include "face.h"

#include <string.h>

#include <array>


namespace {

// Character classes of the plane-line scanner, looked up rather than
// compared: the scan runs over every face of the map.
enum : uint8_t { OTHER = 0, BLANK = 1, PAREN = 2 };
constexpr std::array<uint8_t, 256> char_class = [] {
  std::array<uint8_t, 256> table{};
  table[' '] = table['\t'] = BLANK;
  table['('] = table[')'] = PAREN;
  return table;
}();
inline uint8_t class_of(char c) { return char_class[static_cast<unsigned char>(c)]; }

// A cursor over the line; every take either succeeds and moves on, or fails
// and leaves the cursor where it was.
struct Cursor {
  std::string_view line;
  size_t pos = 0;

  size_t blanks_end() const {
    size_t p = pos;
    while (p < line.size() && class_of(line[p]) == BLANK) ++p;
    return p;
  }
  bool take_char(char c) {
    const size_t p = blanks_end();
    if (p >= line.size() || line[p] != c) return false;
    pos = p + 1;
    return true;
  }
  bool take_coord(std::string_view* text) {
    const size_t first = blanks_end();
    size_t p = first;
    while (p < line.size() && class_of(line[p]) == OTHER) ++p;
    if (p == first) return false;
    *text = line.substr(first, p - first);
    pos = p;
    return true;
  }
  // The next blank-separated word with the blanks before it.
  bool take_part(FacePart* part) {
    const size_t first = blanks_end();
    size_t p = first;
    while (p < line.size() && class_of(line[p]) != BLANK) ++p;
    if (p == first) return false;
    *part = {line.substr(pos, first - pos), line.substr(first, p - first)};
    pos = p;
    return true;
  }
};

bool is_integer_text(std::string_view text) {
  size_t i = text[0] == '-' || text[0] == '+';
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

// Takes parts that match the pattern, one part a character: '[' and ']'
// stand for themselves, 'n' for a number, 'i' for an integer. On a mismatch
// the cursor stays where it was (parts may be written).
bool take_pattern(Cursor& c, std::string_view pattern, FacePart* parts) {
  const std::string_view line = c.line;
  const size_t n = line.size();
  size_t pos = c.pos;
  for (const char want : pattern) {
    size_t first = pos;
    while (first < n && class_of(line[first]) == BLANK) ++first;
    size_t end = first;
    while (end < n && class_of(line[end]) != BLANK) ++end;
    if (end == first) return false;
    const std::string_view text = line.substr(first, end - first);
    const bool ok = want == 'n'   ? is_number_text(text)
                    : want == 'i' ? is_integer_text(text)
                                  : text.size() == 1 && text[0] == want;
    if (!ok) return false;
    *parts++ = {line.substr(pos, first - pos), text};
    pos = end;
  }
  c.pos = pos;
  return true;
}

}  // namespace

namespace {

// The alignment and flags after the texture (when `alignment`), and the
// tail; the cursor stands behind the texture.
void take_alignment(Cursor& c, Face& f, bool alignment) {
  using namespace align_at;
  f.form = AlignForm::NONE;
  f.align_count = 0;
  f.has_flags = false;
  const size_t next = c.blanks_end();
  const bool bracket = next < c.line.size() && c.line[next] == '[';
  if (!alignment) {
  } else if (bracket && take_pattern(c, "[nnnn][nnnn]nnn", f.align.data())) {
    f.form = AlignForm::VALVE220;
    f.align_count = valve_count;
  } else if (!bracket && take_pattern(c, "nnnnn", f.align.data())) {
    f.form = AlignForm::STANDARD;
    f.align_count = std_count;
  }
  if (f.form != AlignForm::NONE) f.has_flags = take_pattern(c, "iii", f.flags.data());
  const size_t rest = c.blanks_end();
  f.tail = {c.line.substr(c.pos, rest - c.pos), c.line.substr(rest)};
}

}  // namespace

bool is_number_text(std::string_view text) {
  if (text.size() == 1) return text[0] >= '0' && text[0] <= '9';
  // [+-] digits [. digits] [e [+-] digits], with a digit before or after the point.
  size_t i = 0;
  const size_t n = text.size();
  auto digits = [&] {
    const size_t first = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
    return i > first;
  };
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool mantissa = digits();
  if (i < n && text[i] == '.') {
    ++i;
    mantissa = digits() || mantissa;
  }
  if (!mantissa) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == n;
}

bool parse_face(std::string_view line, Face* face, bool alignment) {
  std::array<std::string_view, 9> coords;
  Cursor c{line};
  size_t ninth_end = 0;
  for (size_t p = 0; p < 3; ++p) {
    if (!c.take_char('(')) return false;
    for (size_t i = 0; i < 3; ++i) {
      if (!c.take_coord(&coords[p * 3 + i])) return false;
    }
    ninth_end = c.pos;
    if (!c.take_char(')')) return false;
  }
  const size_t points_end = c.pos;
  // Nothing after the points may hold a right parenthesis: the texture part
  // of a face begins after the line's last one.
  if (line.find(')', points_end) != std::string_view::npos) return false;
  FacePart texture;
  if (!c.take_part(&texture) || texture.text[0] == '(') return false;

  // From here on the line is a face: the parts go straight to *face.
  Face& f = *face;
  f.points = line.substr(0, points_end);
  f.coords = coords;
  f.texture = texture;
  f.rest_gap = static_cast<size_t>(texture.text.data() - line.data()) - ninth_end;
  take_alignment(c, f, alignment);
  return true;
}

bool split_face(std::string_view line, Face* face, bool alignment) {
  // Searched from the end, where the points' last parenthesis is near.
  const void* found = memrchr(line.data(), ')', line.size());
  if (found == nullptr) return false;
  const size_t paren = static_cast<size_t>(static_cast<const char*>(found) - line.data());
  Face& f = *face;
  f.points = line.substr(0, paren + 1);
  f.rest_gap = 0;
  Cursor c{line, paren + 1};
  if (!c.take_part(&f.texture)) f.texture = {line.substr(c.pos), {}};
  take_alignment(c, f, alignment && !f.texture.text.empty());
  return true;
}

bool format_face(const Face& face, BoundedText& out) {
  auto add = [&out](const FacePart& part) { out.add(part.sep).add(part.text); };
  out.add(face.points);
  add(face.texture);
  for (int i = 0; i < face.align_count; ++i) add(face.align[static_cast<size_t>(i)]);
  if (face.has_flags)
    for (const FacePart& part : face.flags) add(part);
  add(face.tail);
  return out.ok();
}
