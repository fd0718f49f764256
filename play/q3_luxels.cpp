// The lit texels of a Q3 level: each lightmapped surface's triangles are
// drawn into their lightmap page, and every texel they cover is placed in the
// world by the triangle's vertices.
#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "byte_view.h"
#include "lightmap_luxels.h"
#include "q3_level.h"

namespace play {
namespace {

using texpack::ByteView;

constexpr uint64_t shader_lump = 1;
constexpr uint64_t vertex_lump = 10;
constexpr uint64_t index_lump = 11;
constexpr uint64_t surface_lump = 13;

constexpr uint64_t vertex_bytes = 44;
constexpr uint64_t vertex_uv_at = 20;  // the lightmap coordinates, after the position and texture coordinates
constexpr uint64_t vertex_normal_at = 28;
constexpr uint64_t index_bytes = 4;
constexpr uint64_t surface_bytes = 104;
constexpr uint64_t shader_bytes = 72;
constexpr uint64_t shader_name_bytes = 64;

constexpr int32_t surface_planar = 1;
constexpr int32_t surface_triangles = 3;

constexpr int page_side = 128;
constexpr uint64_t page_texels = uint64_t(page_side) * page_side;
constexpr uint64_t page_bytes = page_texels * 3;

// A texel centre counts as covered a little outside the triangle, so that the
// texels along an edge shared by two triangles are not lost to rounding.
constexpr double edge_tolerance = -0.01;
constexpr double degenerate_area = 1e-9;

// A lump's records, within the file.
struct Lump {
  ByteView bytes{{}};
  uint64_t count = 0;
};

LuxelStatus read_lump(std::span<const uint8_t> bsp, uint64_t which, uint64_t record_bytes, Lump& lump) {
  Q3Lump place;
  if (const LuxelStatus status = find_q3_lump(bsp, which, record_bytes, place); status != LuxelStatus::ok)
    return status;
  lump.bytes = ByteView(bsp.subspan(place.offset, place.count * record_bytes));
  lump.count = place.count;
  return LuxelStatus::ok;
}

struct Vertex {
  std::array<double, 3> position{};
  double s = 0, t = 0;  // in texels of the page
  std::array<float, 3> normal{};
};

Vertex read_vertex(const ByteView& vertices, uint64_t index) {
  const uint64_t at = index * vertex_bytes;
  Vertex v;
  for (uint64_t k = 0; k < 3; ++k) {
    v.position[k] = vertices.f32(at + k * 4);
    v.normal[k] = vertices.f32(at + vertex_normal_at + k * 4);
  }
  v.s = double(vertices.f32(at + vertex_uv_at)) * page_side;
  v.t = double(vertices.f32(at + vertex_uv_at + 4)) * page_side;
  return v;
}

bool is_finite(const Vertex& v) {
  return std::isfinite(v.s) && std::isfinite(v.t) &&
         std::all_of(v.position.begin(), v.position.end(), [](double c) { return std::isfinite(c); });
}

uint8_t facing_of(const std::array<float, 3>& normal) {
  int axis = 0;
  for (int k = 1; k < 3; ++k)
    if (std::fabs(normal[k]) > std::fabs(normal[axis])) axis = k;
  return static_cast<uint8_t>(axis * 2 + (normal[axis] < 0 ? 1 : 0));
}

// The first and last texel of a page whose centres the span [low, high] may
// reach; clamped to the page before any conversion, so that no coordinate of
// the file can make the scan longer than a page.
std::pair<int, int> texel_range(double low, double high) {
  const double first = std::clamp(std::floor(low), 0.0, double(page_side - 1));
  const double last = std::clamp(std::floor(high), 0.0, double(page_side - 1));
  return {int(first), int(last)};
}

// Appends to `found` a luxel for each texel of `page` (its bytes, and which
// of its texels are taken) that the triangle covers and no earlier one did.
void draw_triangle(const std::array<Vertex, 3>& v, std::span<const uint8_t> page, std::span<uint8_t> taken,
                   float shown, std::vector<Luxel>& found) {
  if (!std::all_of(v.begin(), v.end(), is_finite)) return;
  const Vertex& a = v[0];
  const Vertex& b = v[1];
  const Vertex& c = v[2];
  const double area = (b.t - c.t) * (a.s - c.s) + (c.s - b.s) * (a.t - c.t);
  if (std::fabs(area) < degenerate_area) return;
  const auto [x0, x1] = texel_range(std::min({a.s, b.s, c.s}), std::max({a.s, b.s, c.s}));
  const auto [y0, y1] = texel_range(std::min({a.t, b.t, c.t}), std::max({a.t, b.t, c.t}));
  const uint8_t facing = facing_of(a.normal);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const size_t texel = size_t(y) * page_side + size_t(x);
      if (taken[texel]) continue;
      const double px = x + 0.5, py = y + 0.5;
      const double wa = ((b.t - c.t) * (px - c.s) + (c.s - b.s) * (py - c.t)) / area;
      const double wb = ((c.t - a.t) * (px - c.s) + (a.s - c.s) * (py - c.t)) / area;
      const double wc = 1 - wa - wb;
      if (wa < edge_tolerance || wb < edge_tolerance || wc < edge_tolerance) continue;
      taken[texel] = 1;
      const auto at = [&](size_t k) { return float(wa * a.position[k] + wb * b.position[k] + wc * c.position[k]); };
      const uint8_t* rgb = &page[texel * 3];
      found.push_back({at(0), at(1), at(2), facing, shown * float(rgb[0] + rgb[1] + rgb[2]) / 3.0f});
    }
  }
}

