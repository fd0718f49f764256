#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "byte_view.h"
#include "lightmap_luxels.h"

namespace play {

namespace {

using texpack::ByteView;

// The lumps of the level's directory that the samples need.
constexpr size_t entities_lump = 0;
constexpr size_t planes_lump = 1;
constexpr size_t vertices_lump = 3;
constexpr size_t texinfo_lump = 6;
constexpr size_t faces_lump = 7;
constexpr size_t lighting_lump = 8;
constexpr size_t edges_lump = 12;
constexpr size_t surfedges_lump = 13;
constexpr size_t lump_count = 15;
constexpr uint64_t directory_bytes = 4 + lump_count * 8;

constexpr uint64_t plane_bytes = 20;
constexpr uint64_t vertex_bytes = 12;
constexpr uint64_t texinfo_bytes = 40;
constexpr uint64_t surfedge_bytes = 4;

// BSP2 widens the face's and the edge's fields to 32 bits; the rest is version 29.
struct Layout {
  bool wide = false;
  uint64_t face_bytes = 20;
  uint64_t edge_bytes = 4;
};
constexpr Layout narrow_layout{false, 20, 4};
constexpr Layout wide_layout{true, 28, 8};

constexpr uint32_t texinfo_special = 1;  // sky and liquids: no lightmap
constexpr double luxel_spacing = 16;     // texture units between two samples
// The classic compilers keep a face to 18 samples a side; past 256 a file is hostile.
constexpr double max_luxels_a_side = 256;
// Guards floor() and the sample's texture coordinates against absurd values.
constexpr double max_texture_coord = 1 << 24;

struct Lump {
  uint64_t offset = 0;
  uint64_t count = 0;  // whole records
};

struct Face {
  uint32_t plane = 0;
  uint32_t side = 0;
  int64_t first_edge = 0;
  uint32_t edge_count = 0;
  uint32_t texinfo = 0;
  std::array<uint8_t, 4> styles{};  // 255: no more
  int32_t light_offset = 0;
};

constexpr uint8_t no_style = 255;

using Vec3 = std::array<double, 3>;

double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

struct Context {
  ByteView file;
  Layout layout;
  std::array<Lump, lump_count> lumps{};
  std::array<bool, 256> dark_at_start{};  // the light styles of lights that start off
};

// The styles of the level's lights that start off (spawnflag 1 of a light
// class with a "style" of 1 to 254): their maps are dark when the level
// starts. Reads the entities' quoted words: key, value, key, value.
std::array<bool, 256> styles_dark_at_start(std::string_view text) {
  std::array<bool, 256> dark{};
  std::vector<std::string_view> words;
  const auto close_entity = [&] {
    std::string_view classname;
    long style = 0, flags = 0;
    for (size_t k = 0; k + 1 < words.size(); k += 2) {
      if (words[k] == "classname") classname = words[k + 1];
      if (words[k] == "style") style = std::strtol(std::string(words[k + 1]).c_str(), nullptr, 10);
      if (words[k] == "spawnflags") flags = std::strtol(std::string(words[k + 1]).c_str(), nullptr, 10);
    }
    if (classname.starts_with("light") && (flags & 1) != 0 && style > 0 && style < no_style) dark[size_t(style)] = true;
    words.clear();
  };
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '}') close_entity();
    if (text[at] != '"') continue;
    const size_t end = text.find('"', at + 1);
    if (end == std::string_view::npos) break;
    words.push_back(text.substr(at + 1, end - at - 1));
    at = end;
  }
  return dark;
}

Face read_face(const Context& c, uint64_t index) {
  const uint64_t at = c.lumps[faces_lump].offset + index * c.layout.face_bytes;
  // Version 29's fields are 16 bits where BSP2's are 32; first_edge and
  // light_offset are 32 in both.
  const uint64_t width = c.layout.wide ? 4 : 2;
  const auto field = [&](uint64_t place) { return c.layout.wide ? c.file.u32(place) : uint32_t{c.file.u16(place)}; };
  Face f;
  f.plane = field(at);
  f.side = field(at + width);
  f.first_edge = c.file.i32(at + 2 * width);
  f.edge_count = field(at + 2 * width + 4);
  f.texinfo = field(at + 3 * width + 4);
  for (size_t k = 0; k < 4; ++k) f.styles[k] = c.file.u8(at + 4 * width + 4 + k);
  f.light_offset = c.file.i32(at + 4 * width + 8);
  return f;
}

Vec3 read_vec3(const ByteView& file, uint64_t at) { return {file.f32(at), file.f32(at + 4), file.f32(at + 8)}; }

