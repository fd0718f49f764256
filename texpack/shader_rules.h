// Which shader a texture gets: the keywords that make Q3 draw and compile
// it the way Quake or Quake 2 did. Only keywords both Q3A and OpenArena know.
#ifndef KORVEX_TEXPACK_SHADER_RULES_H
#define KORVEX_TEXPACK_SHADER_RULES_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "nonsolid_names.h"
#include "shader_text.h"
#include "surface.h"

namespace texpack {

enum class ShaderKind { LIQUID, SKY, ANIMATED, FENCE, FULLBRIGHT, SURFACE, NONSOLID, COUNT };
inline constexpr std::array<std::string_view, 7> shader_kind_names = {
    "liquid", "sky", "animated", "fence", "fullbright", "surface flags", "non-solid"};
static_assert(shader_kind_names.size() == static_cast<size_t>(ShaderKind::COUNT));

// The kinds a shader of this surface counts as (a fence may glow too, ...).
[[nodiscard]] std::vector<ShaderKind> shader_kinds(const Surface& surface);

// The images a shader draws, as paths inside the pack.
struct ShaderImages {
  std::vector<std::string> frames;       // the texture, or each animation frame
  std::vector<std::string> glow_frames;  // their glow images, when the surface glows
  std::string sky_back;                  // a Quake sky's two layers
  std::string sky_front;
};

// The shader of a texture whose pack name is `pack_name` ("q1/#water0").
// Only meaningful when surface.needs_shader().
[[nodiscard]] Shader make_shader(const std::string& pack_name, const Surface& surface,
                                     const ShaderImages& images);

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

}  // namespace texpack

#endif