// `shown` of each shader of the level, by number.
std::vector<float> shown_per_shader(const Lump& shaders, const ShownLight& shown) {
  std::vector<float> scale(shaders.count, 1.0f);
  for (uint64_t k = 0; k < shaders.count; ++k) {
    const auto name = shaders.bytes.part(k * shader_bytes, shader_name_bytes);
    const auto end = std::find(name.begin(), name.end(), uint8_t{0});
    scale[k] = shown(std::string_view(reinterpret_cast<const char*>(name.data()), size_t(end - name.begin())));
  }
  return scale;
}

}  // namespace

// A surface whose lightmap number lies past the lightmap lump is skipped, not
// refused: its light is in no page of this file (a compile may keep lightmaps
// outside the level), which is no damage to the rest.
LuxelStatus read_q3_luxels(std::span<const uint8_t> data, std::vector<Luxel>& out, const ShownLight& shown) {
  Lump vertices, indices, surfaces, lightmaps, shaders;
  for (const auto& [which, record_bytes, lump] : {std::tuple{vertex_lump, vertex_bytes, &vertices},
                                                  std::tuple{index_lump, index_bytes, &indices},
                                                  std::tuple{surface_lump, surface_bytes, &surfaces},
                                                  std::tuple{q3_lightmap_lump, page_bytes, &lightmaps}}) {
    const LuxelStatus status = read_lump(data, which, record_bytes, *lump);
    if (status != LuxelStatus::ok) return status;
  }
  std::vector<float> shown_by_shader;
  if (shown) {
    if (const LuxelStatus status = read_lump(data, shader_lump, shader_bytes, shaders); status != LuxelStatus::ok)
      return status;
    shown_by_shader = shown_per_shader(shaders, shown);
  }

  std::vector<uint8_t> taken(lightmaps.count * page_texels, 0);
  std::vector<Luxel> found;
  for (uint64_t s = 0; s < surfaces.count; ++s) {
    const uint64_t at = s * surface_bytes;
    const int32_t type = surfaces.bytes.i32(at + 8);
    const int32_t lightmap = surfaces.bytes.i32(at + 28);
    if (type != surface_planar && type != surface_triangles) continue;
    if (lightmap < 0 || uint64_t(lightmap) >= lightmaps.count) continue;
    float surface_shown = 1.0f;
    if (shown) {
      const int32_t shader = surfaces.bytes.i32(at);
      if (shader < 0 || uint64_t(shader) >= shaders.count) return LuxelStatus::bad_offset;
      surface_shown = shown_by_shader[size_t(shader)];
    }
    const int32_t first_vertex = surfaces.bytes.i32(at + 12);
    const int32_t vertex_count = surfaces.bytes.i32(at + 16);
    const int32_t first_index = surfaces.bytes.i32(at + 20);
    const int32_t index_count = surfaces.bytes.i32(at + 24);
    if (first_vertex < 0 || vertex_count < 0 || uint64_t(first_vertex) + uint64_t(vertex_count) > vertices.count)
      return LuxelStatus::bad_offset;
    if (first_index < 0 || index_count < 0 || uint64_t(first_index) + uint64_t(index_count) > indices.count)
      return LuxelStatus::bad_offset;

    const auto page = lightmaps.bytes.part(uint64_t(lightmap) * page_bytes, page_bytes);
    const auto page_taken = std::span(taken).subspan(uint64_t(lightmap) * page_texels, page_texels);
    for (int32_t t = 0; t + 3 <= index_count; t += 3) {
      std::array<Vertex, 3> corners;
      for (int32_t k = 0; k < 3; ++k) {
        const int32_t index = indices.bytes.i32((uint64_t(first_index) + uint64_t(t + k)) * index_bytes);
        if (index < 0 || index >= vertex_count) return LuxelStatus::bad_offset;
        corners[size_t(k)] = read_vertex(vertices.bytes, uint64_t(first_vertex) + uint64_t(index));
      }
      draw_triangle(corners, page, page_taken, surface_shown, found);
    }
  }
  out.insert(out.end(), found.begin(), found.end());
  return LuxelStatus::ok;
}

}  // namespace play
