#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "lightmap_luxels.h"
#include "test_paths.h"

using play::LuxelStatus;

namespace {

// One quad face of a level being built; its plane and texinfo are its own.
struct QuadFace {
  std::array<std::array<float, 3>, 4> corners;
  std::array<float, 4> plane;  // normal, dist
  uint16_t side = 0;
  std::array<float, 8> vecs;   // s axis and offset, t axis and offset
  int32_t flags = 0;
  std::array<uint8_t, 4> styles{0, 255, 255, 255};
  int32_t light_offset = 0;
};

class Bytes {
 public:
  std::vector<uint8_t> data;
  template <class T>
  void put(T value) {
    uint8_t raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    data.insert(data.end(), raw, raw + sizeof value);
  }
};

// A level of the faces, with version 29's narrow fields or BSP2's wide ones.
std::vector<uint8_t> level(const std::vector<QuadFace>& faces, const std::vector<uint8_t>& lighting, bool bsp2 = false,
                           const std::string& entities = "") {
  std::array<Bytes, 15> lumps;
  Bytes& planes = lumps[1];
  Bytes& vertices = lumps[3];
  Bytes& texinfo = lumps[6];
  Bytes& face_lump = lumps[7];
  Bytes& edges = lumps[12];
  Bytes& surfedges = lumps[13];
  lumps[0].data.assign(entities.begin(), entities.end());
  lumps[8].data = lighting;
  const auto put_edge = [&](uint32_t a, uint32_t b) {
    if (bsp2) {
      edges.put(a), edges.put(b);
    } else {
      edges.put(uint16_t(a)), edges.put(uint16_t(b));
    }
  };
  put_edge(0, 0);  // edge 0 has no negative: levels leave it unused
  for (size_t f = 0; f < faces.size(); ++f) {
    const QuadFace& q = faces[f];
    for (float value : q.plane) planes.put(value);
    planes.put<int32_t>(0);
    for (float value : q.vecs) texinfo.put(value);
    texinfo.put<int32_t>(0);
    texinfo.put(q.flags);
    const uint32_t first_vertex = uint32_t(vertices.data.size() / 12);
    const int32_t first_surfedge = int32_t(surfedges.data.size() / 4);
    for (uint32_t k = 0; k < 4; ++k) {
      for (float value : q.corners[k]) vertices.put(value);
      // Odd edges are stored backwards and walked through a negative surfedge.
      const uint32_t from = first_vertex + k, to = first_vertex + (k + 1) % 4;
      const int32_t edge = int32_t(edges.data.size() / (bsp2 ? 8 : 4));
      const auto [a, b] = k % 2 ? std::array{to, from} : std::array{from, to};
      put_edge(a, b);
      surfedges.put(k % 2 ? -edge : edge);
    }
    if (bsp2) {
      for (uint32_t field : {uint32_t(f), uint32_t(q.side), uint32_t(first_surfedge), 4u, uint32_t(f)})
        face_lump.put(field);
    } else {
      face_lump.put(uint16_t(f)), face_lump.put(q.side), face_lump.put(first_surfedge), face_lump.put(uint16_t(4));
      face_lump.put(uint16_t(f));
    }
    for (uint8_t style : q.styles) face_lump.put(style);
    face_lump.put(q.light_offset);
  }
  Bytes file;
  if (bsp2)
    file.data = {'B', 'S', 'P', '2'};
  else
    file.put<int32_t>(29);
  uint32_t offset = 4 + 15 * 8;
  for (const Bytes& lump : lumps) {
    file.put(offset), file.put(uint32_t(lump.data.size()));
    offset += uint32_t(lump.data.size());
  }
  for (const Bytes& lump : lumps) file.data.insert(file.data.end(), lump.data.begin(), lump.data.end());
  return file.data;
}

// A 16 x 16 floor at height 0 whose texture axes are x and y.
QuadFace floor_quad() {
  return {{{{0, 0, 0}, {16, 0, 0}, {16, 16, 0}, {0, 16, 0}}}, {0, 0, 1, 0}, 0, {1, 0, 0, 0, 0, 1, 0, 0}};
}

template <class Change>
QuadFace floor_with(Change change) {
  QuadFace q = floor_quad();
  change(q);
  return q;
}

using Sample = std::array<float, 5>;  // x, y, z, facing, value

std::vector<Sample> samples_of(const std::vector<play::Luxel>& luxels) {
  std::vector<Sample> samples;
  for (const auto& l : luxels) samples.push_back({l.x, l.y, l.z, float(l.facing), l.value});
  return samples;
}

TEST(QuakeLuxels, PlacesEachSampleOfTheLitFaces) {
  struct Case {
    const char* what;
    std::vector<QuadFace> faces;
    std::vector<uint8_t> lighting;
    std::vector<Sample> expected;
    std::string entities = "";
  };
  const auto styled = [](std::array<uint8_t, 4> styles) {
    return floor_with([&](QuadFace& q) { q.styles = styles; });
  };
  const std::vector<uint8_t> two_maps{10, 20, 30, 40, 1, 2, 3, 4};
  const QuadFace ceiling{{{{0, 0, 64}, {32, 0, 64}, {16, 16, 64}, {0, 16, 64}}},
                         {0, 0, 1, 64}, 1, {1, 0, 0, 8, 0, 1, 0, 0}};
  const QuadFace west_wall{{{{0, 0, 0}, {0, 16, 0}, {0, 16, 16}, {0, 0, 16}}},
                           {-1, 0, 0, 0}, 0, {0, 1, 0, 0, 0, 0, -1, 0}, 0, {0, 255, 255, 255}, 2};
  const std::vector<Case> cases{
      {"floor, 2 x 2", {floor_quad()}, {10, 20, 30, 40},
       {{0, 0, 0, 4, 10}, {16, 0, 0, 4, 20}, {0, 16, 0, 4, 30}, {16, 16, 0, 4, 40}}},
      {"ceiling trapezoid: the plane's back side, s shifted by 8 so 4 wide", {ceiling}, {1, 2, 3, 4, 5, 6, 7, 8},
       {{-8, 0, 64, 5, 1}, {8, 0, 64, 5, 2}, {24, 0, 64, 5, 3}, {40, 0, 64, 5, 4},
        {-8, 16, 64, 5, 5}, {8, 16, 64, 5, 6}, {24, 16, 64, 5, 7}, {40, 16, 64, 5, 8}}},
      {"wall facing -x, t down z, lightmap at byte 2", {west_wall}, {0, 0, 7, 8, 9, 10},
       {{0, 0, 16, 1, 7}, {0, 16, 16, 1, 8}, {0, 0, 0, 1, 9}, {0, 16, 0, 1, 10}}},
      {"unlit faces pass by", {floor_with([](QuadFace& q) { q.flags = 1; }),
                               styled({255, 255, 255, 255}),
                               floor_with([](QuadFace& q) { q.light_offset = -1; }), floor_quad()},
       {10, 20, 30, 40}, {{0, 0, 0, 4, 10}, {16, 0, 0, 4, 20}, {0, 16, 0, 4, 30}, {16, 16, 0, 4, 40}}},
      {"a face lit by two styles: their maps add up", {styled({0, 5, 255, 255})}, two_maps,
       {{0, 0, 0, 4, 11}, {16, 0, 0, 4, 22}, {0, 16, 0, 4, 33}, {16, 16, 0, 4, 44}}},
      {"a switchable light's map alone", {styled({32, 255, 255, 255})}, {10, 20, 30, 40},
       {{0, 0, 0, 4, 10}, {16, 0, 0, 4, 20}, {0, 16, 0, 4, 30}, {16, 16, 0, 4, 40}}},
      {"the map of a light that starts off is dark", {styled({0, 5, 255, 255})}, two_maps,
       {{0, 0, 0, 4, 10}, {16, 0, 0, 4, 20}, {0, 16, 0, 4, 30}, {16, 16, 0, 4, 40}},
       "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"light\"\n\"style\" \"5\"\n\"spawnflags\" \"1\"\n}\n"},
      {"a start-off flag on another class, or on style 0, darkens nothing", {styled({0, 5, 255, 255})}, two_maps,
       {{0, 0, 0, 4, 11}, {16, 0, 0, 4, 22}, {0, 16, 0, 4, 33}, {16, 16, 0, 4, 44}},
       "{ \"classname\" \"func_door\" \"style\" \"5\" \"spawnflags\" \"1\" }"
       "{ \"classname\" \"light\" \"style\" \"0\" \"spawnflags\" \"1\" }"},
      {"the sum stops at 255", {styled({0, 5, 255, 255})}, {200, 0, 0, 0, 100, 0, 0, 0},
       {{0, 0, 0, 4, 255}, {16, 0, 0, 4, 0}, {0, 16, 0, 4, 0}, {16, 16, 0, 4, 0}}},
      {"texture axes along one line: no place", {floor_with([](QuadFace& q) { q.vecs = {1, 0, 0, 0, 1, 0, 0, 0}; })},
       {1, 2, 3, 4}, {}},
  };
  for (const Case& c : cases) {
    for (bool bsp2 : {false, true}) {
      std::vector<play::Luxel> out;
      ASSERT_EQ(play::read_quake_luxels(level(c.faces, c.lighting, bsp2, c.entities), out), LuxelStatus::ok) << c.what;
      EXPECT_EQ(samples_of(out), c.expected) << c.what << (bsp2 ? " (BSP2)" : "");
    }
  }
}

// Fields of the one-face version 29 level built by level({floor_quad()}, four bytes).
uint32_t lump_field(const std::vector<uint8_t>& file, size_t lump, size_t field) {
  uint32_t value;
  std::memcpy(&value, file.data() + 4 + lump * 8 + field * 4, 4);
  return value;
}
template <class T>
void put_at(std::vector<uint8_t>& file, size_t at, T value) {
  std::memcpy(file.data() + at, &value, sizeof value);
}
constexpr size_t faces_lump = 7, edges_lump = 12, surfedges_lump = 13, vertices_lump = 3;
void set_face(std::vector<uint8_t>& file, size_t at, auto value) {
  put_at(file, lump_field(file, faces_lump, 0) + at, value);
}

TEST(QuakeLuxels, RefusesDamagedLevelsAndLeavesOutAlone) {
  using Damage = std::function<void(std::vector<uint8_t>&)>;
  struct Case {
    const char* what;
    Damage damage;
    LuxelStatus expected;
  };
  const std::vector<Case> cases{
      {"version 30", [](auto& f) { put_at(f, 0, int32_t{30}); }, LuxelStatus::other_format},
      {"three bytes", [](auto& f) { f.resize(3); }, LuxelStatus::other_format},
      {"cut inside the directory", [](auto& f) { f.resize(100); }, LuxelStatus::bad_offset},
      {"cut inside the last lump", [](auto& f) { f.pop_back(); }, LuxelStatus::bad_offset},
      {"lighting runs past the end", [](auto& f) { put_at(f, 4 + 8 * 8 + 4, uint32_t{5000}); },
       LuxelStatus::bad_offset},
      {"faces lump of 19 bytes", [](auto& f) { put_at(f, 4 + 7 * 8 + 4, uint32_t{19}); }, LuxelStatus::bad_size},
      {"plane 5 of 1", [](auto& f) { set_face(f, 0, uint16_t{5}); }, LuxelStatus::bad_offset},
      {"texinfo 5 of 1", [](auto& f) { set_face(f, 10, uint16_t{5}); }, LuxelStatus::bad_offset},
      {"surfedges 3..6 of 4", [](auto& f) { set_face(f, 4, int32_t{3}); }, LuxelStatus::bad_offset},
      {"first surfedge -1", [](auto& f) { set_face(f, 4, int32_t{-1}); }, LuxelStatus::bad_offset},
      {"edge 99 of 5", [](auto& f) { put_at(f, lump_field(f, surfedges_lump, 0), int32_t{99}); },
       LuxelStatus::bad_offset},
      {"edge -2^31", [](auto& f) { put_at(f, lump_field(f, surfedges_lump, 0), int32_t{INT32_MIN}); },
       LuxelStatus::bad_offset},
      {"vertex 99 of 4", [](auto& f) { put_at(f, lump_field(f, edges_lump, 0) + 4, uint16_t{99}); },
       LuxelStatus::bad_offset},
      {"lightmap past its lump", [](auto& f) { set_face(f, 16, int32_t{1}); }, LuxelStatus::bad_offset},
      {"a vertex not a number", [](auto& f) { put_at(f, lump_field(f, vertices_lump, 0), NAN); },
       LuxelStatus::bad_size},
      {"a face 4096 units wide", [](auto& f) { put_at(f, lump_field(f, vertices_lump, 0), -4096.0f); },
       LuxelStatus::bad_size},
      {"a vertex at 1e30", [](auto& f) { put_at(f, lump_field(f, vertices_lump, 0), 1e30f); },
       LuxelStatus::bad_size},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> file = level({floor_quad()}, {1, 2, 3, 4});
    c.damage(file);
    std::vector<play::Luxel> out(1);
    out[0].value = 99;
    EXPECT_EQ(play::read_quake_luxels(file, out), c.expected) << c.what;
    ASSERT_EQ(out.size(), 1u) << c.what;
    EXPECT_EQ(out[0].value, 99) << c.what;
  }
}

TEST(QuakeLuxels, RefusesFacesSharingOneLightmap) {
  // A hostile level could point thousands of faces at the same bytes.
  std::vector<play::Luxel> out;
  EXPECT_EQ(play::read_quake_luxels(level({floor_quad(), floor_quad()}, {1, 2, 3, 4}), out), LuxelStatus::bad_size);
  EXPECT_TRUE(out.empty());
}

TEST(QuakeLuxels, ReadsACompiledLevel) {
  const std::string path = shared_dir() + "/textures/q1/bsp/prefab_textstory.bsp";
  std::ifstream in(path, std::ios::binary);
  if (shared_dir().empty() || !in) GTEST_SKIP() << "no " << path;
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<play::Luxel> out(1);
  ASSERT_EQ(play::read_quake_luxels(file, out), LuxelStatus::ok);
  // The counts and the sum of the bytes a separate reading of the file gave.
  ASSERT_EQ(out.size(), 1u + 13537u);
  double sum = 0;
  for (size_t k = 1; k < out.size(); ++k) sum += out[k].value;
  EXPECT_EQ(sum, 1029853);
}

// Every compiled Quake level at hand reads, as the light match needs.
TEST(QuakeLuxels, ReadsEveryCompiledLevelAtHand) {
  const std::string folder = shared_dir() + "/textures/q1/bsp";
  std::error_code code;
  if (shared_dir().empty() || !std::filesystem::is_directory(folder, code)) GTEST_SKIP() << "no " << folder;
  size_t levels = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".bsp") continue;
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<play::Luxel> out;
    // A version 30 level is another game's, with coloured light of its own.
    const bool other_game = file.size() >= 4 && file[0] == 30 && file[1] == 0 && file[2] == 0 && file[3] == 0;
    EXPECT_EQ(play::read_quake_luxels(file, out), other_game ? LuxelStatus::other_format : LuxelStatus::ok);
    levels += other_game ? 0 : 1;
  }
  EXPECT_GT(levels, 0u);
}

}  // namespace
