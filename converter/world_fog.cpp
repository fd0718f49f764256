#include "world_fog.h"

#include <array>
#include <string>
#include <vector>

namespace conv {
namespace {

constexpr double margin = 16;

}  // namespace

void note_world_fog(std::string_view value, WorldFog& fog) {
  kmap::FogVolume volume;
  if (kmap::read_quake_fog(value, volume))
    fog.volume = volume;
  else
    fog.volume.reset();
}

void add_world_brush(const kmap::LineBuffer& faces, WorldFog& fog) {
  if (faces.size() > 0) (void)kmap::add_face_corners(faces, 0, faces.size() - 1, fog.world);
}

std::optional<std::string> write_fog_volume(FILE* out, bool valve, const WorldFog& fog) {
  if (!fog.volume || fog.world.empty) return std::nullopt;
  const kmap::Vec3& mins = fog.world.mins;
  const kmap::Vec3& maxs = fog.world.maxs;
  const kmap::Vec3 lo{mins[0] - margin, mins[1] - margin, mins[2] - margin};
  const kmap::Vec3 hi{maxs[0] + margin, maxs[1] + margin, maxs[2] + margin};
  const std::string texture = kmap::fog_texture_name(*fog.volume);
  std::vector<std::string> lines;
  for (const std::array<double, 9>& points : kmap::box_faces(lo, hi)) {
    std::string line;
    if (!kmap::box_face_line(points, texture, valve, 1, kmap::detail_contents, line)) return std::nullopt;
    lines.push_back(std::move(line));
  }
  fputs("  // fog volume\n  {\n", out);
  for (const std::string& line : lines) fprintf(out, "    %s\n", line.c_str());
  fputs("  }\n", out);
  return texture;
}

}  // namespace conv
