#include "face.h"

#include <string.h>

#include <array>
#include <charconv>
#include <cmath>

#include "coords.h"

namespace kmap {


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
  f.form = AlignForm::none;
  f.align_count = 0;
  f.has_flags = false;
  const size_t next = c.blanks_end();
  const bool bracket = next < c.line.size() && c.line[next] == '[';
  if (!alignment) {
  } else if (bracket && take_pattern(c, "[nnnn][nnnn]nnn", f.align.data())) {
    f.form = AlignForm::valve220;
    f.align_count = valve_count;
  } else if (!bracket && take_pattern(c, "nnnnn", f.align.data())) {
    f.form = AlignForm::standard;
    f.align_count = std_count;
  }
  if (f.form != AlignForm::none) f.has_flags = take_pattern(c, "iii", f.flags.data());
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


bool read_face(std::string_view line, Face* face, bool alignment) {
  // Searched from the end, where the points' last parenthesis is near.
  const void* found = memrchr(line.data(), ')', line.size());
  if (found == nullptr) return false;
  const size_t paren = static_cast<size_t>(static_cast<const char*>(found) - line.data());
  Face& f = *face;
  f.points = line.substr(0, paren + 1);
  f.edits = Face::Edits{};
  Cursor c{line, paren + 1};
  if (!c.take_part(&f.texture)) f.texture = {line.substr(c.pos), {}};
  take_alignment(c, f, alignment && !f.texture.text.empty());
  return true;
}

bool face_coords(const Face& face, std::array<std::string_view, 9>& coords, size_t* ninth_end) {
  std::array<std::string_view, 9> read;
  Cursor c{face.points};
  size_t ninth = 0;
  for (size_t p = 0; p < 3; ++p) {
    if (!c.take_char('(')) return false;
    for (size_t i = 0; i < 3; ++i)
      if (!c.take_coord(&read[p * 3 + i])) return false;
    ninth = c.pos;
    if (!c.take_char(')')) return false;
  }
  // The points end at the line's last parenthesis: the third must be it.
  if (c.pos != face.points.size()) return false;
  coords = read;
  if (ninth_end != nullptr) *ninth_end = ninth;
  return true;
}

bool parse_face(std::string_view line, Face* face, bool alignment) {
  Face f;
  if (!read_face(line, &f, alignment) || f.texture.text.empty() || f.texture.text[0] == '(' ||
      !face_coords(f, f.coords, nullptr))
    return false;
  *face = f;
  return true;
}

Alignment alignment_of(const Face& face) {
  using namespace align_at;
  Alignment a;
  auto part = [&face](int k) { return FaceNumber{face.align[static_cast<size_t>(k)].text}; };
  switch (face.form) {
    case AlignForm::valve220:
      a.form = AlignForm::valve220;
      for (size_t i = 0; i < 3; ++i) {
        a.u_axis[i] = part(u_first + static_cast<int>(i));
        a.v_axis[i] = part(v_first + static_cast<int>(i));
      }
      a.u_off = part(u_off);
      a.v_off = part(v_off);
      a.rot = part(valve_rot);
      a.xscale = part(valve_xscale);
      a.yscale = part(valve_yscale);
      break;
    case AlignForm::standard:
      a.u_off = part(std_xoff);
      a.v_off = part(std_yoff);
      a.rot = part(std_rot);
      a.xscale = part(std_xscale);
      a.yscale = part(std_yscale);
      break;
    case AlignForm::none:
      a.u_off = a.v_off = a.rot = {"0"};
      a.xscale = a.yscale = {"1"};
      break;
  }
  return a;
}

double number_value(const FaceNumber& number) {
  if (number.text.empty()) return number.value;
  double value = 0;
  const std::string_view t = number.text;
  const char* first = t.data() + (t[0] == '+');
  (void)std::from_chars(first, t.data() + t.size(), value);
  return value;
}

FaceNumber scaled(const FaceNumber& number, double factor) {
  if (factor == 1.0) return number;
  const double value = number_value(number) * factor;
  return std::isfinite(value) ? FaceNumber{{}, value} : number;
}

Alignment converted(const Alignment& alignment, AlignForm form, const std::array<double, 9>& points) {
  Alignment a = alignment;
  a.form = form;
  if (form == AlignForm::valve220 && alignment.form != AlignForm::valve220) {
    const TextureAxes axes = standard_axes(points, number_value(alignment.rot));
    for (size_t i = 0; i < 3; ++i) {
      a.u_axis[i] = {{}, axes.u[i]};
      a.v_axis[i] = {{}, axes.v[i]};
    }
  }
  return a;
}

void set_texture(Face& face, std::string_view name) {
  face.texture.text = name;
  face.edits.texture = true;
}

void set_written_texture(Face& face, std::string_view text) { face.edits.written = text; }

void set_points(Face& face, const std::array<double, 9>& values, double factor, bool extended) {
  face.edits.points = true;
  face.point_values = values;
  face.point_factor = factor;
  face.extended_points = extended;
}

void set_alignment(Face& face, const Alignment& alignment) {
  face.edits.alignment = true;
  face.written_alignment = alignment;
}

void set_flags(Face& face, const std::array<FaceNumber, 3>& flags) {
  face.edits.flags = true;
  face.written_flags = flags;
}

void set_flags_text(Face& face, std::string_view text) {
  face.edits.flags = true;
  face.edits.flags_text = text;
}

void drop_tail(Face& face) { face.edits.tail = false; }

namespace {

void add_number(BoundedText& out, const FaceNumber& n) {
  out.add(" ");
  if (!n.text.empty() || !add_real(out, n.value)) out.add(n.text);
}

void add_alignment(BoundedText& out, const Alignment& a) {
  if (a.form == AlignForm::valve220) {
    for (const auto* axis : {&a.u_axis, &a.v_axis}) {
      out.add(" [");
      for (const FaceNumber& c : *axis) add_number(out, c);
      add_number(out, axis == &a.u_axis ? a.u_off : a.v_off);
      out.add(" ]");
    }
  } else {
    add_number(out, a.u_off);
    add_number(out, a.v_off);
  }
  add_number(out, a.rot);
  add_number(out, a.xscale);
  add_number(out, a.yscale);
}

}  // namespace

FormatResult format_points(const Face& face, BoundedText& out) {
  if (!face.edits.points) {
    out.add(face.points);
  } else {
    for (size_t k = 0; k < 9; ++k) {
      out.add(k % 3 == 0 ? (k == 0 ? "( " : " ) ( ") : " ");
      if (!add_coord(out, face.point_values[k], face.point_factor, face.extended_points))
        return FormatResult::bad_number;
    }
    out.add(" )");
  }
  return out.ok() ? FormatResult::ok : FormatResult::too_long;
}

namespace {

// The parts as read, from the first's blanks to the last's end: they stand
// one after another in the line, so they are written in one piece.
std::string_view run_of(const FacePart& first, const FacePart& last) {
  return {first.sep.data(), static_cast<size_t>(last.text.data() + last.text.size() - first.sep.data())};
}

}  // namespace

FormatResult format_face(const Face& face, BoundedText& out, bool after_points) {
  const Face::Edits& e = face.edits;
  if (!after_points && format_points(face, out) == FormatResult::bad_number) return FormatResult::bad_number;
  if (!e.written.empty()) {
    out.add(" ").add(e.written);
    return out.ok() ? FormatResult::ok : FormatResult::too_long;
  }
  if (e.texture) {
    out.add(" ").add(face.texture.text);
  } else {
    out.add(face.texture.sep).add(face.texture.text);
  }
  if (e.alignment) {
    add_alignment(out, face.written_alignment);
  } else if (face.align_count > 0) {
    out.add(run_of(face.align[0], face.align[static_cast<size_t>(face.align_count - 1)]));
  }
  if (!e.flags_text.empty()) {
    out.add(" ").add(e.flags_text);
  } else if (e.flags) {
    for (const FaceNumber& f : face.written_flags) add_number(out, f);
  } else if (face.has_flags) {
    out.add(run_of(face.flags[0], face.flags[2]));
  }
  if (e.tail) out.add(face.tail.sep).add(face.tail.text);
  return out.ok() ? FormatResult::ok : FormatResult::too_long;
}

}  // namespace kmap
