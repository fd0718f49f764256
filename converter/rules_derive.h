// The derivations of the entity rules: what Q3 needs that no single key
// edit gives, computed from several keys, the brushes' bounds or the map's
// facts, as new entities or new keys.
#ifndef KORVEX_CONVERTER_RULES_DERIVE_H
#define KORVEX_CONVERTER_RULES_DERIVE_H

#include <cstdint>
#include <string>
#include <vector>

#include "entity.h"
#include "rules_facts.h"
#include "status.h"
#include "texture_axes.h"

namespace conv {

// Keys of the entity as the source has it, read before any rule edits it.
struct SourceValues {
  uint32_t spawnflags = 0;
  kmap::Vec3 angles{};  // "angle" / "angles"
  double speed = 0;
  double t_width = 0, t_length = 0;  // Quake secret doors
};

// The source values of an entity not yet edited.
[[nodiscard]] SourceValues read_source_values(const kmap::Entity& entity);

// What a derivation works with: the map's facts (for new names), the
// entity's number in the source, and the list new entities go to.
struct DeriveContext {
  MapFacts& facts;
  int number;
  std::vector<kmap::Entity>& added;
  int doors_teamed = 0;
};

// What a derivation did. `unmet` names what the entity lacks for it (no
// brushes to aim from, ...), in which case nothing was changed.
struct DeriveResult {
  conv_status status = CONV_OK;
  const char* unmet = nullptr;
};

// A new point entity of the class, sized for any key.
[[nodiscard]] kmap::Entity new_point_entity(std::string_view classname);

// Gravity both games use to fly a pushed player.
inline constexpr double push_gravity = 800;
// Quake clamps each velocity component to sv_maxvelocity.
inline constexpr double max_velocity = 2000;

// trigger_push: Quake sets the velocity 10 x speed (default 1000) along the
// movedir, each axis clamped to 2000, and gravity flies the player on. A
// rising push stays a trigger_push aimed at a new target_position at
// C + (vx vz / g, vy vz / g, vz^2 / 2g) from the brushes' centre C, so that
// Q3's aim gives the same velocity; any other push, and a push that fires
// once (flag 1), becomes a trigger_multiple firing a new target_push of
// that velocity ("wait" 0.05: every server frame, or -1).
[[nodiscard]] DeriveResult derive_push(const SourceValues& source, kmap::Entity& entity, DeriveContext& ctx);

// "delay" and "message": Q3 triggers read neither. The entity's target
// becomes a new name fired in its place; a target_delay waits "delay"
// seconds, then a target_print (flag 4, the activator alone) shows the
// message and a target_relay fires the old target. Both keys are removed.
[[nodiscard]] DeriveResult derive_targets(kmap::Entity& entity, DeriveContext& ctx);

// Quake doors that touch move together: each member of a group of the
// facts gets its "team"; the first one (Q3's team master) the group's
// targetname, and "health" when a member is shootable, so that Q3 spawns
// no proximity trigger where Quake spawned none; the others lose theirs.
[[nodiscard]] DeriveResult derive_door_team(kmap::Entity& entity, DeriveContext& ctx);

// A Quake secret door moves sideways (right; left with flag 2; down with
// flag 4) by its width, then along its angle by its length ("t_width",
// "t_length", else its size on those axes). One straight Q3 door move to
// the same end: "angles" along the sum of both moves, "lip" so that Q3's
// travel (its size along the direction, less lip) is that sum's length.
[[nodiscard]] DeriveResult derive_secret_door(const SourceValues& source, kmap::Entity& entity,
                                              DeriveContext& ctx);

// A Quake 2 misc_teleporter touches through a box (-8 -8 8)..(8 8 24)
// around its origin: the entity becomes a trigger_teleport whose one brush
// is that box, faces common/trigger in the standard form, origin removed.
[[nodiscard]] DeriveResult derive_teleporter(kmap::Entity& entity, DeriveContext& ctx);

}  // namespace conv

#endif
