#include "face.h"

#include <charconv>

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool ends_coord(char c) { return is_blank(c) || c == '(' || c == ')'; }

// A cursor over the line; every take either succeeds and moves on, or fails
// and leaves the cursor where it was.
struct Cursor {
  std::string_view line;
  size_t pos = 0;

  size_t blanks_end() const {
    size_t p = pos;
    while (p < line.size() && is_blank(line[p])) ++p;
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
    while (p < line.size() && !ends_coord(line[p])) ++p;
    if (p == first) return false;
    *text = line.substr(first, p - first);
    pos = p;
    return true;
  }
  // The next blank-separated word with the blanks before it.
  bool take_part(FacePart* part) {
    const size_t first = blanks_end();
    size_t p = first;
    while (p < line.size() && !is_blank(line[p])) ++p;
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

// Takes `count` parts that match the pattern: '[' and ']' stand for
// themselves, 'n' for a number, 'i' for an integer.
bool take_pattern(Cursor& c, std::string_view pattern, FacePart* parts) {
  Cursor trial = c;
  for (size_t i = 0; i < pattern.size(); ++i) {
    FacePart part;
    if (!trial.take_part(&part)) return false;
    const char want = pattern[i];
    const bool ok = want == 'n'   ? is_number_text(part.text)
                    : want == 'i' ? is_integer_text(part.text)
                                  : part.text.size() == 1 && part.text[0] == want;
    if (!ok) return false;
    parts[i] = part;
  }
  c = trial;
  return true;
}

}  // namespace

bool is_number_text(std::string_view text) {
  if (text.empty()) return false;
  const char* first = text.data() + (text[0] == '+' && text.size() > 1 && text[1] != '-');
  const char* last = text.data() + text.size();
  double value;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  return error == std::errc() && end == last;
}

bool parse_face(std::string_view line, Face* face) {
  Face f;
  Cursor c{line};
  size_t ninth_end = 0;
  for (int p = 0; p < 3; ++p) {
    if (!c.take_char('(')) return false;
    for (int i = 0; i < 3; ++i) {
      if (!c.take_coord(&f.coords[static_cast<size_t>(p * 3 + i)])) return false;
    }
    ninth_end = c.pos;
    if (!c.take_char(')')) return false;
  }
  f.points = line.substr(0, c.pos);
  // Nothing after the points may hold a right parenthesis: the texture part
  // of a face begins after the line's last one.
  if (line.find(')', c.pos) != std::string_view::npos) return false;
  if (!c.take_part(&f.texture) || f.texture.text[0] == '(') return false;
  f.rest_gap = static_cast<size_t>(f.texture.text.data() - line.data()) - ninth_end;

  using namespace align_at;
  if (take_pattern(c, "[nnnn][nnnn]nnn", f.align.data())) {
    f.form = AlignForm::VALVE220;
    f.align_count = valve_count;
  } else if (take_pattern(c, "nnnnn", f.align.data())) {
    f.form = AlignForm::STANDARD;
    f.align_count = std_count;
  }
  if (f.form != AlignForm::NONE) f.has_flags = take_pattern(c, "iii", f.flags.data());
  const size_t rest = c.blanks_end();
  f.tail = {line.substr(c.pos, rest - c.pos), line.substr(rest)};
  *face = f;
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
