// The solid a brush's planes enclose: the planes through each face's three
// points, and the corners where three of them meet inside all the others.
#ifndef KORVEX_MAP_BRUSH_GEOMETRY_H
#define KORVEX_MAP_BRUSH_GEOMETRY_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "face.h"
#include "line_buffer.h"
#include "texture_axes.h"

namespace kmap {

struct Plane {
  Vec3 normal;  // unit length, facing out of the brush
  double dist;
};

// The box around the corners found so far; empty until one is added.
struct Bounds {
  Vec3 mins{};
  Vec3 maxs{};
  bool empty = true;

  void add(const Vec3& point);
  [[nodiscard]] Vec3 centre() const;
};

// The plane through three points (in the map's order, so that it faces out
// of the brush); false for points on one line.
[[nodiscard]] bool plane_of(const std::array<double, 9>& points, Plane& plane);

// Adds every corner of the brush the planes enclose to bounds.
void add_corners(const std::vector<Plane>& planes, Bounds& bounds);

// The values of a face's nine coordinates, read in full precision. False
// (points untouched) when the face's points are not three of three numbers.
[[nodiscard]] bool face_points(const Face& face, std::array<double, 9>& points);

// Adds the corners of the brush whose faces are lines first..last of
// `lines`. False (bounds untouched) when a line does not read as a face.
[[nodiscard]] bool add_face_corners(const LineBuffer& lines, int first, int last, Bounds& bounds);

// The box around every brush of the block whose plane lines all read as
// faces. False (bounds untouched) when no brush gives a corner.
[[nodiscard]] bool brush_bounds(const LineBuffer& lines, Bounds& bounds);

// The six faces of the box from lo to hi, each as three points in the
// order that makes it face out of the box (as face_points reads them).
[[nodiscard]] std::array<std::array<double, 9>, 6> box_faces(const Vec3& lo, const Vec3& hi);

// The contents bit that makes a brush detail for a Q3 compiler, the only
// contents bit it reads from a face line.
inline constexpr uint32_t detail_contents = 134217728;

// One face of a box (as box_faces gives it) as a map line with `texture`,
// unshifted and unrotated at `scale`: the standard form, or with `valve` the
// Valve 220 form along the face's standard axes; `contents` is the face's
// contents flags (the detail bit, or 0). Returns true and sets
// `line`, or false (line untouched) when a number cannot be written or the
// line would pass 511 characters.
[[nodiscard]] bool box_face_line(const std::array<double, 9>& points, std::string_view texture, bool valve,
                                 double scale, uint32_t contents, std::string& line);

}  // namespace kmap

#endif
