// Quake's world fog as a Q3 fog volume: the key read as a Quake engine reads
// it, the fogparms distance that fogs a room as much on average, and the
// texture name that carries both to the texture pack.
#include <gtest/gtest.h>

#include <cmath>

#include "fog_volume.h"

using namespace kmap;

namespace {

TEST(FogVolume, QuakeFogKeysAreReadAsTheEngineReadsThem) {
  const struct {
    const char* value;
    bool fog;
    std::array<uint8_t, 3> colour;
  } cases[] = {
      {"0.05 0.725 0.823 0.992", true, {185, 210, 253}},
      {"0.05", true, {77, 77, 77}},         // the engine's grey 0.3
      {"0.05 0.5", true, {128, 77, 77}},    // the channels not given stay grey
      {"0.05 2 -1 0.5", true, {255, 0, 128}},
      {"0 1 1 1", false, {}},
      {"-0.1 1 1 1", false, {}},
      {"dense", false, {}},
      {"", false, {}},
  };
  for (const auto& c : cases) {
    FogVolume fog{{1, 2, 3}, 7};
    EXPECT_EQ(read_quake_fog(c.value, fog), c.fog) << c.value;
    if (c.fog) EXPECT_EQ(fog.colour, c.colour) << c.value;
    else EXPECT_EQ(fog, (FogVolume{{1, 2, 3}, 7})) << c.value << ": untouched";
  }
}

// Both engines' fog averaged over the first 2048 units of depth, summed
// numerically: the distance written must make them the same.
TEST(FogVolume, DistanceFogsTheFirst2048UnitsAsMuchAsQuake) {
  for (const double density : {0.005, 0.018, 0.035, 0.05, 0.1, 0.5}) {
    FogVolume fog;
    ASSERT_TRUE(read_quake_fog(std::to_string(density), fog)) << density;
    double quake = 0, q3 = 0;
    constexpr int steps = 20000;
    for (int i = 0; i < steps; ++i) {
      const double z = (i + 0.5) * 2048 / steps;
      quake += 1 - std::exp(-std::pow(density * z / 64, 2));
      q3 += std::sqrt(std::fmin(1, z / static_cast<double>(fog.distance)));
    }
    EXPECT_NEAR(q3 / quake, 1, 0.005) << density << ": distance " << fog.distance;
  }
  FogVolume light, dense;
  ASSERT_TRUE(read_quake_fog("0.018", light) && read_quake_fog("0.5", dense));
  EXPECT_GT(light.distance, 50000);  // a light haze reaches far
  EXPECT_LT(dense.distance, 2048);   // a dense fog is opaque within the room
}

TEST(FogVolume, TextureNamesCarryTheFogAndNothingElse) {
  const FogVolume fog{{0xf0, 0xff, 0xce}, 90297};
  EXPECT_EQ(fog_texture_name(fog), "korvex/fog_f0ffce_90297");
  const struct {
    const char* name;
    bool read;
  } cases[] = {
      {"korvex/fog_f0ffce_90297", true},  {"KORVEX/FOG_F0FFCE_90297", true}, {"korvex/fog_f0ffce_0", false},
      {"korvex/fog_f0ffce_-5", false},     {"korvex/fog_f0ffc_90297", false},  {"korvex/fog_f0ffcex90297", false},
      {"korvex/fog_f0ffce_90297x", false}, {"korvex/fog_f0ffce_", false},      {"korvex/fog_g0ffce_1", false},
      {"korvex/fog_+0ffce_1", false},      {"korvex/nonsolid", false},         {"q1/fog_f0ffce_1", false},
      {"korvex/fog_f0ffce_99999999999999999999", false},  // a distance no number holds
  };
  for (const auto& c : cases) {
    FogVolume read{{1, 2, 3}, 7};
    EXPECT_EQ(read_fog_texture_name(c.name, read), c.read) << c.name;
    EXPECT_EQ(read, (c.read ? fog : FogVolume{{1, 2, 3}, 7})) << c.name;
  }
}

}  // namespace
