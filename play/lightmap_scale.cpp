#include "lightmap_scale.h"

#include <algorithm>
#include <cmath>

#include "q3_level.h"

namespace play {
namespace {

constexpr uint64_t texel_bytes = 3;

}  // namespace

LuxelStatus scale_q3_lightmaps(std::span<uint8_t> bsp, double factor) {
  Q3Lump lightmaps;
  if (const LuxelStatus status = find_q3_lump(bsp, q3_lightmap_lump, texel_bytes, lightmaps); status != LuxelStatus::ok)
    return status;
  if (!(factor > 0 && std::isfinite(factor))) return LuxelStatus::bad_size;
  uint8_t* const first = bsp.data() + lightmaps.offset;
  for (uint8_t* texel = first; texel < first + lightmaps.count * texel_bytes; texel += texel_bytes) {
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
