#include "train_origin.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "bounded_text.h"
#include "brush_geometry.h"
#include "coords.h"
#include "face.h"
#include "texture_axes.h"

using namespace kmap;

namespace conv {
namespace {

constexpr double half_size = 8;  // the origin brush is 16 units wide

}  // namespace

conv_status add_train_origin(LineBuffer& lines, bool valve) {
  // A face this cannot read leaves the train alone, as does an origin
  // brush of its own.
  Bounds bounds;
  std::vector<Plane> planes;
  Face face;
  for (int b = 0; b < lines.brush_count(); ++b) {
    const BrushRange range = lines.brush(b);
    planes.clear();
    for (int i = range.first; i <= range.last; ++i) {
      std::array<double, 9> p;
      if (!parse_face(lines.view(i), &face) || face.texture.text == "common/origin" || !face_points(face, p))
        return CONV_OK;
      Plane plane;
      if (plane_of(p, plane)) planes.push_back(plane);
    }
    add_corners(planes, bounds);
  }
  if (bounds.empty) return CONV_OK;
  const Vec3& mins = bounds.mins;

  // A cube around the corner.
  const Vec3 lo{mins[0] - half_size, mins[1] - half_size, mins[2] - half_size};
  const Vec3 hi{mins[0] + half_size, mins[1] + half_size, mins[2] + half_size};
  if (conv_status r = lines.add("{"); r != CONV_OK) return r;
  const int first = lines.size();
  std::string line;
  for (const std::array<double, 9>& points : box_faces(lo, hi)) {
    if (!box_face_line(points, "common/origin", valve, 0.5, 0, line)) return CONV_LINE_TOO_LONG;
    if (conv_status r = lines.add(line); r != CONV_OK) return r;
  }
  if (conv_status r = lines.add("}"); r != CONV_OK) return r;
  lines.open_brush(first);
  lines.close_brush(lines.size() - 2);
  return CONV_OK;
}

}  // namespace conv
