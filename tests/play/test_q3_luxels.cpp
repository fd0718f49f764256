// The samples of a Q3 level, read from small levels built here byte by byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <span>
#include <string>

#include "lightmap_luxels.h"

namespace {

using play::Luxel;
using play::LuxelStatus;

constexpr float nan = std::numeric_limits<float>::quiet_NaN();

struct Vertex {
  float x, y, z;
  float s, t;  // lightmap coordinates, in texels of the page (written divided by 128)
};

struct Surface {
  int32_t shader = 0;
  int32_t type = 1;
  int32_t lightmap = 0;
  std::vector<Vertex> vertices;
  std::vector<int32_t> indices;
};

// A texel block [s0, s1) x [t0, t1) as a quad of two triangles, placed in the
// world at 16 units a texel from (100, 200, z), facing down z.
Surface quad(float s0, float t0, float s1, float t1, float z = 50) {
  const auto at = [&](float s, float t) { return Vertex{100 + 16 * s, 200 + 16 * t, z, s, t}; };
  return {0, 1, 0, {at(s0, t0), at(s1, t0), at(s1, t1), at(s0, t1)}, {0, 1, 2, 0, 2, 3}};
}

void put_i32(std::vector<uint8_t>& bytes, size_t at, int32_t value) { std::memcpy(&bytes[at], &value, 4); }
void put_f32(std::vector<uint8_t>& bytes, size_t at, float value) { std::memcpy(&bytes[at], &value, 4); }
int32_t get_i32(const std::vector<uint8_t>& bytes, size_t at) {
  int32_t value;
  std::memcpy(&value, &bytes[at], 4);
  return value;
}
size_t lump_at(const std::vector<uint8_t>& bytes, int lump) { return size_t(get_i32(bytes, 8 + 8 * size_t(lump))); }

// An IBSP level holding the surfaces, `pages` lightmap pages whose texel
// (x, y) is the colour (x, y, 30), and the shaders named.
std::vector<uint8_t> level(const std::vector<Surface>& surfaces, int pages = 1,
                           const std::vector<std::string>& shader_names = {}) {
  std::vector<uint8_t> vertices, indices, records, lightmaps, shaders;
  for (const std::string& name : shader_names) {
    shaders.resize(shaders.size() + 72, 0);
    std::memcpy(&shaders[shaders.size() - 72], name.data(), std::min<size_t>(name.size(), 64));
  }
  for (const Surface& surface : surfaces) {
    std::vector<uint8_t> record(104, 0);
    const int32_t fields[] = {surface.shader, -1, surface.type, int32_t(vertices.size() / 44), int32_t(surface.vertices.size()),
                              int32_t(indices.size() / 4), int32_t(surface.indices.size()), surface.lightmap};
    for (size_t k = 0; k < std::size(fields); ++k) put_i32(record, k * 4, fields[k]);
    records.insert(records.end(), record.begin(), record.end());
    for (const Vertex& v : surface.vertices) {
      std::vector<uint8_t> vertex(44, 0);
      const float values[] = {v.x, v.y, v.z, 0, 0, v.s / 128, v.t / 128, 0, 0, -1};
      for (size_t k = 0; k < std::size(values); ++k) put_f32(vertex, k * 4, values[k]);
      vertices.insert(vertices.end(), vertex.begin(), vertex.end());
    }
    for (int32_t index : surface.indices) {
      indices.resize(indices.size() + 4);
      put_i32(indices, indices.size() - 4, index);
    }
  }
  for (int p = 0; p < pages; ++p)
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) lightmaps.insert(lightmaps.end(), {uint8_t(x), uint8_t(y), 30});

  std::vector<uint8_t> bytes(8 + 17 * 8, 0);
  std::memcpy(bytes.data(), "IBSP", 4);
  put_i32(bytes, 4, 46);
  for (const auto& [lump, content] : {std::pair{1, &shaders}, std::pair{10, &vertices}, std::pair{11, &indices}, std::pair{13, &records},
                                      std::pair{14, &lightmaps}}) {
    put_i32(bytes, 8 + 8 * size_t(lump), int32_t(bytes.size()));
    put_i32(bytes, 12 + 8 * size_t(lump), int32_t(content->size()));
    bytes.insert(bytes.end(), content->begin(), content->end());
  }
  return bytes;
}

