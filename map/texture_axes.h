// The standard projection of a texture onto a face: the axes the Quake map
// format implies for a face from its plane and its rotation, written out
// explicitly where a map's faces use the Valve 220 form.
#ifndef KORVEX_MAP_TEXTURE_AXES_H
#define KORVEX_MAP_TEXTURE_AXES_H

#include <array>

namespace kmap {

using Vec3 = std::array<double, 3>;

struct TextureAxes {
  Vec3 u;
  Vec3 v;
};

// The axes of a face through the three points (in the map's order), turned
// by rotation degrees. A face without area gets the floor's axes.
[[nodiscard]] TextureAxes standard_axes(const std::array<double, 9>& points, double rotation);

}  // namespace kmap

#endif
