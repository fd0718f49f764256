#include "light_match.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "light_keys.h"

namespace play {
namespace {

constexpr float cell_size = 16;

struct Cell {
  int32_t x, y, z;
  uint8_t facing;
  bool operator==(const Cell&) const = default;
};

struct CellHash {
  size_t operator()(const Cell& cell) const {
    uint64_t h = static_cast<uint32_t>(cell.x);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(cell.y);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(cell.z);
    h = h * 0x9E3779B97F4A7C15ull ^ cell.facing;
    return static_cast<size_t>(h ^ h >> 29);
  }
};

// Coordinates far outside any level are not paired rather than wrapped.
std::optional<Cell> cell_of(const Luxel& luxel) {
  const float limit = 1 << 24;
  if (!(std::fabs(luxel.x) < limit && std::fabs(luxel.y) < limit && std::fabs(luxel.z) < limit)) return std::nullopt;
  return Cell{static_cast<int32_t>(std::floor(luxel.x / cell_size)), static_cast<int32_t>(std::floor(luxel.y / cell_size)),
              static_cast<int32_t>(std::floor(luxel.z / cell_size)), luxel.facing};
}

struct Mean {
  double sum = 0;
  size_t count = 0;
};

// The compile's light at these places times `factor`, each place counted at
// most up to `brightest`.
double capped_sum(const std::vector<double>& compiled, double factor, double brightest) {
  double sum = 0;
  for (double value : compiled) sum += std::min(value * factor, brightest);
  return sum;
}

// The factor whose capped sum is `target`: the sum grows with the factor, so
// halving the interval finds it. The widest factor taken when none reaches it.
double factor_for(const std::vector<double>& compiled, double target, double brightest, double uncapped) {
  double low = uncapped, high = uncapped;
  while (capped_sum(compiled, high, brightest) < target) {
    high *= 2;
    if (high > light_match_widest * 4) return high;
  }
  for (int step = 0; step < 64 && high - low > 1e-9 * high; ++step) {
    const double middle = (low + high) / 2;
    (capped_sum(compiled, middle, brightest) < target ? low : high) = middle;
  }
  return high;
}

}  // namespace

std::optional<LightMatch> match_light_level(std::span<const Luxel> original, std::span<const Luxel> compiled,
                                            double byte_ratio) {
  std::unordered_map<Cell, Mean, CellHash> compiled_cells;
  compiled_cells.reserve(compiled.size());
  for (const Luxel& luxel : compiled)
    if (const std::optional<Cell> cell = cell_of(luxel)) {
      Mean& mean = compiled_cells[*cell];
      mean.sum += luxel.value;
      ++mean.count;
    }
  double original_sum = 0, compiled_sum = 0;
  std::vector<double> paired;
  for (const Luxel& luxel : original) {
    const std::optional<Cell> cell = cell_of(luxel);
    if (!cell) continue;
    const auto found = compiled_cells.find(*cell);
    if (found == compiled_cells.end()) continue;
    original_sum += luxel.value;
    paired.push_back(found->second.sum / static_cast<double>(found->second.count));
    compiled_sum += paired.back();
  }
  const size_t places = paired.size();
  if (places < light_match_min_places || !(compiled_sum > 0)) return std::nullopt;
  const double count = static_cast<double>(places);
  const double target = byte_ratio * original_sum;
  const double factor = factor_for(paired, target, byte_ratio * quake_brightest, target / compiled_sum);
  return LightMatch{factor, places, original_sum / count, compiled_sum / count};
}

std::optional<std::string> brightness_switch(double factor) {
  if (!(factor >= 1 / light_match_widest && factor <= light_match_widest)) return std::nullopt;
  if (std::fabs(factor - 1) <= light_match_tolerance) return std::nullopt;
  return kmap::fixed_number(factor);
}

}  // namespace play