Surface edited(Surface surface, const std::function<void(Surface&)>& edit) {
  edit(surface);
  return surface;
}

TEST(Q3Luxels, QuadGivesOneLuxelPerTexelAtItsPlace) {
  std::vector<Luxel> out(1);
  ASSERT_EQ(play::read_q3_luxels(level({quad(2, 3, 6, 7)}), out), LuxelStatus::ok);
  ASSERT_EQ(out.size(), 17u);  // appended after what `out` held
  std::vector<std::pair<int, int>> texels;
  for (const Luxel& luxel : std::span(out).subspan(1)) {
    // Texel (x, y)'s centre lies at 16 units a texel from the quad's corner.
    const float sx = (luxel.x - 100) / 16 - 0.5f, ty = (luxel.y - 200) / 16 - 0.5f;
    const int x = int(std::lround(sx)), y = int(std::lround(ty));
    EXPECT_NEAR(sx, float(x), 1e-4);
    EXPECT_NEAR(ty, float(y), 1e-4);
    EXPECT_FLOAT_EQ(luxel.z, 50);
    EXPECT_EQ(luxel.facing, 5);  // down z
    EXPECT_FLOAT_EQ(luxel.value, float(x + y + 30) / 3);
    texels.emplace_back(x, y);
  }
  std::sort(texels.begin(), texels.end());
  std::vector<std::pair<int, int>> expected;
  for (int x = 2; x < 6; ++x)
    for (int y = 3; y < 7; ++y) expected.emplace_back(x, y);
  EXPECT_EQ(texels, expected);
}

TEST(Q3Luxels, CountsEachCoveredTexelOnce) {
  const Surface block = quad(10, 10, 12, 12);  // 2 x 2 texels, a diagonal of 2 shared by its triangles
  const struct {
    const char* name;
    std::vector<Surface> surfaces;
    int pages;
    size_t expected;
  } cases[] = {
      {"planar quad", {quad(2, 3, 6, 7)}, 1, 16},
      {"triangle soup", {edited(block, [](Surface& s) { s.type = 3; })}, 1, 4},
      {"two quads apart", {quad(2, 3, 6, 7), quad(20, 20, 22, 23)}, 1, 22},
      {"the same quad twice", {quad(2, 3, 6, 7), quad(2, 3, 6, 7, 80)}, 1, 16},
      {"overlapping quads", {quad(2, 3, 6, 7), quad(4, 3, 8, 7)}, 1, 24},
      {"the same texels on two pages", {block, edited(block, [](Surface& s) { s.lightmap = 1; })}, 2, 8},
      {"unlit surface", {edited(block, [](Surface& s) { s.lightmap = -1; })}, 1, 0},
      {"patch", {edited(block, [](Surface& s) { s.type = 2; })}, 1, 0},
      {"lightmap past the pages", {edited(block, [](Surface& s) { s.lightmap = 1; })}, 1, 0},
      {"degenerate quad", {quad(4, 4, 4, 4)}, 1, 0},
      // A coordinate that is no number spoils the triangles of its vertex only.
      {"uv not a number", {edited(block, [](Surface& s) { s.vertices[1].s = nan; })}, 1, 3},
      {"position not a number", {edited(block, [](Surface& s) { s.vertices[3].z = nan; })}, 1, 3},
      {"quad far beyond the page", {quad(-1e30f, -1e30f, 1e30f, 1e30f)}, 1, 128 * 128},
      {"unfinished last triangle", {edited(quad(2, 3, 6, 7), [](Surface& s) { s.indices.pop_back(); })}, 1, 10},
  };
  for (const auto& c : cases) {
    std::vector<Luxel> out;
    EXPECT_EQ(play::read_q3_luxels(level(c.surfaces, c.pages), out), LuxelStatus::ok) << c.name;
    EXPECT_EQ(out.size(), c.expected) << c.name;
  }
}

