// Which shader a texture gets: the keywords that make Q3 draw and compile
// it the way Quake or Quake 2 did. Only keywords both Q3A and OpenArena know.
#ifndef KORVEX_TEXPACK_SHADER_RULES_H
#define KORVEX_TEXPACK_SHADER_RULES_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "fog_volume.h"
#include "images.h"
#include "nonsolid_names.h"
#include "shader_text.h"
#include "surface.h"

namespace texpack {

enum class ShaderKind { liquid, sky, animated, fence, fullbright, surface, nonsolid, light, overbright, fog, count };
inline constexpr std::array<std::string_view, 10> shader_kind_names = {
    "liquid", "sky", "animated", "fence", "fullbright", "surface flags", "non-solid", "surface light",
    "overbright", "fog"};
static_assert(shader_kind_names.size() == static_cast<size_t>(ShaderKind::count));

// The light a Quake map's own keys ask of a shader (map_light.h). Quake
// textures give no light of their own: a Quake sky lights the level only
// with the directives in `sky`, a texture only when a "_surface" light
// template names it.
struct ShaderLight {
  std::vector<std::string> sky;  // q3map_sun, q3map_skyLight, ... for a Quake sky
  double surface = 0;            // q3map_surfacelight of the texture; 0: none
  std::string surface_rgb;       // its q3map_lightRGB, "r g b"

  [[nodiscard]] bool emits() const { return surface > 0; }
};

// How bright a lit Quake texture may show. Quake draws its lightmaps up to
// twice the texture. A Q3 engine does so only full screen: in a window it
// stops at the texture, and bright rooms come out flat and dark. `quake`
// gives a lit Quake texture a shader that keeps the whole range in both:
// the compiler stores its lightmap at half (q3map_lightmapBrightness) and
// the game draws it doubled (the lightmap stage's 2x blend). `q3` leaves
// plain textures without a shader, as Q3's own are.
enum class LightRange { quake, q3 };

// The lightmap scale and blend of the `quake` range.
inline constexpr double overbright_lightmap_scale = 0.5;

// True when a shader of the texture `pack_name` ("q1/...") with `surface`
// draws its light in Quake's range under `range`.
[[nodiscard]] bool is_overbright(const std::string& pack_name, const Surface& surface, LightRange range);

// The kinds a shader of this surface counts as (a fence may glow too, ...).
[[nodiscard]] std::vector<ShaderKind> shader_kinds(const std::string& pack_name, const Surface& surface,
                                                   const ShaderLight& light, LightRange range);

// The images a shader draws, as paths inside the pack.
struct ShaderImages {
  std::vector<std::string> frames;       // the texture, or each animation frame
  std::vector<std::string> glow_frames;  // their glow images, when the surface glows
  std::string sky_back;                  // a Quake sky's two layers
  std::string sky_front;
};

// The shader of a texture whose pack name is `pack_name` ("q1/#water0").
// Only meaningful when surface.needs_shader(), light.emits() or
// is_overbright(). A Quake 2
// texture ("q2/...") gives the light of its .wal value, its lava and slime
// some of their own, its sky a fixed sun; `light` is for Quake textures.
[[nodiscard]] Shader make_shader(const std::string& pack_name, const Surface& surface,
                                 const ShaderImages& images, const ShaderLight& light, LightRange range);

// Lets players through a shader's faces (`surfaceparm nonsolid`), and for
// the see-through kind lets sight through too (`surfaceparm trans`, which
// also makes the compiler take its brushes for detail): the faces a
// converted map names "q1/nonsolid/N" or "q1/nonsolid_opaque/N". A solid
// kind changes nothing.
void make_nonsolid(Shader& shader, kmap::Solidity solidity);

// The shader of a fallback name (kmap::fallback_nonsolid, ..._opaque): a
// plain lit surface of the kind, for faces whose texture is a stock one.
// The shipped korvex.shader holds both.
[[nodiscard]] Shader fallback_nonsolid_shader(kmap::Solidity solidity);

// The shader of a fog volume the converter wrote (fog_volume.h): a
// see-through, non-solid fog of its colour, opaque at its distance. Its
// editor image, named as the shader plus ".png", is fog_image's.
[[nodiscard]] Shader fog_shader(const kmap::FogVolume& fog);

// A small image of the fog's colour: what editors draw the volume with, and
// where the compiler finds the colour it expects of every shader.
[[nodiscard]] Image fog_image(const kmap::FogVolume& fog);

}  // namespace texpack

#endif
