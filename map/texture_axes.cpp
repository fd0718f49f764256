#include "texture_axes.h"

#include <cmath>

namespace kmap {

namespace {

// Per facing direction: the plane normal it stands for, then its u and v.
constexpr std::array<std::array<Vec3, 3>, 6> base_axes{{
    {{{0, 0, 1}, {1, 0, 0}, {0, -1, 0}}},   // floor
    {{{0, 0, -1}, {1, 0, 0}, {0, -1, 0}}},  // ceiling
    {{{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}},   // west wall
    {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}},  // east wall
    {{{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}},   // south wall
    {{{0, -1, 0}, {1, 0, 0}, {0, 0, -1}}},  // north wall
}};

}  // namespace

TextureAxes standard_axes(const std::array<double, 9>& p, double rotation) {
  // The plane's normal as the map compilers build it: (p0 - p1) x (p2 - p1).
  const Vec3 a{p[0] - p[3], p[1] - p[4], p[2] - p[5]};
  const Vec3 b{p[6] - p[3], p[7] - p[4], p[8] - p[5]};
  const Vec3 n{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  size_t best = 0;
  double best_dot = 0;
  for (size_t i = 0; i < base_axes.size(); ++i) {
    const Vec3& d = base_axes[i][0];
    const double dot = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
    if (dot > best_dot) {
      best_dot = dot;
      best = i;
    }
  }
  TextureAxes axes{base_axes[best][1], base_axes[best][2]};
  if (rotation == 0) return axes;
  // Exact quarter turns, as the compilers special-case them.
  double sine, cosine;
  if (rotation == 90) {
    sine = 1, cosine = 0;
  } else if (rotation == 180) {
    sine = 0, cosine = -1;
  } else if (rotation == 270) {
    sine = -1, cosine = 0;
  } else {
    const double radians = rotation / 180 * M_PI;
    sine = std::sin(radians);
    cosine = std::cos(radians);
  }
  // Turned in the plane of the two axes the base direction spans.
  auto turn = [&](Vec3& axis) {
    size_t s = 0, t = 0;
    for (size_t i = 0; i < 3; ++i) {
      if (base_axes[best][1][i] != 0) s = i;
      if (base_axes[best][2][i] != 0) t = i;
    }
    const double ns = cosine * axis[s] - sine * axis[t];
    const double nt = sine * axis[s] + cosine * axis[t];
    axis[s] = ns;
    axis[t] = nt;
  };
  turn(axes.u);
  turn(axes.v);
  return axes;
}

}  // namespace kmap
