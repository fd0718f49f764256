#include "entity_semantics_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "brush_geometry.h"
#include "face.h"
#include "map_text.h"
#include "nonsolid_names.h"

namespace {

using Vec = std::array<double, 3>;
constexpr double pi = 3.14159265358979323846;
constexpr double gravity = 800;
constexpr double stays_open = 100000;  // a wait this long never ends in play

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Keys as the games read them.
struct Keys {
  const kmap::Entity* e;

  [[nodiscard]] std::string cls() const { return std::string(e->classname()); }
  [[nodiscard]] bool present(std::string_view key) const { return e->find(key) >= 0; }
  [[nodiscard]] std::string text(std::string_view key) const { return std::string(e->value(key).value_or("")); }
  [[nodiscard]] bool has(std::string_view key) const { return !text(key).empty(); }
  // atof: the number the value starts with, else 0.
  [[nodiscard]] double num(std::string_view key) const { return std::strtod(text(key).c_str(), nullptr); }
  // Quake's `if (!self.key) self.key = d`.
  [[nodiscard]] double or_default(std::string_view key, double d) const { return num(key) != 0 ? num(key) : d; }
  // Q3's G_SpawnFloat(key, d): the value when present.
  [[nodiscard]] double spawn_float(std::string_view key, double d) const { return present(key) ? num(key) : d; }
  [[nodiscard]] unsigned flags() const { return static_cast<unsigned>(std::max(0.0, num("spawnflags"))); }
  [[nodiscard]] bool vector(std::string_view key, Vec& v) const {
    const std::string t = text(key);
    return std::sscanf(t.c_str(), "%lf %lf %lf", &v[0], &v[1], &v[2]) == 3;
  }
  [[nodiscard]] Vec origin() const {
    Vec v{0, 0, 0};
    if (!vector("origin", v)) v = {0, 0, 0};
    return v;
  }
  // "angle" a is (0 a 0); the later of "angle" and "angles" counts.
  [[nodiscard]] Vec angles() const {
    const int angle = e->find("angle"), angles = e->find("angles");
    Vec v{0, 0, 0};
    if (angles > angle) {
      if (!vector("angles", v)) v = {0, 0, 0};
    } else if (angle >= 0) {
      v = {0, num("angle"), 0};
    }
    return v;
  }
};

void angle_vectors(const Vec& a, Vec* f, Vec* r, Vec* u) {
  const double sp = std::sin(a[0] * pi / 180), cp = std::cos(a[0] * pi / 180);
  const double sy = std::sin(a[1] * pi / 180), cy = std::cos(a[1] * pi / 180);
  const double sr = std::sin(a[2] * pi / 180), cr = std::cos(a[2] * pi / 180);
  if (f) *f = {cp * cy, cp * sy, -sp};
  if (r) *r = {-sr * sp * cy + cr * sy, -sr * sp * sy - cr * cy, -sr * cp};
  if (u) *u = {cr * sp * cy + sr * sy, cr * sp * sy - sr * cy, cr * cp};
}

// Both games' SetMovedir.
Vec movedir(const Vec& angles) {
  if (angles == Vec{0, -1, 0}) return {0, 0, 1};
  if (angles == Vec{0, -2, 0}) return {0, 0, -1};
  Vec f{};
  angle_vectors(angles, &f, nullptr, nullptr);
  return f;
}

double distance(const Vec& a, const Vec& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

bool bounds_of(const kmap::Entity& e, kmap::Bounds& b) { return kmap::brush_bounds(e.lines, b); }

std::string vec_text(const Vec& v) {
  char t[96];
  std::snprintf(t, sizeof t, "(%.3f %.3f %.3f)", v[0], v[1], v[2]);
  return t;
}

// The Quake box's shift to Q3's, by class.
bool item_shift(const std::string& cls, bool quake2, Vec& shift) {
  if (quake2) {
    shift = {0, 0, 0};
    return cls.starts_with("item_") || cls.starts_with("weapon_") || cls.starts_with("ammo_");
  }
  static const std::set<std::string> corner{"item_health", "item_shells", "item_spikes", "item_rockets", "item_cells",
                                            "item_weapon"};
  static const std::set<std::string> centre{"item_armor1", "item_armor2", "item_armorInv"};
  if (corner.count(cls)) {
    shift = {16, 16, 21};
    return true;
  }
  if (centre.count(cls) || cls.starts_with("weapon_")) {
    shift = {0, 0, 21};
    return true;
  }
  if (cls.starts_with("item_artifact_")) {
    shift = {0, 0, -3};
    return true;
  }
  return false;
}

class Checker {
 public:
  Checker(std::string_view source, std::string_view converted, bool quake2, std::string_view said)
      : quake2_(quake2), said_(said) {
    source_ = read_map_entities(source, false);
    converted_ = read_map_entities(converted, true);
    for (size_t i = 0; i < converted_.size(); ++i) {
      if (converted_[i].number > 0) by_number_[converted_[i].number] = i;
      const Keys k{&converted_[i].entity};
      if (k.has("targetname")) by_name_[lower(k.text("targetname"))].push_back(i);
    }
  }

  SemanticCheck run() {
    const std::set<int> left_out = editor_omitted();
    for (size_t n = 1; n < source_.size(); ++n)
      if (!left_out.count(static_cast<int>(n))) check(static_cast<int>(n), Keys{&source_[n].entity});
    return result_;
  }

 private:
  // Entities of editor layers marked to be left out of the compiled level,
  // directly or through groups (nested ones too): no game sees them.
  std::set<int> editor_omitted() const {
    std::set<std::string> layers, groups;
    for (const NumberedEntity& n : source_) {
      const Keys k{&n.entity};
      if (k.text("_tb_type") == "_tb_layer" && k.num("_tb_layer_omit_from_export") != 0) layers.insert(k.text("_tb_id"));
    }
    for (bool grew = !layers.empty(); grew;) {
      grew = false;
      for (const NumberedEntity& n : source_) {
        const Keys k{&n.entity};
        if (k.text("_tb_type") == "_tb_group" && !groups.count(k.text("_tb_id")) &&
            (layers.count(k.text("_tb_layer")) || groups.count(k.text("_tb_group"))))
          grew = groups.insert(k.text("_tb_id")).second;
      }
    }
    std::set<int> omitted;
    for (size_t i = 1; i < source_.size(); ++i) {
      const Keys k{&source_[i].entity};
      if (layers.count(k.text("_tb_layer")) || groups.count(k.text("_tb_group")) ||
          (k.text("_tb_type") == "_tb_layer" && layers.count(k.text("_tb_id"))))
        omitted.insert(static_cast<int>(i));
    }
    return omitted;
  }

  void look(SemanticRow row) { ++result_.entities[static_cast<size_t>(row)]; }
  void differs(SemanticRow row, int number, const std::string& what) { result_.differ.push_back({row, number, what}); }

  const kmap::Entity* output(int number) const {
    const auto found = by_number_.find(number);
    return found == by_number_.end() ? nullptr : &converted_[found->second].entity;
  }
  std::vector<const kmap::Entity*> named(const std::string& name) const {
    std::vector<const kmap::Entity*> found;
    if (const auto it = by_name_.find(lower(name)); it != by_name_.end())
      for (size_t i : it->second) found.push_back(&converted_[i].entity);
    return found;
  }

  void check(int n, const Keys& src) {
    const std::string cls = src.cls();
    const kmap::Entity* out_entity = output(n);
    const bool compiler_class = cls.starts_with("light") || cls == "func_group" || cls.starts_with("func_detail");
    if ((src.flags() & 2048) && !compiler_class) {
      look(SemanticRow::not_in_deathmatch);
      if (out_entity != nullptr) {
        const Keys out{out_entity};
        if (!(out.num("notfree") != 0 && out.num("notteam") != 0))
          differs(SemanticRow::not_in_deathmatch, n, cls + " with flag 2048 is in every game");
      }
      return;  // the rest applies to what deathmatch spawns
    }
    check_geometry(n, src, out_entity);
    check_light(n, src, out_entity);
    if (out_entity == nullptr) return;
    const Keys out{out_entity};
    check_item(n, src, out);
    check_door(n, src, out);
    check_secret_door(n, src, out);
    check_trigger(n, src, out);
    check_push(n, src, out);
    check_teleport(n, src, out);
    check_targets(n, src, out);
  }

  void check_item(int n, const Keys& src, const Keys& out) {
    Vec shift{};
    const std::string cls = src.cls();
    if (!item_shift(cls, quake2_, shift)) return;
    look(SemanticRow::item_place);
    const Vec s = src.origin();
    const Vec want{s[0] + shift[0], s[1] + shift[1], s[2] + shift[2]};
    if (distance(out.origin(), want) > 0.01)
      differs(SemanticRow::item_place, n, cls + " at " + vec_text(out.origin()) + ", its box wants " + vec_text(want));
    if (quake2_ || cls != "item_health") return;
    look(SemanticRow::health_kind);
    const unsigned f = src.flags();
    const bool rotten = f & 1, mega = !rotten && (f & 2);
    const std::string want_class = mega ? "item_health_mega" : "item_health";
    if (out.cls() != want_class) differs(SemanticRow::health_kind, n, "health of flags " + std::to_string(f) + " is " + out.cls());
    else if (rotten && out.num("count") != 15) differs(SemanticRow::health_kind, n, "rotten health heals " + out.text("count"));
  }

  void check_door(int n, const Keys& src, const Keys& out) {
    if (src.cls() == "func_plat") {
      look(SemanticRow::plat_speed);
      const double want = quake2_ ? src.or_default("speed", 200) : src.or_default("speed", 150);
      const double got = out.spawn_float("speed", 200);
      if (std::fabs(got - want) > 1e-6)
        differs(SemanticRow::plat_speed, n, "plat at " + std::to_string(got) + ", Quake " + std::to_string(want));
    }
    if (src.cls() != "func_door" || out.cls() != "func_door") return;
    const unsigned f = src.flags();
    look(SemanticRow::door_speed);
    const double speed = quake2_ ? 2 * src.or_default("speed", 100) : src.or_default("speed", 100);
    if (std::fabs(out.or_default("speed", 400) - speed) > 1e-6)
      differs(SemanticRow::door_speed, n, "door at " + std::to_string(out.or_default("speed", 400)) + ", Quake " +
                                              std::to_string(speed));
    const bool key_door = !quake2_ && (f & (8 | 16));
    const double wait = key_door ? -1 : src.or_default("wait", 3);
    const double q3_wait = out.or_default("wait", 2);
    const bool wait_right = wait < 0 ? q3_wait >= stays_open : std::fabs(q3_wait - wait) < 1e-6;
    look(key_door ? SemanticRow::key_door : SemanticRow::door_wait);
    if (key_door) {
      const bool said = said_.find("func_door: ") != std::string_view::npos && said_.find("key") != std::string_view::npos;
      if (!wait_right || !said)
        differs(SemanticRow::key_door, n, std::string(said ? "" : "key lost without a word; ") +
                                              (wait_right ? "" : "closes again"));
    } else if (!wait_right) {
      differs(SemanticRow::door_wait, n, "door waits " + out.text("wait") + ", Quake " + std::to_string(wait));
    }
    if (!quake2_ && (f & 4)) {
      look(SemanticRow::door_dont_link);
      if (out.flags() & 4) differs(SemanticRow::door_dont_link, n, "DONT_LINK door is a crusher");
    }
  }

  void check_secret_door(int n, const Keys& src, const Keys& out) {
    if (src.cls() != "func_door_secret" || out.cls() != "func_door") return;
    look(SemanticRow::secret_door);
    const unsigned f = src.flags();
    std::string wrong;
    if (out.or_default("speed", 400) != 50) wrong += "speed " + out.text("speed") + "; ";
    const bool once = !quake2_ && (f & 1);
    const double wait = once ? -1 : src.or_default("wait", 5);
    const double q3_wait = out.or_default("wait", 2);
    if (wait < 0 ? q3_wait < stays_open : std::fabs(q3_wait - wait) > 1e-6) wrong += "wait " + out.text("wait") + "; ";
    const bool shootable = !src.has("targetname") || (f & (quake2_ ? 1u : 16u));
    if (shootable != (out.num("health") > 0)) wrong += shootable ? "not shootable; " : "shootable; ";
    kmap::Bounds b;
    if (bounds_of(*out.e, b)) {
      const Vec size{b.maxs[0] - b.mins[0], b.maxs[1] - b.mins[1], b.maxs[2] - b.mins[2]};
      Vec fw{}, rt{}, up{};
      angle_vectors(src.angles(), &fw, &rt, &up);
      auto along = [&size](const Vec& a) { return std::fabs(a[0] * size[0] + a[1] * size[1] + a[2] * size[2]); };
      const bool down = f & 4;
      const double width = src.num("t_width") != 0 && !quake2_ ? src.num("t_width") : along(down ? up : rt);
      const double length = src.num("t_length") != 0 && !quake2_ ? src.num("t_length") : along(fw);
      const double side = (f & 2) ? -1 : 1;
      Vec quake_end{};
      for (int i = 0; i < 3; ++i) quake_end[i] = (down ? -width * up[i] : side * width * rt[i]) + length * fw[i];
      const Vec dir = movedir(out.angles());
      const double travel = std::fabs(dir[0]) * size[0] + std::fabs(dir[1]) * size[1] + std::fabs(dir[2]) * size[2] -
                            out.spawn_float("lip", 8);
      const Vec q3_end{dir[0] * travel, dir[1] * travel, dir[2] * travel};
      if (distance(q3_end, quake_end) > 0.5) wrong += "ends at " + vec_text(q3_end) + ", Quake " + vec_text(quake_end);
    }
    if (!wrong.empty()) differs(SemanticRow::secret_door, n, wrong);
  }

  void check_trigger(int n, const Keys& src, const Keys& out) {
    const std::string cls = src.cls();
    const bool notouch = !quake2_ && (src.flags() & 1);
    if (out.cls() != "trigger_multiple" || notouch) return;
    if (cls == "trigger_once" || cls == "trigger_secret") {
      look(SemanticRow::once_trigger);
      if (out.spawn_float("wait", 0.5) > 0) differs(SemanticRow::once_trigger, n, cls + " fires again every " + std::to_string(out.spawn_float("wait", 0.5)) + " s");
    } else if (cls == "trigger_multiple") {
      look(SemanticRow::trigger_wait);
      const double wait = src.or_default("wait", 0.2);
      const double q3 = out.spawn_float("wait", 0.5);
      if (wait < 0 ? q3 > 0 : std::fabs(q3 - wait) > 1e-6)
        differs(SemanticRow::trigger_wait, n, "waits " + std::to_string(q3) + ", Quake " + std::to_string(wait));
    }
  }

  void check_push(int n, const Keys& src, const Keys& out) {
    if (src.cls() != "trigger_push") return;
    look(SemanticRow::push);
    const Vec a = src.angles();
    const Vec dir = a == Vec{0, 0, 0} ? Vec{0, 0, 0} : movedir(a);
    const double speed = src.or_default("speed", 1000);
    Vec v{};
    for (int i = 0; i < 3; ++i) v[i] = std::clamp(10 * speed * dir[i], -2000.0, 2000.0);
    const bool once = src.flags() & 1;
    const std::vector<const kmap::Entity*> targets = named(out.text("target"));
    if (!out.has("target") || targets.empty()) {
      differs(SemanticRow::push, n, out.cls() + " without a target it finds");
      return;
    }
    const Keys t{targets.front()};
    Vec got{};
    if (out.cls() == "trigger_push") {
      kmap::Bounds b;
      if (!bounds_of(*out.e, b)) return;
      const Vec c = b.centre(), aim = t.origin();
      const double h = aim[2] - c[2];
      if (once) differs(SemanticRow::push, n, "a push that fires once pushes every time");
      if (h <= 0) {
        differs(SemanticRow::push, n, "aimed at a target not above it");
        return;
      }
      const double time = std::sqrt(h / (0.5 * gravity));
      got = {(aim[0] - c[0]) / time, (aim[1] - c[1]) / time, time * gravity};
    } else if (out.cls() == "trigger_multiple" && t.cls() == "target_push") {
      const double w = out.spawn_float("wait", 0.5);
      if (once ? w > 0 : !(w > 0 && w <= 0.1)) differs(SemanticRow::push, n, "fires every " + std::to_string(w) + " s");
      const Vec d = movedir(t.angles());
      const double s = t.or_default("speed", 1000);
      got = {d[0] * s, d[1] * s, d[2] * s};
    } else {
      differs(SemanticRow::push, n, out.cls() + " targeting " + t.cls());
      return;
    }
    if (distance(got, v) > 1) differs(SemanticRow::push, n, "launches at " + vec_text(got) + ", Quake " + vec_text(v));
  }

  void check_teleport(int n, const Keys& src, const Keys& out) {
    const std::string cls = src.cls();
    if (!quake2_ && cls == "trigger_teleport") {
      look(SemanticRow::teleport_flags);
      if (out.flags() & 1) differs(SemanticRow::teleport_flags, n, "teleports spectators only");
    }
    if (cls == (quake2_ ? "misc_teleporter_dest" : "info_teleport_destination")) {
      look(SemanticRow::teleport_dest);
      const Vec s = src.origin();
      const Vec want{s[0], s[1], s[2] + (quake2_ ? 9 : 26)};
      if (distance(out.origin(), want) > 0.01)
        differs(SemanticRow::teleport_dest, n, "destination at " + vec_text(out.origin()) + ", wants " + vec_text(want));
    }
  }

  // "delay" and "message" of the classes whose firing prints and waits.
  void check_targets(int n, const Keys& src, const Keys& out) {
    const std::string cls = src.cls();
    const bool fires = cls == "trigger_multiple" || cls == "trigger_once" || cls == "trigger_secret" ||
                       cls == "trigger_relay" || cls == "func_button" || cls.starts_with("item_") ||
                       cls.starts_with("weapon_") || cls.starts_with("ammo_");
    if (!fires) return;
    std::string message = src.text("message");
    if (cls == "trigger_secret" && !quake2_ && message.empty()) message = "You found a secret area!";
    const double delay = src.num("delay");
    if (message.empty() && !(delay > 0 && src.has("target"))) return;
    look(SemanticRow::delay_message);
    // Walk what the entity fires through delays and relays.
    bool printed = false, delayed = false, reached = !src.has("target");
    std::set<std::string> seen;
    std::vector<std::string> names{out.text("target")};
    while (!names.empty()) {
      const std::string name = names.back();
      names.pop_back();
      if (name.empty() || !seen.insert(lower(name)).second) continue;
      if (lower(name) == lower(src.text("target"))) reached = true;
      for (const kmap::Entity* e : named(name)) {
        const Keys k{e};
        if (k.cls() == "target_print" && k.text("message") == message) printed = true;
        if (k.cls() == "target_delay" && std::fabs(k.spawn_float("delay", 1) - delay) < 1e-6) delayed = true;
        if (k.cls() == "target_delay" || k.cls() == "target_relay") names.push_back(k.text("target"));
      }
    }
    std::string wrong;
    if (!message.empty() && !printed) wrong += "message never printed; ";
    if (delay > 0 && !delayed) wrong += "fires without its delay; ";
    if (!reached) wrong += "its targets are never fired";
    if (!wrong.empty()) differs(SemanticRow::delay_message, n, cls + ": " + wrong);
  }

  void check_light(int n, const Keys& src, const kmap::Entity* out_entity) {
    const std::string cls = src.cls();
    if (quake2_ || !(cls.starts_with("light_torch") || cls.starts_with("light_flame") || cls == "light_globe")) return;
    look(SemanticRow::model_light);
    if (out_entity == nullptr) return differs(SemanticRow::model_light, n, cls + " left out");
    const Keys out{out_entity};
    if (out.cls() != "light") differs(SemanticRow::model_light, n, cls + " written as " + out.cls());
    // Flag 1 is the light translation's own linear falloff when it comes with its "fade".
    if ((out.flags() & 1) && !out.present("fade"))
      differs(SemanticRow::model_light, n, cls + " keeps flag 1, linear falloff to Q3");
  }

  void check_geometry(int n, const Keys& src, const kmap::Entity* out_entity) {
    const std::string cls = src.cls();
    kmap::Solidity kind;
    bool detail = true;
    if (cls == "func_illusionary" || cls == "func_detail_illusionary") {
      kind = kmap::Solidity::nonsolid;
    } else if (cls == "func_illusionary_visblocker") {
      kind = kmap::Solidity::nonsolid_opaque;
      detail = false;
    } else if (cls == "func_detail_fence" || cls == "func_detail_wall") {
      kind = kmap::Solidity::solid;
    } else {
      return;
    }
    if (src.e->lines.brush_count() == 0) return;  // nothing to see
    // A world without any structural brush does not compile: the run makes
    // its detail structural, and says so.
    if (said_.find("the world has no structural brush") != std::string_view::npos) detail = false;
    look(SemanticRow::geometry_kept);
    if (out_entity == nullptr) return differs(SemanticRow::geometry_kept, n, cls + " left out");
    const kmap::LineBuffer& lines = out_entity->lines;
    for (int b = 0; b < lines.brush_count(); ++b) {
      for (int i = lines.brush(b).first; i <= lines.brush(b).last; ++i) {
        kmap::Face face;
        if (!kmap::read_face(lines.view(i), &face) || !face.has_flags) continue;
        const std::string name(face.texture.text);
        const bool is_detail = (std::strtoul(std::string(face.flags[0].text).c_str(), nullptr, 10) & 0x08000000u) != 0;
        kmap::Solidity named_kind = kmap::Solidity::solid;
        std::string kept;
        // Q3's tool shaders block when they clip or caulk; the others let through.
        const bool blocking_tool = name == "common/caulk" || name.ends_with("clip");
        const bool nonsolid_name = kmap::read_nonsolid_name(name, named_kind, kept) ||
                                   (name.starts_with("common/") && !blocking_tool) || name.starts_with("liquids/") ||
                                   name.starts_with("korvex/nonsolid");
        const bool marked = named_kind != kmap::Solidity::solid || name.starts_with("korvex/nonsolid");
        const bool right_name = kind == kmap::Solidity::solid
                                    ? !marked
                                    : nonsolid_name && (named_kind == kind || named_kind == kmap::Solidity::solid);
        if (!right_name || is_detail != detail)
          return differs(SemanticRow::geometry_kept, n, cls + " face " + name + (is_detail ? " detail" : " structural"));
      }
    }
  }

  bool quake2_;
  std::string_view said_;
  std::vector<NumberedEntity> source_, converted_;
  std::map<int, size_t> by_number_;
  std::map<std::string, std::vector<size_t>> by_name_;
  SemanticCheck result_;
};

}  // namespace

int SemanticCheck::differing(SemanticRow row) const {
  std::set<int> numbers;
  for (const SemanticFinding& f : differ)
    if (f.row == row) numbers.insert(f.number);
  return static_cast<int>(numbers.size());
}

SemanticCheck check_entity_semantics(std::string_view source_map, std::string_view converted_map, bool quake2,
                                     std::string_view said) {
  return Checker(source_map, converted_map, quake2, said).run();
}
