// Quake's world fog as a Q3 fog volume, and the texture name that carries it
// from the converted map to the texture pack.
//
// A Quake engine fogs a point at depth z by 1 - exp(-(density·z/64)²) of
// the fog colour ("fog" "density r g b" in the world's keys, the colour 0.3
// grey unless given); a Q3 engine by sqrt(min(1, z/D)), D the shader's
// fogparms distance. The curves differ in shape, so D is the one whose fog,
// averaged over the first 2048 units of depth, is Quake's: a room looks as
// hazy as in Quake, though nearby walls take a little more fog and far ones
// less.
//
// The converter writes the volume as a brush around the world textured
// "korvex/fog_RRGGBB_D" (the colour in hex, D in whole units); the texture
// pack writes the fog shader of that name. Without the pack the brush would
// be solid, which is why the volume is asked for (korvex -fog).
#ifndef KORVEX_MAP_FOG_VOLUME_H
#define KORVEX_MAP_FOG_VOLUME_H

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kmap {

struct FogVolume {
  std::array<uint8_t, 3> colour{};  // 0-255
  int64_t distance = 0;             // fogparms distance, > 0

  bool operator==(const FogVolume&) const = default;
};

// The fog of a Quake "fog" value. Returns true and fills `out`, or false
// (out untouched) when the value gives no fog: a density of 0 or less, or
// no number.
[[nodiscard]] bool read_quake_fog(std::string_view value, FogVolume& out);

// "korvex/fog_RRGGBB_D", lower-case hex.
[[nodiscard]] std::string fog_texture_name(const FogVolume& fog);

// Reads a name fog_texture_name wrote (the "korvex/" folder in any case).
// Returns true and fills `out`, or false (out untouched) for any other name.
[[nodiscard]] bool read_fog_texture_name(std::string_view name, FogVolume& out);

}  // namespace kmap

#endif
