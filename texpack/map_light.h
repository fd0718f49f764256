// The light a Quake map's own keys ask of its texture pack: the sun and the
// sky dome of its world ("_sunlight", "_sunlight2", ...), written into every
// Quake sky shader, and the textures its "_surface" light templates make
// emit. A source map holds these keys as its author wrote them; a map
// converted with light translation keeps the world's keys and turns each
// template into an info_null with all of its keys, so both give one pack.
#ifndef KORVEX_TEXPACK_MAP_LIGHT_H
#define KORVEX_TEXPACK_MAP_LIGHT_H

#include <map>
#include <string>
#include <vector>

#include "map_scan.h"
#include "shader_rules.h"
#include "surface_light.h"

namespace texpack {

struct MapLight {
  std::vector<std::string> sky;                        // for every Quake sky shader
  std::map<std::string, kmap::SurfaceLight> surfaces;  // by pack name ("q1/#lava1")
};

// The light of a scanned map. Quake 2 maps (source, or converted with
// "q2/" names) keep their skies' and surfaces' own light: nothing here.
[[nodiscard]] MapLight map_light_of(const MapScan& scan);

// What the map's light asks of the shader of the texture `pack_name`.
[[nodiscard]] ShaderLight shader_light_of(const MapLight& light, const std::string& pack_name);

}  // namespace texpack

#endif
