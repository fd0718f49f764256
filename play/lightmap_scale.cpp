#include "lightmap_scale.h"

#include <algorithm>
#include <cmath>

#include "byte_view.h"

namespace play {
namespace {

constexpr uint64_t lightmap_lump = 14;
constexpr uint64_t header_bytes = 8 + 17 * 8;
constexpr uint64_t texel_bytes = 3;

}  // namespace

LuxelStatus scale_q3_lightmaps(std::span<uint8_t> bsp, double factor) {
  const texpack::ByteView file(bsp);
  if (!file.holds(0, 8) || !file.starts_with("IBSP") || file.i32(4) != 46) return LuxelStatus::other_format;
  if (!file.holds(0, header_bytes)) return LuxelStatus::bad_offset;
  const int32_t offset = file.i32(8 + lightmap_lump * 8);
  const int32_t length = file.i32(12 + lightmap_lump * 8);
  if (offset < 0 || length < 0 || !file.holds(uint64_t(offset), uint64_t(length))) return LuxelStatus::bad_offset;
  if (uint64_t(length) % texel_bytes != 0 || !(factor > 0 && std::isfinite(factor))) return LuxelStatus::bad_size;
  for (uint8_t* texel = bsp.data() + offset; texel < bsp.data() + offset + length; texel += texel_bytes) {
    double channels[texel_bytes];
    for (uint64_t k = 0; k < texel_bytes; ++k) channels[k] = factor * texel[k];
    const double brightest = *std::max_element(channels, channels + texel_bytes);
    const double keep_hue = brightest > 255 ? 255 / brightest : 1;
    for (uint64_t k = 0; k < texel_bytes; ++k)
      texel[k] = static_cast<uint8_t>(std::min(255.0, std::floor(channels[k] * keep_hue + 0.5)));
  }
  return LuxelStatus::ok;
}

}  // namespace play
