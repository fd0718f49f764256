// A brush face: a plane line parsed into its three points, its texture name
// and its texture alignment, and written back.
//
// Every part is a view into the line with the blanks that stood before it,
// so a face that nothing changed is written back byte for byte. A rewrite
// replaces parts with texts of its own; the formatter writes them with a
// single blank before each.
#ifndef KORVEX_FACE_H
#define KORVEX_FACE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bounded_text.h"

enum class AlignForm : uint8_t {
  NONE,      // nothing after the texture that the model knows: all of it is the tail
  STANDARD,  // xoff yoff rot xscale yscale
  VALVE220,  // [ ux uy uz uoff ] [ vx vy vz voff ] rot xscale yscale
};

struct FacePart {
  std::string_view sep;   // blanks before the part
  std::string_view text;  // the part itself
};

// Positions of the alignment's numbers among the parts.
namespace align_at {
inline constexpr int std_xoff = 0, std_yoff = 1, std_rot = 2, std_xscale = 3, std_yscale = 4;
inline constexpr int std_count = 5;
inline constexpr int u_first = 1, u_off = 4, v_first = 7, v_off = 10;
inline constexpr int valve_rot = 12, valve_xscale = 13, valve_yscale = 14;
inline constexpr int valve_count = 15;  // the brackets are parts too
}  // namespace align_at

struct Face {
  std::string_view points;                 // from the line's start through the third ")"
  std::array<std::string_view, 9> coords;  // the nine coordinate texts, within points
  size_t rest_gap = 0;                     // characters between the ninth coordinate and the texture
  FacePart texture;
  AlignForm form = AlignForm::NONE;
  // Parts beyond align_count, and the flags without has_flags, hold nothing
  // defined: a face is parsed on the hot path, and filling them costs.
  std::array<FacePart, align_at::valve_count> align;
  int align_count = 0;
  std::array<FacePart, 3> flags;  // contents surface value
  bool has_flags = false;
  FacePart tail;  // whatever else the line holds, possibly nothing
};

// Parses a plane line. True and *face, or false (face untouched) when the
// line is not `( x y z ) ( x y z ) ( x y z ) texture ...` with nothing after
// the points that holds a right parenthesis. Without `alignment`, all that
// follows the texture is left as the tail, which is cheaper when only the
// points and the texture matter. Never reads beyond line.
[[nodiscard]] bool parse_face(std::string_view line, Face* face, bool alignment = true);

// The cheap reading for a face whose points stay as written: the points are
// all that stands before the line's last right parenthesis, unchecked, and
// the texture the word after it (empty when there is none); then the
// alignment as parse_face reads it, or with `alignment` unset none, all of
// it the tail. coords hold nothing defined. False (face untouched) when the
// line has no right parenthesis.
[[nodiscard]] bool split_face(std::string_view line, Face* face, bool alignment = false);

// Writes the face. False when out overflowed.
[[nodiscard]] bool format_face(const Face& face, BoundedText& out);

// True when text is a decimal number as map files write them.
[[nodiscard]] bool is_number_text(std::string_view text);

#endif
