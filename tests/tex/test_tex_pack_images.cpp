// Images made from palette indices: plain, fence, sky layers, glow masks,
// and their PNG encoding read back through libpng.
#include <gtest/gtest.h>

#include <array>

#include "images.h"
#include "png_encode.h"
#include "test_tex_pack_support.h"

using namespace texpack;

namespace {

using Rgba8 = std::array<uint8_t, 4>;
constexpr Rgba8 clear_black{0, 0, 0, 0};
constexpr Rgba8 opaque_black{0, 0, 0, 255};

uint8_t every_index(int x, int y) { return static_cast<uint8_t>(y * 16 + x); }
// A 32x8 sky: left half indices 0 and 7 alternating, right half 216 + x.
uint8_t sky_pixel(int x, int y) { return x < 16 ? ((x + y) % 2 ? 7 : 0) : static_cast<uint8_t>(200 + x); }

Rgba8 pixel_at(const Image& image, int x, int y) {
  Rgba8 out = opaque_black;
  const size_t at = (static_cast<size_t>(y) * image.width + x) * image.channels;
  for (int c = 0; c < image.channels; ++c) out[c] = image.pixels[at + c];
  return out;
}

Rgba8 colour(const Palette& palette, int index) {
  return {palette.rgb[index * 3], palette.rgb[index * 3 + 1], palette.rgb[index * 3 + 2], 255};
}

TEST(TexPackImages, EachTreatmentPixelByPixelAndThroughPng) {
  const Palette palette = ramp_palette();
  const SourceTexture texture = make_texture("t", 16, 16, every_index);
  const Image plain = plain_image(texture, palette);
  const Image fence = image_with_transparent(texture, palette, 255);
  const Image glow = glow_image(texture, palette);
  for (int index = 0; index < 256; ++index) {
    SCOPED_TRACE(index);
    const int x = index % 16, y = index / 16;
    EXPECT_EQ(pixel_at(plain, x, y), colour(palette, index));
    EXPECT_EQ(pixel_at(fence, x, y), index == 255 ? clear_black : colour(palette, index));
    EXPECT_EQ(pixel_at(glow, x, y), index >= 224 && index <= 254 ? colour(palette, index) : opaque_black);
  }
  for (const Image* image : {&plain, &fence}) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(encode_png(*image, bytes, error)) << error;
    int width = 0, height = 0;
    const auto back = decode_png(bytes, width, height);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(width * height, 256);
    for (int i = 0; i < 256; ++i)
      EXPECT_EQ((Rgba8{(*back)[i * 4], (*back)[i * 4 + 1], (*back)[i * 4 + 2], (*back)[i * 4 + 3]}),
                pixel_at(*image, i % 16, i / 16));
  }
}

TEST(TexPackImages, SkyRightHalfIsBackLeftHalfIsFrontWithBlackClear) {
  const Palette palette = ramp_palette();
  const SkyLayers sky = sky_layers(make_texture("sky1", 32, 8, sky_pixel), palette);
  ASSERT_EQ(sky.back.width, 16);
  ASSERT_EQ(sky.front.width, 16);
  EXPECT_EQ(sky.back.height, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(pixel_at(sky.back, x, y), colour(palette, 216 + x));
      EXPECT_EQ(pixel_at(sky.front, x, y), (x + y) % 2 ? colour(palette, 7) : clear_black);
    }
}

TEST(TexPackImages, EmptyImageIsRefusedAndOutputKept) {
  std::vector<uint8_t> bytes{1, 2, 3};
  std::string error;
  EXPECT_FALSE(encode_png(Image{}, bytes, error));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_NE(error.find("0x0"), std::string::npos);
}

}  // namespace
