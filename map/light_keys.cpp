#include "light_keys.h"

#include <cmath>
#include <cstdio>
#include <numbers>

#include "bounded_text.h"
#include "coords.h"

namespace kmap {
namespace {

constexpr double quake_range = 0.5;
constexpr double quake2_range = 1.0;
// Q3 byte per Quake byte of the same look (see the header).
constexpr double quake2_byte_ratio = 0.25;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::string_view> light_key(const Entity& entity, std::string_view name) {
  if (auto value = entity.value(name)) return value;
  if (name.starts_with('_')) return entity.value(name.substr(1));
  return std::nullopt;
}

int read_numbers(std::string_view text, double* out, int count) {
  int read = 0;
  size_t at = 0;
  while (read < count) {
    while (at < text.size() && is_blank(text[at])) ++at;
    const size_t start = at;
    while (at < text.size() && !is_blank(text[at])) ++at;
    if (start == at) break;
    const std::string word(text.substr(start, at - start));
    double value = 0;
    if (!read_number(word.c_str(), &value, true)) break;
    out[read++] = value;
  }
  return read;
}

std::optional<double> light_number(const Entity& entity, std::string_view name) {
  const auto text = light_key(entity, name);
  double value = 0;
  if (!text || read_numbers(*text, &value, 1) != 1) return std::nullopt;
  return value;
}

std::optional<Vec3> light_triple(const Entity& entity, std::string_view name) {
  const auto text = light_key(entity, name);
  Vec3 v{};
  if (!text || read_numbers(*text, v.data(), 3) != 3) return std::nullopt;
  return v;
}

std::optional<Vec3> light_colour(const Entity& entity, std::string_view name) {
  auto colour = light_triple(entity, name);
  if (!colour) return std::nullopt;
  bool fractions = true;
  for (double c : *colour) fractions = fractions && c >= 0 && c <= 1;
  if (fractions)
    for (double& c : *colour) c *= 255;
  return colour;
}

namespace {

constexpr double default_light_value = 300;
constexpr int delay_count = 6;

// "light" n, or "r g b n": the numbers read, 0 when none.
int light_value_numbers(const Entity& light, double (&numbers)[4]) {
  auto text = light.value("light");
  if (!text) text = light.value("_light");
  return text ? read_numbers(*text, numbers, 4) : 0;
}

}  // namespace

double quake_light_value(const Entity& light) {
  double numbers[4];
  const int count = light_value_numbers(light, numbers);
  const double value = count == 4 ? numbers[3] : count >= 1 ? numbers[0] : 0;
  return value == 0 ? default_light_value : value;
}

Vec3 quake_light_colour(const Entity& light) {
  if (const auto colour = light_colour(light, "_color")) return *colour;
  double numbers[4];
  if (light_value_numbers(light, numbers) == 4) return {numbers[0], numbers[1], numbers[2]};
  return {255, 255, 255};
}

int quake_light_delay(const Entity& light) {
  const double delay = light_number(light, "delay").value_or(0);
  return delay >= 0 && delay < delay_count ? static_cast<int>(delay) : 0;
}

double quake_light_wait(const Entity& light) {
  const double wait = light_number(light, "wait").value_or(1);
  return wait > 0 ? wait : 1;
}

Vec3 direction_of(double yaw, double pitch) {
  const double y = yaw * std::numbers::pi / 180;
  const double p = pitch * std::numbers::pi / 180;
  return {std::cos(y) * std::cos(p), std::sin(y) * std::cos(p), std::sin(p)};
}

double largest(const Vec3& v) { return std::fmax(v[0], std::fmax(v[1], v[2])); }

double light_value_scale(const Entity& world, bool quake2) {
  const double range = light_number(world, "_range").value_or(quake2 ? quake2_range : quake_range);
  const double scale = (quake2 ? quake2_byte_ratio : quake_byte_ratio) * range;
  return wants_gamma(world) ? 2 * scale : scale;
}

bool wants_gamma(const Entity& world) {
  const auto gamma = light_number(world, "_gamma");
  return gamma && *gamma > 0 && *gamma != 1;
}

std::string fixed_number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string short_number(double value, int decimals) {
  const double unit = std::pow(10.0, decimals);
  double rounded = std::round(value * unit) / unit;
  if (rounded == 0) rounded = 0;  // no "-0"
  char text[64];
  BoundedText out(text, sizeof text);
  if (!add_real(out, rounded)) return "0";
  std::string s(out.view());
  // The shortest decimal of a rounded value can still carry a binary tail
  // ("0.30000000000000004"): cut it at the places asked for.
  if (const size_t dot = s.find('.'); dot != std::string::npos && s.size() > dot + 1 + static_cast<size_t>(decimals)) {
    s.resize(dot + 1 + static_cast<size_t>(decimals));
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s;
}

std::string short_triple(const Vec3& v, int decimals) {
  return short_number(v[0], decimals) + " " + short_number(v[1], decimals) + " " + short_number(v[2], decimals);
}

}  // namespace kmap
