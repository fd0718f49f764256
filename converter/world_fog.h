// -fog: Quake's world fog written as a fog volume, a detail brush around
// every world brush textured with the fog's name (fog_volume.h), which the
// texture pack turns into the fog shader.
#ifndef KORVEX_CONVERTER_WORLD_FOG_H
#define KORVEX_CONVERTER_WORLD_FOG_H

#include <cstdio>
#include <optional>
#include <string_view>

#include "brush_geometry.h"
#include "fog_volume.h"
#include "line_buffer.h"

namespace conv {

struct WorldFog {
  std::optional<kmap::FogVolume> volume;  // from the world's "fog" key
  kmap::Bounds world;                     // around the world brushes written
};

// Takes the fog of a "fog" value; a value that gives none forgets any
// taken before, as the engine's last reading wins.
void note_world_fog(std::string_view value, WorldFog& fog);

// Adds the corners of a written world brush (its face lines) to the world's
// bounds; a brush whose lines do not all read as faces adds nothing.
void add_world_brush(const kmap::LineBuffer& faces, WorldFog& fog);

// Writes the fog volume as the world's next brush, in the Valve 220 form
// with `valve`: a box 16 units outside the world's bounds, in the void
// where its faces are never drawn. Writes nothing without a fog or a world
// brush. Returns the name of the fog's texture, or nothing when no volume
// was written (a number that cannot be written included).
[[nodiscard]] std::optional<std::string> write_fog_volume(FILE* out, bool valve, const WorldFog& fog);

}  // namespace conv

#endif
