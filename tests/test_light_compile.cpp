// A translated Quake light compiled by the Q3 compiler, in a closed room:
// the floor's lightmap bytes at 16, 64, 128 and 256 units from a "light"
// "300" must be the Quake bytes (0.5 · (300 - d) at normal incidence) as a
// Q3 engine needs them to look the same (× 0.516), within 15 %. Runs only
// where the compiler is: $KORVEX_Q3MAP2, else ../shared/tools/q3map2 beside
// the project; skipped otherwise.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "light_translation.h"
#include "map_limits.h"
#include "temp_dir.h"
#include "test_paths.h"

using namespace conv;

namespace fs = std::filesystem;

namespace {

std::optional<std::string> compiler() {
  const char* named = std::getenv("KORVEX_Q3MAP2");
  const std::string path = named != nullptr ? named : shared_dir() + "/tools/q3map2";
  std::error_code code;
  if (!fs::is_regular_file(path, code)) return std::nullopt;
  return path;
}

// A box brush of six planes, each facing out.
std::string box(int x0, int y0, int z0, int x1, int y1, int z1) {
  std::ostringstream s;
  s << "{\n"
    << "( " << x0 << " 0 0 ) ( " << x0 << " 1 0 ) ( " << x0 << " 0 1 ) room/wall 0 0 0 0.5 0.5 0 0 0\n"
    << "( " << x1 << " 0 0 ) ( " << x1 << " 0 1 ) ( " << x1 << " 1 0 ) room/wall 0 0 0 0.5 0.5 0 0 0\n"
    << "( 0 " << y0 << " 0 ) ( 0 " << y0 << " 1 ) ( 1 " << y0 << " 0 ) room/wall 0 0 0 0.5 0.5 0 0 0\n"
    << "( 0 " << y1 << " 0 ) ( 1 " << y1 << " 0 ) ( 0 " << y1 << " 1 ) room/wall 0 0 0 0.5 0.5 0 0 0\n"
    << "( 0 0 " << z0 << " ) ( 1 0 " << z0 << " ) ( 0 1 " << z0 << " ) room/wall 0 0 0 0.5 0.5 0 0 0\n"
    << "( 0 0 " << z1 << " ) ( 0 1 " << z1 << " ) ( 1 0 " << z1 << " ) room/wall 0 0 0 0.5 0.5 0 0 0\n"
    << "}\n";
  return s.str();
}

// The floor (z = 0, facing up) of a compiled map: its lightmap, read at any
// point by interpolating the luxels around it.
class Floor {
 public:
  explicit Floor(const std::string& bsp) : bsp_(bsp) {}

  // The lightmap value (red) at (x, y), or a negative number when no floor
  // triangle holds the point.
  [[nodiscard]] double at(double x, double y) const {
    const Lump verts = lump(10), indexes = lump(11), surfaces = lump(13), lightmaps = lump(14);
    for (size_t s = 0; s + 104 <= surfaces.size; s += 104) {
      const char* surface = bsp_.data() + surfaces.offset + s;
      const int first_vert = int_at(surface + 12), first_index = int_at(surface + 20);
      const int index_count = int_at(surface + 24), lightmap = int_at(surface + 28);
      if (lightmap < 0) continue;
      for (int t = 0; t + 3 <= index_count; t += 3) {
        float v[3][10];
        for (int k = 0; k < 3; ++k) {
          const int index = int_at(bsp_.data() + indexes.offset + 4 * static_cast<size_t>(first_index + t + k));
          std::memcpy(v[k], bsp_.data() + verts.offset + 44 * static_cast<size_t>(first_vert + index), sizeof v[k]);
        }
        if (std::fabs(v[0][2]) > 0.01f || std::fabs(v[1][2]) > 0.01f || std::fabs(v[2][2]) > 0.01f || v[0][9] < 0.99f)
          continue;
        const double det = (v[1][1] - v[2][1]) * (v[0][0] - v[2][0]) + (v[2][0] - v[1][0]) * (v[0][1] - v[2][1]);
        if (std::fabs(det) < 1e-9) continue;
        const double a = ((v[1][1] - v[2][1]) * (x - v[2][0]) + (v[2][0] - v[1][0]) * (y - v[2][1])) / det;
        const double b = ((v[2][1] - v[0][1]) * (x - v[2][0]) + (v[0][0] - v[2][0]) * (y - v[2][1])) / det;
        if (a < -1e-6 || b < -1e-6 || a + b > 1 + 1e-6) continue;
        const double u = a * v[0][5] + b * v[1][5] + (1 - a - b) * v[2][5];
        const double w = a * v[0][6] + b * v[1][6] + (1 - a - b) * v[2][6];
        return bilinear(lightmaps, lightmap, u * page - 0.5, w * page - 0.5);
      }
    }
    return -1;
  }

