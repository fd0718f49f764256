#include "entity_values.h"

#include <cmath>
#include <cstdlib>

#include "bounded_text.h"
#include "coords.h"

namespace conv {

using kmap::Vec3;

namespace {

constexpr double degrees_to_radians = 3.14159265358979323846 / 180.0;

}  // namespace

double quake_number(std::string_view text) {
  // atof reads a prefix; a copy gives it the terminating zero it needs.
  char buffer[64];
  const size_t n = text.size() < sizeof buffer - 1 ? text.size() : sizeof buffer - 1;
  text.copy(buffer, n);
  buffer[n] = '\0';
  const double value = std::strtod(buffer, nullptr);
  return std::isfinite(value) ? value : 0.0;
}

double key_number(const kmap::Entity& entity, std::string_view key) {
  const auto value = entity.value(key);
  return value ? quake_number(*value) : 0.0;
}

uint32_t spawnflags_of(const kmap::Entity& entity) {
  const double value = key_number(entity, "spawnflags");
  if (!(value > 0) || value >= 4294967296.0) return 0;
  return static_cast<uint32_t>(value);
}

bool key_present(const kmap::Entity& entity, std::string_view key) {
  const auto value = entity.value(key);
  return value && !value->empty();
}

bool read_vector(std::string_view text, Vec3& out) {
  Vec3 v{};
  size_t i = 0;
  for (double& component : v) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i == start) return false;
    const std::string word(text.substr(start, i - start));
    char* end = nullptr;
    component = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || !std::isfinite(component)) return false;
  }
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i != text.size()) return false;
  out = v;
  return true;
}

Vec3 entity_angles(const kmap::Entity& entity) {
  const int angle = entity.find("angle");
  const int angles = entity.find("angles");
  Vec3 result{};
  if (angles > angle) {
    if (!read_vector(entity.key(angles).value, result)) result = Vec3{};
  } else if (angle >= 0) {
    result = {0, quake_number(entity.key(angle).value), 0};
  }
  return result;
}

void angle_vectors(const Vec3& angles, Vec3* forward, Vec3* right, Vec3* up) {
  const double sp = std::sin(angles[0] * degrees_to_radians), cp = std::cos(angles[0] * degrees_to_radians);
  const double sy = std::sin(angles[1] * degrees_to_radians), cy = std::cos(angles[1] * degrees_to_radians);
  const double sr = std::sin(angles[2] * degrees_to_radians), cr = std::cos(angles[2] * degrees_to_radians);
  if (forward) *forward = {cp * cy, cp * sy, -sp};
  if (right) *right = {-sr * sp * cy + cr * sy, -sr * sp * sy - cr * cy, -sr * cp};
  if (up) *up = {cr * sp * cy + sr * sy, cr * sp * sy - sr * cy, cr * cp};
}

Vec3 quake_movedir(const Vec3& angles) {
  if (angles[0] == 0 && angles[1] == -1 && angles[2] == 0) return {0, 0, 1};
  if (angles[0] == 0 && angles[1] == -2 && angles[2] == 0) return {0, 0, -1};
  Vec3 forward{};
  angle_vectors(angles, &forward, nullptr, nullptr);
  return forward;
}

std::string number_text(double value, int decimals) {
  // Dividing the rounded whole number by an exact power of ten gives the
  // double nearest the decimal, which add_real then writes as that decimal.
  const double scale = std::pow(10.0, decimals);
  double rounded = std::round(value * scale) / scale;
  if (rounded == 0) rounded = 0;  // no "-0"
  char text[400];
  kmap::BoundedText out(text, sizeof text);
  if (!kmap::add_real(out, rounded)) return "0";
  return std::string(out.view());
}

}  // namespace conv
