// A brush face: a plane line read into its three points, its texture and
// its texture alignment, edited, and written back.
//
// Every part is a view into the line with the blanks that stood before it,
// so a face that nothing changed is written back byte for byte. The edits
// (a texture, points, an alignment, flags, the tail dropped) say what the
// formatter writes instead: an edited part is written with one blank before
// it, and an edited alignment or set of flags is written whole. Nothing is
// allocated: new texts are views the caller keeps alive, new numbers are
// values written when the face is formatted.
#ifndef KORVEX_MAP_FACE_H
#define KORVEX_MAP_FACE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bounded_text.h"
#include "texture_axes.h"

namespace kmap {

enum class AlignForm : uint8_t {
  none,      // nothing after the texture that the model knows: all of it is the tail
  standard,  // xoff yoff rot xscale yscale
  valve220,  // [ ux uy uz uoff ] [ vx vy vz voff ] rot xscale yscale
};

struct FacePart {
  std::string_view sep;   // blanks before the part
  std::string_view text;  // the part itself
};

// Positions of the alignment's numbers among the parts as read.
namespace align_at {
inline constexpr int std_xoff = 0, std_yoff = 1, std_rot = 2, std_xscale = 3, std_yscale = 4;
inline constexpr int std_count = 5;
inline constexpr int u_first = 1, u_off = 4, v_first = 7, v_off = 10;
inline constexpr int valve_rot = 12, valve_xscale = 13, valve_yscale = 14;
inline constexpr int valve_count = 15;  // the brackets are parts too
}  // namespace align_at

// A number to write: its own text when it has one, else its value in the
// shortest form that reads back to it.
struct FaceNumber {
  std::string_view text;
  double value = 0;
};

// An alignment to write. The standard form uses the offsets, the rotation
// and the scales; the Valve 220 form the axes as well.
struct Alignment {
  AlignForm form = AlignForm::standard;
  std::array<FaceNumber, 3> u_axis, v_axis;
  FaceNumber u_off, v_off, rot, xscale, yscale;
};

struct Face {
  // As read.
  std::string_view points;  // from the line's start through the third ")" (or the last one)
  FacePart texture;
  AlignForm form = AlignForm::none;
  // Parts beyond align_count, and the flags without has_flags, hold nothing
  // defined: a face is read on the hot path, and filling them costs.
  std::array<FacePart, align_at::valve_count> align;
  int align_count = 0;
  std::array<FacePart, 3> flags;  // contents surface value
  bool has_flags = false;
  FacePart tail;  // whatever else the line holds, possibly nothing
  // The nine coordinate texts, for a face read by parse_face.
  std::array<std::string_view, 9> coords;

  // Edits: what the formatter writes instead of the parts as read. Reading
  // a face resets the flags alone; what they point at is read only when
  // they are set.
  struct Edits {
    bool points = false;
    bool texture = false;
    bool alignment = false;
    bool flags = false;
    bool tail = true;             // false: the tail is dropped
    std::string_view written;     // not empty: all that follows the points, without its first blank
    std::string_view flags_text;  // not empty: the flags, without their first blank
  } edits;
  std::array<double, 9> point_values{};  // written times point_factor ...
  double point_factor = 1;
  bool extended_points = false;          // ... in full, or rounded down (classic)
  Alignment written_alignment;
  std::array<FaceNumber, 3> written_flags;
};

// Reads a plane line as `points texture ...`: the points are all that stands
// before the line's last right parenthesis, unchecked, and the texture the
// word after it (empty when there is none). With `alignment`, the alignment
// and flags after the texture are read; without, all of it is the tail,
// which is cheaper when only the points and the texture matter. False
// (face untouched) when the line has no right parenthesis. Never reads
// beyond line.
[[nodiscard]] bool read_face(std::string_view line, Face* face, bool alignment = true);

// Reads a plane line that is `( x y z ) ( x y z ) ( x y z ) texture ...`
// with nothing after the points that holds a right parenthesis, its nine
// coordinate texts included. False (face untouched) for any other line.
[[nodiscard]] bool parse_face(std::string_view line, Face* face, bool alignment = true);

// For a face read by read_face, the nine coordinate texts of its points
// when they are `( x y z ) ( x y z ) ( x y z )` (any blanks), and where the
// ninth ends within the points. False (coords untouched) otherwise.
[[nodiscard]] bool face_coords(const Face& face, std::array<std::string_view, 9>& coords, size_t* ninth_end);

// The alignment as read: the standard form's defaults (0 0 0 1 1) for a
// face without one.
[[nodiscard]] Alignment alignment_of(const Face& face);

// The same alignment in the other form. To the Valve 220 form the axes
// are those the standard projection gives the plane of `points` turned by
// the rotation; to the standard form the axes are dropped.
[[nodiscard]] Alignment converted(const Alignment& alignment, AlignForm form, const std::array<double, 9>& points);

// The number as a value (0 when its text is no number).
[[nodiscard]] double number_value(const FaceNumber& number);

// The number times factor; the number itself at factor 1, or when the
// product is not finite.
[[nodiscard]] FaceNumber scaled(const FaceNumber& number, double factor);

// Edits.
void set_texture(Face& face, std::string_view name);
// All that follows the points, as one text (a texture, its alignment and
// flags, without the blank before them): the parts as read are not written.
// An empty text takes this edit back.
void set_written_texture(Face& face, std::string_view text);
void set_points(Face& face, const std::array<double, 9>& values, double factor, bool extended);
void set_alignment(Face& face, const Alignment& alignment);
void set_flags(Face& face, const std::array<FaceNumber, 3>& flags);
// The flags as one written text ("0 0 0"), without the blank before it.
void set_flags_text(Face& face, std::string_view text);
void drop_tail(Face& face);

enum class FormatResult {
  ok,
  bad_number,  // a point has no value to write (classic: beyond a 32-bit integer)
  too_long,    // out overflowed
};

// Writes the face's points with their edits.
[[nodiscard]] FormatResult format_points(const Face& face, BoundedText& out);

// Writes the face with its edits. With `after_points`, only what follows
// the points (for a line whose points stay as they stand).
[[nodiscard]] FormatResult format_face(const Face& face, BoundedText& out, bool after_points = false);

// True when text is a decimal number as map files write them.
[[nodiscard]] bool is_number_text(std::string_view text);

}  // namespace kmap

#endif
