// What a texture is, beyond its pixels: a liquid, a sky, a fence, an
// animation, a light, ... read from its name (Quake) or its .wal header
// (Quake 2). This decides whether it needs a shader and which images.
#ifndef KORVEX_TEXPACK_SURFACE_H
#define KORVEX_TEXPACK_SURFACE_H

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "pack_names.h"
#include "texture_sources.h"

namespace texpack {

// Finds a texture of the sources by name, without regard to case; null when absent.
using TextureLookup = std::function<const SourceTexture*(std::string_view)>;

enum class Liquid { none, water, slime, lava, teleport };

// Quake 2 .wal surface flags and contents.
enum WalFlag : uint32_t {
  WAL_LIGHT = 1, WAL_SLICK = 2, WAL_SKY = 4, WAL_WARP = 8,
  WAL_TRANS33 = 16, WAL_TRANS66 = 32, WAL_FLOWING = 64, WAL_NODRAW = 128,
};
enum WalContents : uint32_t { WAL_LAVA = 8, WAL_SLIME = 16, WAL_WATER = 32 };

// Quake's fullbright palette range (always lit, never shaded by the lightmap).
inline constexpr int first_fullbright_index = 224;
inline constexpr int last_fullbright_index = 254;
// Palette index drawn transparent in a fence texture, and in a sky's front layer.
inline constexpr int fence_transparent_index = 255;
inline constexpr int sky_transparent_index = 0;
// Quake shows 5 animation frames a second, Quake 2 two; Q3 plays at most 8.
inline constexpr int quake_frame_rate = 5;
inline constexpr int quake2_frame_rate = 2;
inline constexpr size_t max_anim_frames = 8;

struct Surface {
  Liquid liquid = Liquid::none;
  bool sky = false;
  bool fence = false;
  bool warp = false;        // turbulent texture coordinates
  bool flowing = false;     // scrolls along its s axis
  bool nodraw = false;
  bool slick = false;
  float alpha = 1.0f;       // 0.33 or 0.66 for translucent Quake 2 surfaces
  uint32_t light = 0;       // Quake 2 light value of a LIGHT surface
  bool glow = false;        // Quake fullbright pixels: a glow image on top of the lightmap
  int frame_rate = 0;
  std::vector<const SourceTexture*> frames;  // the animation, first frame first; empty when still
  size_t frames_dropped = 0;                 // frames beyond what Q3 plays

  // True when a plain image would draw it wrong.
  [[nodiscard]] bool needs_shader() const {
    return liquid != Liquid::none || sky || fence || warp || flowing || nodraw || slick || alpha < 1.0f ||
           light > 0 || glow || !frames.empty();
  }
  // True when the surface is drawn without the lightmap.
  [[nodiscard]] bool unlit() const { return liquid != Liquid::none || sky || warp || alpha < 1.0f; }
};

// True when the texture has pixels of the fullbright range.
[[nodiscard]] bool has_fullbright_pixels(const SourceTexture& texture);

// Describes `texture` as used by `game`; `lookup` finds animation frames.
// Quake: '*' liquids by name ("*lava..", "*slime..", "*tele.."; others
// water; one whose name ends in "skip" is not drawn), "sky.." skies, '{' fences, "+0".."+9" and "+a".."+j" animations
// (each set its own), fullbright pixels of textures in the game palette.
// Quake 2: the .wal header's flags, contents, light value and frame chain.
[[nodiscard]] Surface describe_surface(const SourceTexture& texture, Game game, const TextureLookup& lookup);

}  // namespace texpack

#endif
