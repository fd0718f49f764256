// Palette-indexed pixels turned into the RGB(A) images a pack holds.
#ifndef KORVEX_TEXPACK_IMAGES_H
#define KORVEX_TEXPACK_IMAGES_H

#include <cstdint>
#include <vector>

#include "texture_sources.h"

namespace texpack {

struct Image {
  int width = 0;
  int height = 0;
  int channels = 3;             // 3: RGB, 4: RGBA
  std::vector<uint8_t> pixels;  // width * height * channels, top row first
};

// The texture in its colours, opaque.
[[nodiscard]] Image plain_image(const SourceTexture& texture, const Palette& palette);

// The texture with pixels of `transparent_index` fully transparent (and
// black, so that no stray colour bleeds in when the image is filtered).
[[nodiscard]] Image image_with_transparent(const SourceTexture& texture, const Palette& palette,
                                           int transparent_index);

// Only the pixels of the fullbright range in their colours, all others black.
[[nodiscard]] Image glow_image(const SourceTexture& texture, const Palette& palette);

// A Quake sky's two layers: the right half is the back layer (opaque), the
// left half the front layer, transparent where its index is 0.
struct SkyLayers {
  Image back;
  Image front;
};
[[nodiscard]] SkyLayers sky_layers(const SourceTexture& texture, const Palette& palette);

}  // namespace texpack

#endif
