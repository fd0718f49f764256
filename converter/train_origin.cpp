#include "train_origin.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "bounded_text.h"
#include "coords.h"
#include "face.h"
#include "texture_axes.h"

namespace {

struct Plane {
  Vec3 normal;
  double dist;
};

constexpr double half_size = 8;          // the origin brush is 16 units wide
constexpr double inside_epsilon = 0.01;  // a vertex this far outside a plane still counts

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The plane through three points, facing out of the brush as the map
// format orders them; false for points on one line.
bool plane_of(const std::array<double, 9>& p, Plane& plane) {
  const Vec3 a{p[0] - p[3], p[1] - p[4], p[2] - p[5]};
  const Vec3 b{p[6] - p[3], p[7] - p[4], p[8] - p[5]};
  Vec3 n = cross(a, b);
  const double length = std::sqrt(dot(n, n));
  if (!(length > 0)) return false;
  for (double& c : n) c /= length;
  plane = {n, dot(n, Vec3{p[3], p[4], p[5]})};
  return true;
}

// Lowers mins to every corner of the brush: the points where three of its
// planes meet that lie inside all of them.
void lower_to_corners(const std::vector<Plane>& planes, Vec3& mins, bool& found) {
  const size_t n = planes.size();
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      for (size_t k = j + 1; k < n; ++k) {
        const Vec3 jk = cross(planes[j].normal, planes[k].normal);
        const double det = dot(planes[i].normal, jk);
        if (std::fabs(det) < 1e-9) continue;
        const Vec3 ki = cross(planes[k].normal, planes[i].normal);
        const Vec3 ij = cross(planes[i].normal, planes[j].normal);
        Vec3 v;
        for (size_t c = 0; c < 3; ++c)
          v[c] = (planes[i].dist * jk[c] + planes[j].dist * ki[c] + planes[k].dist * ij[c]) / det;
        bool inside = true;
        for (const Plane& p : planes) inside = inside && dot(p.normal, v) - p.dist <= inside_epsilon;
        if (!inside) continue;
        for (size_t c = 0; c < 3; ++c) mins[c] = std::min(mins[c], v[c]);
        found = true;
      }
}

}  // namespace

conv_status add_train_origin(LineBuffer& lines, bool valve) {
  Vec3 mins;
  mins.fill(std::numeric_limits<double>::infinity());
  bool found = false;
  std::vector<Plane> planes;
  Face face;
  for (int b = 0; b < lines.brush_count(); ++b) {
    const BrushRange range = lines.brush(b);
    planes.clear();
    for (int i = range.first; i <= range.last; ++i) {
      if (!parse_face(lines.view(i), &face)) return CONV_OK;  // a face this cannot read: leave the train alone
      if (face.texture.text == "common/origin") return CONV_OK;
      std::array<double, 9> p;
      for (size_t c = 0; c < 9; ++c) {
        const std::string coord(face.coords[c]);
        if (!read_number(coord.c_str(), &p[c], true)) return CONV_OK;
      }
      Plane plane;
      if (plane_of(p, plane)) planes.push_back(plane);
    }
    lower_to_corners(planes, mins, found);
  }
  if (!found) return CONV_OK;

  // A cube around the corner; each face's three points ordered so that its
  // plane faces out, as the map format wants.
  const Vec3 lo{mins[0] - half_size, mins[1] - half_size, mins[2] - half_size};
  const Vec3 hi{mins[0] + half_size, mins[1] + half_size, mins[2] + half_size};
  if (conv_status r = lines.add("{"); r != CONV_OK) return r;
  const int first = lines.size();
  for (size_t axis = 0; axis < 3; ++axis) {
    const size_t u = (axis + 1) % 3, v = (axis + 2) % 3;  // u x v = axis
    for (const bool outward_positive : {false, true}) {
      Vec3 b = lo;
      b[axis] = outward_positive ? hi[axis] : lo[axis];
      Vec3 along_u = b, along_v = b;
      along_u[u] = hi[u];
      along_v[v] = hi[v];
      // (a - b) x (c - b) faces along u x v when a is along u and c along v.
      const Vec3& a = outward_positive ? along_u : along_v;
      const Vec3& c = outward_positive ? along_v : along_u;
      std::array<double, 9> points{a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]};
      char text[512];
      BoundedText out(text, sizeof text);
      for (size_t k = 0; k < 9; ++k) {
        out.add(k % 3 == 0 ? (k == 0 ? "( " : " ) ( ") : " ");
        if (!add_real(out, points[k])) return CONV_OK;
      }
      out.add(" ) common/origin");
      if (valve) {
        const TextureAxes axes = standard_axes(points, 0);
        for (const Vec3* axis_vec : {&axes.u, &axes.v}) {
          out.add(" [");
          for (double d : *axis_vec) {
            out.add(" ");
            (void)add_real(out, d);
          }
          out.add(" 0 ]");
        }
        out.add(" 0 0.5 0.5 0 0 0");
      } else {
        out.add(" 0 0 0 0.5 0.5 0 0 0");
      }
      if (!out.ok()) return CONV_LINE_TOO_LONG;
      if (conv_status r = lines.add(out.view()); r != CONV_OK) return r;
    }
  }
  if (conv_status r = lines.add("}"); r != CONV_OK) return r;
  lines.open_brush(first);
  lines.close_brush(lines.size() - 2);
  return CONV_OK;
}
