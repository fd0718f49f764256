// The light match: samples paired by place and facing, and the switch that
// applies the factor found.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "light_match.h"
#include "lightmap_scale.h"

namespace {

using play::Luxel;

// `count` samples along x, one per 16-unit cell, starting at `x0`.
std::vector<Luxel> row(size_t count, float value, uint8_t facing = 5, float x0 = 0) {
  std::vector<Luxel> luxels;
  for (size_t i = 0; i < count; ++i) luxels.push_back({x0 + 16.0f * static_cast<float>(i) + 4, 8, 0, facing, value});
  return luxels;
}

std::vector<Luxel> joined(std::vector<Luxel> a, const std::vector<Luxel>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(LightMatch, PairsSamplesByPlaceAndFacing) {
  const size_t n = play::light_match_min_places;
  struct Case {
    const char* what;
    std::vector<Luxel> original, compiled;
    std::optional<double> factor;  // with a byte ratio of 0.5
  };
  const Case cases[] = {
      {"same places", row(n, 100), row(n, 25), 2.0},
      {"two compiled samples in a cell count as their mean", row(n, 100), joined(row(n, 20), row(n, 30)), 2.0},
      {"compiled samples elsewhere are not paired", joined(row(n, 100), row(n, 200, 5, 100000)), row(n, 50), 1.0},
      {"the other side of a wall is another place", row(n, 100), row(n, 25, 4), std::nullopt},
      {"one place short of the fewest", row(n - 1, 100), row(n - 1, 25), std::nullopt},
      {"a compile without light", row(n, 100), row(n, 0), std::nullopt},
      {"samples far outside any level", row(n, 100, 5, 1e9f), row(n, 25, 5, 1e9f), std::nullopt},
      // With 0.5, the original holds at most 127.5 on the compile's scale:
      // 0.725 * 400 counts as 127.5, and 127.5 + 0.725 * 100 = 200.
      {"light beyond what the original can hold counts as its brightest", row(2 * n, 200),
       joined(row(n, 400), row(n, 100, 5, float(n) * 16)), 0.725},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<play::LightMatch> match = play::match_light_level(c.original, c.compiled, 0.5);
    ASSERT_EQ(match.has_value(), c.factor.has_value());
    if (match) {
      EXPECT_NEAR(match->factor, *c.factor, 1e-9);
    }
  }
  // A compile lit in one place only can never show the original's light.
  const std::optional<play::LightMatch> unreachable =
      play::match_light_level(row(n, 255), joined(row(n - 1, 0), row(1, 100, 5, float(n - 1) * 16)), 0.5);
  ASSERT_TRUE(unreachable);
  EXPECT_FALSE(play::brightness_switch(unreachable->factor));
}

TEST(LightMatch, ReportsTheMeansOfThePairedPlaces) {
  const std::vector<Luxel> original = joined(row(64, 90), row(64, 30, 5, 64 * 16));
  const std::vector<Luxel> compiled = row(128, 30);
  const std::optional<play::LightMatch> match = play::match_light_level(original, compiled, 1);
  ASSERT_TRUE(match);
  EXPECT_EQ(match->places, 128u);
  EXPECT_DOUBLE_EQ(match->original, 60);
  EXPECT_DOUBLE_EQ(match->compiled, 30);
}

TEST(LightMatch, BrightnessSwitchOnlyForAMatchWorthApplying) {
  const struct {
    double factor;
    std::optional<std::string> word;
  } cases[] = {
      {1.0, std::nullopt}, {1.049, std::nullopt}, {0.951, std::nullopt}, {1.06, "1.06"},
      {0.5, "0.50"},       {4.0, "4.00"},         {0.25, "0.25"},        {4.01, std::nullopt},
      {0.24, std::nullopt}, {NAN, std::nullopt},  {INFINITY, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.factor);
    EXPECT_EQ(play::brightness_switch(c.factor), c.word);
  }
}

// A Q3 level header with only a lightmap lump holding `texels`.
std::vector<uint8_t> level_with_lightmap(const std::vector<uint8_t>& texels) {
  std::vector<uint8_t> bsp = {'I', 'B', 'S', 'P', 46, 0, 0, 0};
  bsp.resize(8 + 17 * 8, 0);
  const uint32_t offset = uint32_t(bsp.size()), length = uint32_t(texels.size());
  for (int k = 0; k < 4; ++k) {
    bsp[8 + 14 * 8 + k] = uint8_t(offset >> (8 * k));
    bsp[12 + 14 * 8 + k] = uint8_t(length >> (8 * k));
  }
  bsp.insert(bsp.end(), texels.begin(), texels.end());
  return bsp;
}

TEST(LightMatch, ScalesTheLightmapsAsTheCompilerStoresLight) {
  const struct {
    const char* what;
    double factor;
    std::vector<uint8_t> texels, expected;
  } cases[] = {
      {"rounded, black stays black", 1.5, {0, 1, 3, 10, 20, 100}, {0, 2, 5, 15, 30, 150}},
      {"darker", 0.5, {255, 3, 64}, {128, 2, 32}},
      {"past 255: its hue kept", 2, {200, 80, 40, 255, 255, 255}, {255, 102, 51, 255, 255, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bsp = level_with_lightmap(c.texels);
    ASSERT_EQ(play::scale_q3_lightmaps(bsp, c.factor), play::LuxelStatus::ok);
    EXPECT_EQ(std::vector<uint8_t>(bsp.end() - long(c.texels.size()), bsp.end()), c.expected);
  }
}

TEST(LightMatch, ScalingLeavesALevelItCannotReadAsItWas) {
  const std::vector<uint8_t> good = level_with_lightmap({10, 20, 30});
  std::vector<uint8_t> not_whole = level_with_lightmap({10, 20, 30, 40});
  std::vector<uint8_t> past_end = good;
  past_end[12 + 14 * 8] = 200;
  std::vector<uint8_t> other = good;
  other[4] = 38;
  const struct {
    const char* what;
    std::vector<uint8_t> bsp;
    double factor;
    play::LuxelStatus status;
  } cases[] = {
      {"another version", other, 2, play::LuxelStatus::other_format},
      {"a cut header", std::vector<uint8_t>(good.begin(), good.begin() + 40), 2, play::LuxelStatus::bad_offset},
      {"a lump past the end", past_end, 2, play::LuxelStatus::bad_offset},
      {"no whole texels", not_whole, 2, play::LuxelStatus::bad_size},
      {"no factor", good, NAN, play::LuxelStatus::bad_size},
      {"a factor of nothing", good, 0, play::LuxelStatus::bad_size},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bsp = c.bsp;
    EXPECT_EQ(play::scale_q3_lightmaps(bsp, c.factor), c.status);
    EXPECT_EQ(bsp, c.bsp);
  }
}

}  // namespace
