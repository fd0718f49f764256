#include "map_light.h"

#include "light_keys.h"
#include "map_limits.h"
#include "pack_names.h"
#include "sky_light.h"
#include "texture_names.h"

namespace texpack {
namespace {

// The keys as an entity of the map library (an entity holds its own text:
// it is filled in place, never copied).
void fill_entity(kmap::Entity& e, const std::vector<KeyValue>& keys) {
  e.lines.configure(kmap::extended_limits, true);
  e.clear();
  for (const auto& [key, value] : keys) (void)e.add(key, value);
}

bool is_quake2(const MapScan& scan) {
  if (scan.kind == MapKind::quake2) return true;
  if (scan.kind != MapKind::converted) return false;
  for (const TextureUse& use : scan.textures)
    if (lower(use.name).starts_with("q2/")) return true;
  return false;
}

}  // namespace

MapLight map_light_of(const MapScan& scan) {
  MapLight light;
  if (is_quake2(scan)) return light;
  kmap::Entity world, light_entity;
  fill_entity(world, scan.world_keys);
  light.sky = kmap::sky_light_directives(world, false);
  for (const std::vector<KeyValue>& keys : scan.surface_lights) {
    fill_entity(light_entity, keys);
    if (auto surface = kmap::surface_light_of(light_entity, world, false))
      light.surfaces[kmap::kept_texture_name(surface->texture, kmap::Game::quake)] = std::move(*surface);
  }
  return light;
}

ShaderLight shader_light_of(const MapLight& light, const std::string& pack_name) {
  ShaderLight out;
  out.sky = light.sky;
  if (const auto found = light.surfaces.find(lower(pack_name)); found != light.surfaces.end()) {
    out.surface = found->second.value;
    out.surface_rgb = kmap::short_triple(found->second.colour);
  }
  return out;
}

}  // namespace texpack
