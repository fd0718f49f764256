#include "fog_volume.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "light_keys.h"
#include "texture_names.h"

namespace kmap {
namespace {

constexpr double quake_grey = 0.3;
constexpr double fitted_depth = 2048;
// A depth beyond any level: lighter fog is no fog at all.
constexpr double farthest_distance = 1e9;
constexpr std::string_view prefix = "korvex/fog_";

// Quake's fog averaged over depths 0..Z: 1 - (s·√π / 2Z)·erf(Z/s), s = 64/density.
double quake_mean_fog(double density) {
  const double s = 64 / density;
  return 1 - s * std::sqrt(std::numbers::pi) / (2 * fitted_depth) * std::erf(fitted_depth / s);
}

// The D whose sqrt(min(1, z/D)) has that mean over 0..Z: (2/3)·sqrt(Z/D)
// while D ≥ Z, 1 - D/3Z below.
double q3_distance(double mean) {
  if (mean >= 2.0 / 3) return 3 * fitted_depth * (1 - mean);
  const double root = 2 / (3 * mean);
  return fitted_depth * root * root;
}

uint8_t byte_of(double channel) {
  if (!(channel > 0)) return 0;
  return static_cast<uint8_t>(std::lround(std::fmin(channel, 1.0) * 255));
}

}  // namespace

bool read_quake_fog(std::string_view value, FogVolume& out) {
  double numbers[4] = {0, quake_grey, quake_grey, quake_grey};
  if (read_numbers(value, numbers, 4) < 1 || !(numbers[0] > 0)) return false;
  const double mean = quake_mean_fog(numbers[0]);
  if (!(mean > 0)) return false;
  const double distance = q3_distance(mean);
  if (!(distance < farthest_distance)) return false;
  out.colour = {byte_of(numbers[1]), byte_of(numbers[2]), byte_of(numbers[3])};
  out.distance = std::max<int64_t>(1, std::llround(distance));
  return true;
}

std::string fog_texture_name(const FogVolume& fog) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*s%02x%02x%02x_%lld", static_cast<int>(prefix.size()), prefix.data(),
                fog.colour[0], fog.colour[1], fog.colour[2], static_cast<long long>(fog.distance));
  return text;
}

bool read_fog_texture_name(std::string_view name, FogVolume& out) {
  if (name.size() <= prefix.size() || ascii_lower(name.substr(0, prefix.size())) != prefix) return false;
  // RRGGBB_D, each part read whole (from_chars takes no '+', and '-' only
  // for the distance, which must be above 0).
  const std::string_view rest = name.substr(prefix.size());
  if (rest.size() < 8 || rest[6] != '_') return false;
  FogVolume read;
  for (size_t c = 0; c < 3; ++c) {
    const char* first = rest.data() + 2 * c;
    const auto [end, error] = std::from_chars(first, first + 2, read.colour[c], 16);
    if (error != std::errc{} || end != first + 2) return false;
  }
  const char* last = rest.data() + rest.size();
  const auto [end, error] = std::from_chars(rest.data() + 7, last, read.distance);
  if (error != std::errc{} || end != last || read.distance <= 0) return false;
  out = read;
  return true;
}

}  // namespace kmap