// A surface's light counts as many times as its shader shows it; the
// shaders are read only when asked about.
TEST(Q3Luxels, LightCountsAsItsShaderShowsIt) {
  const play::ShownLight doubled_walls = [](std::string_view name) { return name == "textures/q1/wall" ? 2.0f : 1.0f; };
  const Surface wall = quad(2, 3, 3, 4);
  const Surface floor = edited(quad(2, 3, 3, 4, 80), [](Surface& s) { s.shader = 1; s.lightmap = 1; });
  const float stored = float(2 + 3 + 30) / 3;
  const struct {
    const char* name;
    std::vector<std::string> shaders;
    play::ShownLight shown;
    LuxelStatus status;
    std::vector<float> values;
  } cases[] = {
      {"wall doubled, floor as stored", {"textures/q1/wall", "textures/q1/floor"}, doubled_walls, LuxelStatus::ok,
       {2 * stored, stored}},
      {"a name of the full 64 bytes", {"textures/q1/wall", std::string(64, 'x')}, doubled_walls, LuxelStatus::ok,
       {2 * stored, stored}},
      {"not asked: no shader lump needed", {}, {}, LuxelStatus::ok, {stored, stored}},
      {"a shader past the lump", {"textures/q1/wall"}, doubled_walls, LuxelStatus::bad_offset, {}},
  };
  for (const auto& c : cases) {
    std::vector<Luxel> out;
    EXPECT_EQ(play::read_q3_luxels(level({wall, floor}, 2, c.shaders), out, c.shown), c.status) << c.name;
    std::vector<float> values;
    for (const Luxel& luxel : out) values.push_back(luxel.value);
    EXPECT_EQ(values, c.values) << c.name;
  }
}

TEST(Q3Luxels, DamagedLevelLeavesOutUntouched) {
  const struct {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    LuxelStatus expected;
  } cases[] = {
      {"another magic", [](auto& b) { b[0] = 'R'; }, LuxelStatus::other_format},
      {"another version", [](auto& b) { put_i32(b, 4, 47); }, LuxelStatus::other_format},
      {"header cut short", [](auto& b) { b.resize(100); }, LuxelStatus::bad_offset},
      {"file cut in the lightmaps", [](auto& b) { b.resize(b.size() - 1); }, LuxelStatus::bad_offset},
      {"lump past the end", [](auto& b) { put_i32(b, 8 + 8 * 10, int32_t(b.size())); }, LuxelStatus::bad_offset},
      {"negative lump offset", [](auto& b) { put_i32(b, 8 + 8 * 11, -4); }, LuxelStatus::bad_offset},
      {"part of a vertex", [](auto& b) { put_i32(b, 12 + 8 * 10, 4 * 44 - 1); }, LuxelStatus::bad_size},
      {"part of a page", [](auto& b) { put_i32(b, 12 + 8 * 14, 128 * 128 * 3 - 3); }, LuxelStatus::bad_size},
      {"index beyond the surface's vertices", [](auto& b) { put_i32(b, lump_at(b, 11) + 8, 4); },
       LuxelStatus::bad_offset},
      {"negative index", [](auto& b) { put_i32(b, lump_at(b, 11), -1); }, LuxelStatus::bad_offset},
      {"vertices past their lump", [](auto& b) { put_i32(b, lump_at(b, 13) + 12, 1); }, LuxelStatus::bad_offset},
      {"indices past their lump", [](auto& b) { put_i32(b, lump_at(b, 13) + 24, 9); }, LuxelStatus::bad_offset},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = level({quad(2, 3, 6, 7)});
    c.damage(bytes);
    std::vector<Luxel> out(1, Luxel{1, 2, 3, 4, 5});
    EXPECT_EQ(play::read_q3_luxels(bytes, out), c.expected) << c.name;
    ASSERT_EQ(out.size(), 1u) << c.name;
    EXPECT_EQ(out[0].x, 1) << c.name;
  }
}

}  // namespace
