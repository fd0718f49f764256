// Everything a pack will hold, built in memory before anything is written:
// the images of every texture the map needs, their shaders, and what was
// found where, what is missing and which palette coloured it all.
#ifndef KORVEX_TEXPACK_PACK_PLAN_H
#define KORVEX_TEXPACK_PACK_PLAN_H

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "map_light.h"
#include "pack_names.h"
#include "shader_rules.h"
#include "surface.h"

namespace texpack {

// Longest path a Q3 engine keeps (its MAX_QPATH of 64, less the final zero).
inline constexpr size_t max_pack_path = 63;

struct WantedTexture {
  PackName name;
  int faces = 0;  // faces of the map that use it
};

struct MissingTexture {
  std::string pack_name;
  int faces = 0;
};

struct PackFile {
  std::string path;  // "textures/q1/#water0.png", "scripts/e1m1.shader"
  std::vector<uint8_t> bytes;
  bool compress = false;  // text is worth deflating; PNG is compressed already
};

struct PackPlan {
  std::vector<PackFile> files;                  // images in path order, then scripts/
  std::map<std::string, int> found_per_origin;  // origin -> textures packed from it
  std::array<int, static_cast<size_t>(ShaderKind::count)> shaders_by_kind{};
  int shaders = 0;
  int textures_found = 0;  // names of the map found in the sources
  std::vector<MissingTexture> missing;
  const Palette* palette_used = nullptr;  // the game palette, when any texture needed it
  int own_palette_textures = 0;           // textures coloured by their own (Half-Life) palette
  std::vector<std::string> notes;         // animations cut short, ...
  std::set<std::string, std::less<>> overbright_shaders;  // shaders whose lightmap is stored at half and drawn doubled
};

enum class PlanStatus {
  ok,
  no_palette,     // a texture needs the game palette and none was given
  bad_name,       // a path too long for Q3, or with characters a pack cannot hold
  encode_failed,  // libpng refused an image
};

// Called after each image is encoded.
using Progress = std::function<void(size_t done, size_t total)>;

// Checks a path inside the pack: at most max_pack_path characters, printable
// ASCII without blanks, '\\', '"' or ':', no empty, "." or ".." part.
// Returns true, or false with `error` saying what is wrong.
[[nodiscard]] bool check_pack_path(const std::string& path, std::string& error);

// Builds the pack for `wanted` (in the order given) and the shaders of
// `fogs`, the fog volumes of the maps (the shaders go to
// scripts/<script_name>.shader, listed in scripts/shaderlist.txt; lit Quake
// textures draw their light in `range`). Textures
// without a palette of their own use `game_palette`; `light` is what the
// map's own light keys ask of the shaders. Returns ok and fills `out`, or
// another status with `error` set; `out` is written only on success.
[[nodiscard]] PlanStatus plan_pack(const std::vector<WantedTexture>& wanted, const std::vector<kmap::FogVolume>& fogs,
                                   const TextureLookup& lookup,
                                   const Palette* game_palette, const std::string& script_name,
                                   LightRange range, const MapLight& light, const Progress& progress, PackPlan& out,
                                   std::string& error);

}  // namespace texpack

#endif
