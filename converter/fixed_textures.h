// The fixed textures of conversion mode, chosen by the kind of a brush's
// owner: the one place that maps classnames to kinds and kinds to textures.
#ifndef KORVEX_CONVERTER_FIXED_TEXTURES_H
#define KORVEX_CONVERTER_FIXED_TEXTURES_H

#include <array>
#include <string_view>

namespace conv {

enum owner_kind : int {
  KIND_WORLD = 0,  // the world, and listed classes of no particular kind
  KIND_PLAT = 1,
  KIND_DOOR = 2,
  KIND_TRIGGER = 3,
};

// Texture name and alignment written after a face's points.
inline constexpr std::array<std::string_view, KIND_TRIGGER + 1> fixed_textures{
    "base_floor/concrete 0 0 0 0.5 0.5 0 0 0",           // the world
    "base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0",  // func_plat
    "base_floor/clang_floor3blava 0 0 0 0.5 0.5 0 0 0",  // func_door
    "common/trigger -4 0 0 0.5 0.5 0 0 0",               // trigger_ classes
};
static_assert(fixed_textures.size() == KIND_TRIGGER + 1);

// The kind of a source classname (without quotes).
[[nodiscard]] constexpr owner_kind kind_of(std::string_view classname) {
  if (classname == "func_plat") return KIND_PLAT;
  if (classname == "func_door") return KIND_DOOR;
  if (classname.starts_with("trigger_")) return KIND_TRIGGER;
  return KIND_WORLD;
}

}  // namespace conv

#endif
