#include "rules_derive.h"

#include <algorithm>
#include <cmath>

#include "bounded_text.h"
#include "brush_geometry.h"
#include "coords.h"
#include "entity_values.h"

namespace conv {

using kmap::Vec3;

namespace {

constexpr double radians_to_degrees = 180.0 / 3.14159265358979323846;
constexpr uint32_t push_once = 1;
constexpr uint32_t secret_first_left = 2;
constexpr uint32_t secret_first_down = 4;

// Coordinates keep a thousandth, angles a ten-thousandth of a degree: far
// finer than the game's floats can tell apart at these sizes.
constexpr int place_decimals = 3;
constexpr int angle_decimals = 4;

std::string vector_text(const Vec3& v, int decimals) {
  return number_text(v[0], decimals) + " " + number_text(v[1], decimals) + " " + number_text(v[2], decimals);
}

double length(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// Q3 angles (pitch yaw 0) whose forward vector is along v, yaw in [0, 360):
// a yaw of -1 or -2 would mean up or down to Q3.
Vec3 angles_along(const Vec3& v) {
  const double len = length(v);
  if (len == 0) return {0, 0, 0};
  double yaw = std::atan2(v[1], v[0]) * radians_to_degrees;
  if (yaw < 0) yaw += 360;
  if (yaw >= 360 - 0.5e-4) yaw = 0;  // what would be written as 360
  const double pitch = -std::asin(std::clamp(v[2] / len, -1.0, 1.0)) * radians_to_degrees;
  return {pitch, yaw, 0};
}

// Where a new point entity goes: the entity's origin, else its brushes' centre.
bool place_of(const kmap::Entity& entity, Vec3& place) {
  if (const auto origin = entity.value("origin"); origin && read_vector(*origin, place)) return true;
  kmap::Bounds bounds;
  if (!kmap::brush_bounds(entity.lines, bounds)) return false;
  place = bounds.centre();
  return true;
}

// Adds "key" "value" to e, keeping the first failure in r.
void add_key(kmap::Entity& e, std::string_view key, std::string_view value, conv_status& r) {
  if (r == CONV_OK) r = e.set(key, value);
}

// A new point entity at `place` (when known) named `targetname`.
kmap::Entity named_point(std::string_view classname, std::string_view targetname, const Vec3* place,
                         conv_status& r) {
  kmap::Entity e = new_point_entity(classname);
  add_key(e, "targetname", targetname, r);
  if (place != nullptr) add_key(e, "origin", vector_text(*place, place_decimals), r);
  return e;
}

std::string stem(std::string_view kind, int number) { return "korvex_" + std::string(kind) + "_" + std::to_string(number); }

}  // namespace

SourceValues read_source_values(const kmap::Entity& entity) {
  SourceValues v;
  v.spawnflags = spawnflags_of(entity);
  v.angles = entity_angles(entity);
  v.speed = key_number(entity, "speed");
  v.t_width = key_number(entity, "t_width");
  v.t_length = key_number(entity, "t_length");
  return v;
}

kmap::Entity new_point_entity(std::string_view classname) {
  kmap::Entity e;
  e.lines.configure(kmap::extended_limits, true);
  (void)e.add("classname", classname);
  return e;
}

DeriveResult derive_push(const SourceValues& source, kmap::Entity& entity, DeriveContext& ctx) {
  kmap::Bounds bounds;
  if (!kmap::brush_bounds(entity.lines, bounds)) return {CONV_OK, "a push without brushes has no place to aim from"};
  const Vec3 centre = bounds.centre();
  // InitTrigger leaves movedir zero for zero angles: such a push stops what touches it.
  const bool no_angles = source.angles == Vec3{0, 0, 0};
  const Vec3 dir = no_angles ? Vec3{0, 0, 0} : quake_movedir(source.angles);
  const double speed = source.speed != 0 ? source.speed : 1000;
  Vec3 v{};
  for (int i = 0; i < 3; ++i) v[i] = std::clamp(10 * speed * dir[i], -max_velocity, max_velocity);

  const std::string name = ctx.facts.fresh_name(stem("push", ctx.number));
  conv_status r = entity.set("target", name);
  entity.remove("spawnflags");
  if (!(source.spawnflags & push_once) && v[2] > 0) {
    const double g = push_gravity;
    const Vec3 aim{centre[0] + v[0] * v[2] / g, centre[1] + v[1] * v[2] / g, centre[2] + v[2] * v[2] / (2 * g)};
    ctx.added.push_back(named_point("target_position", name, &aim, r));
    return {r, nullptr};
  }
  add_key(entity, "classname", "trigger_multiple", r);
  add_key(entity, "wait", source.spawnflags & push_once ? "-1" : "0.05", r);
  for (std::string_view key : {"angle", "angles", "speed"}) entity.remove(key);
  kmap::Entity push = named_point("target_push", name, &centre, r);
  const double magnitude = length(v);
  add_key(push, "angles", vector_text(angles_along(v), angle_decimals), r);
  // A speed of 0 would be read as Q3's default 1000.
  add_key(push, "speed", magnitude > 0 ? number_text(magnitude, place_decimals) : "0.001", r);
  ctx.added.push_back(std::move(push));
  return {r, nullptr};
}

DeriveResult derive_targets(kmap::Entity& entity, DeriveContext& ctx) {
  // One reading of the key lines: most entities have neither key.
  std::string target, message;
  double delay = 0;
  for (int k = 0; k < entity.key_count(); ++k) {
    const kmap::KeyLine line = entity.key(k);
    if (!line.quoted_key) continue;
    if (line.key == "target") target.assign(line.value);
    if (line.key == "message") message.assign(line.value);
    if (line.key == "delay") delay = quake_number(line.value);
  }
  const bool delayed = delay > 0;
  if (message.empty() && (!delayed || target.empty())) return {};
  entity.remove("delay");
  entity.remove("message");

  Vec3 place{};
  const Vec3* at = place_of(entity, place) ? &place : nullptr;
  const std::string fired = ctx.facts.fresh_name(stem("fire", ctx.number));
  conv_status r = entity.set("target", fired);
  std::string stage = fired;
  if (delayed) {
    const std::string after = message.empty() ? target : ctx.facts.fresh_name(stem("fire", ctx.number) + "_delayed");
    kmap::Entity wait = named_point("target_delay", fired, at, r);
    add_key(wait, "delay", number_text(delay, 6), r);
    add_key(wait, "target", after, r);
    ctx.added.push_back(std::move(wait));
    if (message.empty()) return {r, nullptr};
    stage = after;
  }
  kmap::Entity print = named_point("target_print", stage, at, r);
  add_key(print, "message", message, r);
  add_key(print, "spawnflags", "4", r);
  ctx.added.push_back(std::move(print));
  if (!target.empty()) {
    kmap::Entity relay = named_point("target_relay", stage, at, r);
    add_key(relay, "target", target, r);
    ctx.added.push_back(std::move(relay));
  }
  return {r, nullptr};
}

DeriveResult derive_door_team(kmap::Entity& entity, DeriveContext& ctx) {
  const DoorGroup* group = ctx.facts.door_group(ctx.number);
  if (group == nullptr) return {};
  conv_status r = entity.set("team", group->team);
  if (group->master) {
    if (!group->targetname.empty()) add_key(entity, "targetname", group->targetname, r);
    if (group->shootable) add_key(entity, "health", "1", r);
  } else {
    entity.remove("targetname");
  }
  ++ctx.doors_teamed;
  return {r, nullptr};
}

DeriveResult derive_secret_door(const SourceValues& source, kmap::Entity& entity, DeriveContext&) {
  kmap::Bounds bounds;
  if (!kmap::brush_bounds(entity.lines, bounds)) return {CONV_OK, "a secret door without brushes cannot be moved"};
  Vec3 size{};
  for (int i = 0; i < 3; ++i) size[i] = bounds.maxs[i] - bounds.mins[i];
  Vec3 forward{}, right{}, up{};
  angle_vectors(source.angles, &forward, &right, &up);
  auto extent = [&size](const Vec3& axis) {
    return std::fabs(axis[0] * size[0] + axis[1] * size[1] + axis[2] * size[2]);
  };
  const bool down = source.spawnflags & secret_first_down;
  const double width = source.t_width != 0 ? source.t_width : extent(down ? up : right);
  const double len = source.t_length != 0 ? source.t_length : extent(forward);
  const double side = source.spawnflags & secret_first_left ? -1 : 1;
  Vec3 move{};
  for (int i = 0; i < 3; ++i) move[i] = (down ? -width * up[i] : side * width * right[i]) + len * forward[i];
  const double distance = length(move);
  if (distance == 0) return {CONV_OK, "a secret door of no size does not move"};
  // Q3 moves a door by |movedir| . size - lip along movedir.
  Vec3 dir{};
  for (int i = 0; i < 3; ++i) dir[i] = move[i] / distance;
  const double travel = std::fabs(dir[0]) * size[0] + std::fabs(dir[1]) * size[1] + std::fabs(dir[2]) * size[2];
  entity.remove("angle");
  conv_status r = entity.set("angles", vector_text(angles_along(move), angle_decimals));
  add_key(entity, "lip", number_text(travel - distance, place_decimals), r);
  entity.remove("t_width");
  entity.remove("t_length");
  return {r, nullptr};
}

DeriveResult derive_teleporter(kmap::Entity& entity, DeriveContext&) {
  Vec3 origin{};
  if (const auto text = entity.value("origin"); !text || !read_vector(*text, origin))
    return {CONV_OK, "a teleporter without an origin has no place"};
  const Vec3 lo{origin[0] - 8, origin[1] - 8, origin[2] + 8};
  const Vec3 hi{origin[0] + 8, origin[1] + 8, origin[2] + 24};
  entity.remove("origin");
  conv_status r = entity.set("classname", "trigger_teleport");
  if (r != CONV_OK) return {r, nullptr};
  kmap::LineBuffer& lines = entity.lines;
  if (r = lines.add("{"); r != CONV_OK) return {r, nullptr};
  const int first = lines.size();
  for (const std::array<double, 9>& points : kmap::box_faces(lo, hi)) {
    std::string line;
    for (size_t k = 0; k < 9; k += 3)
      line += "( " + vector_text(Vec3{points[k], points[k + 1], points[k + 2]}, place_decimals) + " ) ";
    line += "common/trigger 0 0 0 1 1 0 0 0";
    if (r = lines.add(line); r != CONV_OK) return {r, nullptr};
  }
  if (r = lines.add("}"); r != CONV_OK) return {r, nullptr};
  lines.open_brush(first);
  lines.close_brush(lines.size() - 2);
  return {CONV_OK, nullptr};
}

}  // namespace conv
