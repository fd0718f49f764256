#include "images.h"

#include "surface.h"

namespace texpack {
namespace {

// Pixels of columns [x0, x0 + width) of the texture, through `colour`, which
// writes `channels` bytes for one palette index.
template <typename Colour>
Image convert(const SourceTexture& texture, int x0, int width, int channels, Colour colour) {
  Image image;
  image.width = width;
  image.height = texture.height;
  image.channels = channels;
  image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(texture.height) * channels);
  uint8_t* out = image.pixels.data();
  for (int y = 0; y < texture.height; ++y) {
    const uint8_t* row = texture.indices.data() + static_cast<size_t>(y) * texture.width + x0;
    for (int x = 0; x < width; ++x, out += channels) colour(row[x], out);
  }
  return image;
}

void copy_rgb(const Palette& palette, uint8_t index, uint8_t* out) {
  out[0] = palette.rgb[index * 3];
  out[1] = palette.rgb[index * 3 + 1];
  out[2] = palette.rgb[index * 3 + 2];
}

Image transparent_where(const SourceTexture& texture, const Palette& palette, int x0, int width,
                        int transparent_index) {
  return convert(texture, x0, width, 4, [&](uint8_t index, uint8_t* out) {
    if (index == transparent_index) {
      out[0] = out[1] = out[2] = out[3] = 0;
      return;
    }
    copy_rgb(palette, index, out);
    out[3] = 255;
  });
}

}  // namespace

Image plain_image(const SourceTexture& texture, const Palette& palette) {
  return convert(texture, 0, texture.width, 3,
                 [&](uint8_t index, uint8_t* out) { copy_rgb(palette, index, out); });
}

Image image_with_transparent(const SourceTexture& texture, const Palette& palette, int transparent_index) {
  return transparent_where(texture, palette, 0, texture.width, transparent_index);
}

Image glow_image(const SourceTexture& texture, const Palette& palette) {
  return convert(texture, 0, texture.width, 3, [&](uint8_t index, uint8_t* out) {
    if (index >= first_fullbright_index && index <= last_fullbright_index)
      copy_rgb(palette, index, out);
    else
      out[0] = out[1] = out[2] = 0;
  });
}

SkyLayers sky_layers(const SourceTexture& texture, const Palette& palette) {
  const int half = texture.width / 2;
  SkyLayers layers;
  layers.back = convert(texture, half, half, 3, [&](uint8_t index, uint8_t* out) { copy_rgb(palette, index, out); });
  layers.front = transparent_where(texture, palette, 0, half, sky_transparent_index);
  return layers;
}

}  // namespace texpack
