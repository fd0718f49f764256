#include "brush_geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "bounded_text.h"
#include "coords.h"

namespace kmap {
namespace {

constexpr double inside_epsilon = 0.01;  // a corner this far outside a plane still counts

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

}  // namespace

void Bounds::add(const Vec3& point) {
  if (empty) {
    mins = maxs = point;
    empty = false;
    return;
  }
  for (size_t c = 0; c < 3; ++c) {
    mins[c] = std::min(mins[c], point[c]);
    maxs[c] = std::max(maxs[c], point[c]);
  }
}

Vec3 Bounds::centre() const {
  return {(mins[0] + maxs[0]) / 2, (mins[1] + maxs[1]) / 2, (mins[2] + maxs[2]) / 2};
}

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

void add_corners(const std::vector<Plane>& planes, Bounds& bounds) {
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
        if (inside) bounds.add(v);
      }
}

bool face_points(const Face& face, std::array<double, 9>& points) {
  std::array<std::string_view, 9> coords;
  if (!face_coords(face, coords, nullptr)) return false;
  std::array<double, 9> read;
  std::string word;
  for (size_t c = 0; c < 9; ++c) {
    word.assign(coords[c]);
    if (!read_number(word.c_str(), &read[c], true)) return false;
  }
  points = read;
  return true;
}

bool add_face_corners(const LineBuffer& lines, int first, int last, Bounds& bounds) {
  std::vector<Plane> planes;
  Face face;
  for (int i = first; i <= last; ++i) {
    std::array<double, 9> p;
    if (!read_face(lines.view(i), &face, false) || !face_points(face, p)) return false;
    Plane plane;
    if (plane_of(p, plane)) planes.push_back(plane);
  }
  add_corners(planes, bounds);
  return true;
}

bool brush_bounds(const LineBuffer& lines, Bounds& bounds) {
  Bounds found;
  for (int b = 0; b < lines.brush_count(); ++b) {
    const BrushRange range = lines.brush(b);
    (void)add_face_corners(lines, range.first, range.last, found);  // an unreadable brush adds nothing
  }
  if (found.empty) return false;
  bounds = found;
  return true;
}

std::array<std::array<double, 9>, 6> box_faces(const Vec3& lo, const Vec3& hi) {
  std::array<std::array<double, 9>, 6> faces{};
  size_t f = 0;
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
      faces[f++] = {a[0], a[1], a[2], b[0], b[1], b[2], c[0], c[1], c[2]};
    }
  }
  return faces;
}

bool box_face_line(const std::array<double, 9>& points, std::string_view texture, bool valve, double scale,
                   uint32_t contents, std::string& line) {
  char text[512];
  BoundedText out(text, sizeof text);
  for (size_t k = 0; k < 9; ++k) {
    out.add(k % 3 == 0 ? (k == 0 ? "( " : " ) ( ") : " ");
    if (!add_real(out, points[k])) return false;
  }
  out.add(" ) ").add(texture);
  if (valve) {
    const TextureAxes axes = standard_axes(points, 0);
    for (const Vec3* axis : {&axes.u, &axes.v}) {
      out.add(" [");
      for (double d : *axis) {
        out.add(" ");
        if (!add_real(out, d)) return false;
      }
      out.add(" 0 ]");
    }
    out.add(" 0 ");
  } else {
    out.add(" 0 0 0 ");
  }
  if (!add_real(out, scale)) return false;
  out.add(" ");
  if (!add_real(out, scale)) return false;
  out.add(" ").add(std::to_string(contents)).add(" 0 0");
  if (!out.ok()) return false;
  line.assign(out.view());
  return true;
}

}  // namespace kmap