// The face's vertex number `k`, through its surfedge and edge; false when an
// index leaves its lump.
bool face_vertex(const Context& c, const Face& face, uint32_t k, Vec3& out) {
  const int64_t surfedge = face.first_edge + k;  // in range: checked by the caller
  const int64_t edge = c.file.i32(c.lumps[surfedges_lump].offset + static_cast<uint64_t>(surfedge) * surfedge_bytes);
  const uint64_t edge_index = static_cast<uint64_t>(std::llabs(edge));
  if (edge_index >= c.lumps[edges_lump].count) return false;
  const uint64_t at = c.lumps[edges_lump].offset + edge_index * c.layout.edge_bytes;
  const bool reversed = edge < 0;
  const uint64_t vertex = c.layout.wide ? c.file.u32(at + (reversed ? 4 : 0)) : c.file.u16(at + (reversed ? 2 : 0));
  if (vertex >= c.lumps[vertices_lump].count) return false;
  out = read_vec3(c.file, c.lumps[vertices_lump].offset + vertex * vertex_bytes);
  return true;
}

double det3(const std::array<Vec3, 3>& m) {
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The point p with rows·p = rhs (Cramer's rule), or false when the rows are
// (nearly) dependent or the point is beyond a float.
bool solve3(const std::array<Vec3, 3>& rows, const Vec3& rhs, Vec3& p) {
  const double det = det3(rows);
  if (std::fabs(det) < 1e-9) return false;
  Vec3 result{};
  for (size_t column = 0; column < 3; ++column) {
    std::array<Vec3, 3> m = rows;
    for (size_t row = 0; row < 3; ++row) m[row][column] = rhs[row];
    result[column] = det3(m) / det;
    if (!(std::fabs(result[column]) <= std::numeric_limits<float>::max())) return false;
  }
  p = result;
  return true;
}

// The dominant axis * 2, + 1 when the normal points down it; the first axis wins a tie.
uint8_t facing_of(const Vec3& n) {
  size_t axis = 0;
  for (size_t a = 1; a < 3; ++a)
    if (std::fabs(n[a]) > std::fabs(n[axis])) axis = a;
  return static_cast<uint8_t>(axis * 2 + (n[axis] < 0 ? 1 : 0));
}

// Appends the samples of one face to `out`, and takes them and the face's
// surfedges from what is left of the level's budgets.
LuxelStatus face_luxels(const Context& c, const Face& face, uint64_t& luxel_budget, uint64_t& edge_budget,
                        std::vector<Luxel>& out) {
  if (face.texinfo >= c.lumps[texinfo_lump].count || face.plane >= c.lumps[planes_lump].count)
    return LuxelStatus::bad_offset;
  const uint64_t tex_at = c.lumps[texinfo_lump].offset + uint64_t{face.texinfo} * texinfo_bytes;
  if (c.file.u32(tex_at + 36) & texinfo_special) return LuxelStatus::ok;
  if (face.first_edge < 0 || uint64_t(face.first_edge) + face.edge_count > c.lumps[surfedges_lump].count)
    return LuxelStatus::bad_offset;
  if (face.edge_count == 0) return LuxelStatus::ok;
  // Each face of a compiled level has surfedges of its own: more means the
  // faces share them, and a hostile file could make us loop for hours.
  if (face.edge_count > edge_budget) return LuxelStatus::bad_size;
  edge_budget -= face.edge_count;

  const std::array<Vec3, 2> vecs{read_vec3(c.file, tex_at), read_vec3(c.file, tex_at + 16)};
  const std::array<double, 2> offsets{c.file.f32(tex_at + 12), c.file.f32(tex_at + 28)};
  std::array<double, 2> lo{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  std::array<double, 2> hi{-lo[0], -lo[1]};
  for (uint32_t k = 0; k < face.edge_count; ++k) {
    Vec3 v;
    if (!face_vertex(c, face, k, v)) return LuxelStatus::bad_offset;
    for (size_t a = 0; a < 2; ++a) {
      const double coord = dot(v, vecs[a]) + offsets[a];
      if (!std::isfinite(coord)) return LuxelStatus::bad_size;
      lo[a] = std::min(lo[a], coord);
      hi[a] = std::max(hi[a], coord);
    }
  }
  std::array<double, 2> first{};
  std::array<uint64_t, 2> size{};
  for (size_t a = 0; a < 2; ++a) {
    if (std::fabs(lo[a]) > max_texture_coord || std::fabs(hi[a]) > max_texture_coord) return LuxelStatus::bad_size;
    first[a] = std::floor(lo[a] / luxel_spacing);
    const double samples = std::ceil(hi[a] / luxel_spacing) - first[a] + 1;
    if (samples > max_luxels_a_side) return LuxelStatus::bad_size;
    size[a] = static_cast<uint64_t>(samples);
  }
  const uint64_t count = size[0] * size[1];
  uint64_t maps = 0;
  while (maps < face.styles.size() && face.styles[maps] != no_style) ++maps;
  if (face.light_offset < 0 || uint64_t(face.light_offset) + maps * count > c.lumps[lighting_lump].count)
    return LuxelStatus::bad_offset;
  if (maps * count > luxel_budget) return LuxelStatus::bad_size;
  luxel_budget -= maps * count;

  const uint64_t plane_at = c.lumps[planes_lump].offset + uint64_t{face.plane} * plane_bytes;
  Vec3 normal = read_vec3(c.file, plane_at);
  double dist = c.file.f32(plane_at + 12);
  if (face.side != 0) {
    normal = {-normal[0], -normal[1], -normal[2]};
    dist = -dist;
  }
  const std::array<Vec3, 3> rows{vecs[0], vecs[1], normal};
  const uint8_t facing = facing_of(normal);
  const uint64_t light_at = c.lumps[lighting_lump].offset + uint64_t(face.light_offset);
  for (uint64_t j = 0; j < size[1]; ++j) {
    for (uint64_t i = 0; i < size[0]; ++i) {
      const double s = (first[0] + double(i)) * luxel_spacing;
      const double t = (first[1] + double(j)) * luxel_spacing;
      Vec3 p;
      if (!solve3(rows, {s - offsets[0], t - offsets[1], dist}, p)) continue;
      Luxel luxel;
      luxel.x = static_cast<float>(p[0]);
      luxel.y = static_cast<float>(p[1]);
      luxel.z = static_cast<float>(p[2]);
      luxel.facing = facing;
      // The engine adds the maps of the face's styles, each at its level;
      // at the start a style is at its normal level unless its light starts off.
      unsigned light = 0;
      for (uint64_t m = 0; m < maps; ++m)
        if (!c.dark_at_start[face.styles[m]]) light += c.file.u8(light_at + m * count + j * size[0] + i);
      luxel.value = static_cast<float>(std::min(light, 255u));
      out.push_back(luxel);
    }
  }
  return LuxelStatus::ok;
}

// Fills the directory; bad_offset when a lump leaves the file, bad_size when
// it holds no whole number of its records.
LuxelStatus read_directory(Context& c) {
  if (!c.file.holds(0, directory_bytes)) return LuxelStatus::bad_offset;
  struct Wanted {
    size_t index;
    uint64_t record_bytes;
  };
  const std::array<Wanted, 8> wanted{{{entities_lump, 1},
                                      {planes_lump, plane_bytes},
                                      {vertices_lump, vertex_bytes},
                                      {texinfo_lump, texinfo_bytes},
                                      {faces_lump, c.layout.face_bytes},
                                      {lighting_lump, 1},
                                      {edges_lump, c.layout.edge_bytes},
                                      {surfedges_lump, surfedge_bytes}}};
  for (const auto& [index, record_bytes] : wanted) {
    const uint64_t offset = c.file.u32(4 + 8 * index);
    const uint64_t length = c.file.u32(8 + 8 * index);
    if (!c.file.holds(offset, length)) return LuxelStatus::bad_offset;
    if (length % record_bytes != 0) return LuxelStatus::bad_size;
    c.lumps[index] = {offset, length / record_bytes};
  }
  return LuxelStatus::ok;
}

}  // namespace

LuxelStatus read_quake_luxels(std::span<const uint8_t> bsp, std::vector<Luxel>& out) {
  Context c{ByteView(bsp), {}, {}};
  if (c.file.starts_with("BSP2"))
    c.layout = wide_layout;
  else if (c.file.holds(0, 4) && c.file.i32(0) == 29)
    c.layout = narrow_layout;
  else
    return LuxelStatus::other_format;
  if (const auto status = read_directory(c); status != LuxelStatus::ok) return status;
  const Lump& entities = c.lumps[entities_lump];
  const std::span<const uint8_t> entity_text = bsp.subspan(entities.offset, entities.count);
  c.dark_at_start = styles_dark_at_start({reinterpret_cast<const char*>(entity_text.data()), entity_text.size()});

  // Faces of a compiled level own their samples and surfedges, so neither
  // total can pass its lump's size.
  uint64_t luxel_budget = c.lumps[lighting_lump].count;
  uint64_t edge_budget = c.lumps[surfedges_lump].count;
  std::vector<Luxel> found;
  for (uint64_t index = 0; index < c.lumps[faces_lump].count; ++index) {
    const Face face = read_face(c, index);
    if (face.light_offset < 0 || face.styles[0] == no_style) continue;
    if (const auto status = face_luxels(c, face, luxel_budget, edge_budget, found); status != LuxelStatus::ok)
      return status;
  }
  out.insert(out.end(), found.begin(), found.end());
  return LuxelStatus::ok;
}

}  // namespace play