 private:
  static constexpr int page = 128;  // a lightmap page is 128 × 128 RGB luxels
  struct Lump {
    size_t offset, size;
  };
  static int int_at(const char* p) {
    int32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
  }
  Lump lump(int n) const {
    return {static_cast<size_t>(int_at(bsp_.data() + 8 + 8 * n)), static_cast<size_t>(int_at(bsp_.data() + 12 + 8 * n))};
  }
  double bilinear(const Lump& lightmaps, int lightmap, double px, double py) const {
    const int x0 = static_cast<int>(std::floor(px)), y0 = static_cast<int>(std::floor(py));
    const double fx = px - x0, fy = py - y0;
    const auto luxel = [&](int lx, int ly) {
      const size_t at = lightmaps.offset + static_cast<size_t>(lightmap) * page * page * 3 +
                        (static_cast<size_t>(ly) * page + static_cast<size_t>(lx)) * 3;
      return static_cast<double>(static_cast<unsigned char>(bsp_[at]));
    };
    return (1 - fy) * ((1 - fx) * luxel(x0, y0) + fx * luxel(x0 + 1, y0)) +
           fy * ((1 - fx) * luxel(x0, y0 + 1) + fx * luxel(x0 + 1, y0 + 1));
  }

  const std::string& bsp_;
};

TEST(LightCompile, QuakeLight300LooksTheSameInQ3) {
  const auto q3map2 = compiler();
  if (!q3map2) GTEST_SKIP() << "no Q3 compiler (../shared/tools/q3map2 or $KORVEX_Q3MAP2)";

  // The Quake light, 8 units above the floor of a 1024-unit room.
  kmap::Entity light, world;
  light.lines.configure(kmap::extended_limits, true);
  world.lines.configure(kmap::extended_limits, true);
  ASSERT_EQ(light.add("classname", "light"), CONV_OK);
  ASSERT_EQ(light.add("origin", "256 512 8"), CONV_OK);
  ASSERT_EQ(light.add("light", "300"), CONV_OK);
  LightTranslation out;
  LightReport report;
  ASSERT_EQ(translate_light(light, "light", world_light_facts(world, false), TargetTable{}, out, report), CONV_OK);
  std::string entity = "{\n";
  for (int i = 0; i < light.lines.size(); ++i) entity += std::string(light.lines.view(i)) + "\n";
  entity += "}\n";

  TempDir dir;
  fs::create_directories(dir.file("base/baseoa/maps"));
  const std::string map = dir.file("base/baseoa/maps/room.map");
  std::ofstream(map) << "{\n\"classname\" \"worldspawn\"\n" << box(-16, -16, -16, 1040, 1040, 0)
                     << box(-16, -16, 512, 1040, 1040, 528) << box(-16, -16, 0, 0, 1040, 512)
                     << box(1024, -16, 0, 1040, 1040, 512) << box(0, -16, 0, 1024, 0, 512)
                     << box(0, 1024, 0, 1024, 1040, 512) << "}\n"
                     << entity << "{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"512 512 64\"\n}\n";
  const std::string q3 = "'" + *q3map2 + "' -fs_basepath '" + dir.file("base") + "' -fs_basegame baseoa -fs_homepath '" +
                         dir.file("home") + "' -game quake3 ";
  const std::string log = " > '" + dir.file("log.txt") + "' 2>&1";
  ASSERT_EQ(std::system((q3 + "-bsp -meta '" + map + "'" + log).c_str()), 0) << dir.read("log.txt").value_or("");
  ASSERT_EQ(std::system((q3 + "-light -fast '" + map + "'" + log).c_str()), 0) << dir.read("log.txt").value_or("");
  const std::string bsp = dir.read("base/baseoa/maps/room.bsp").value_or("");
  ASSERT_TRUE(bsp.starts_with("IBSP")) << dir.read("log.txt").value_or("");

  const Floor floor(bsp);
  for (const double distance : {16.0, 64.0, 128.0, 256.0}) {
    const double quake_byte = 0.5 * (300 - distance);
    const double wanted = 0.516 * quake_byte;
    const double got = floor.at(256 + std::sqrt(distance * distance - 64), 512);
    EXPECT_NEAR(got, wanted, 0.15 * wanted) << distance << " units from the light";
    std::printf("%3.0f units from the light: byte %5.1f, Quake %5.1f, wanted %5.1f\n", distance, got, quake_byte, wanted);
  }
}

}  // namespace
