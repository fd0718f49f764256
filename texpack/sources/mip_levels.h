// What every paletted texture format here shares: a width and height within
// limits, and four mip levels of which the first is kept.
#ifndef KORVEX_TEXPACK_SOURCES_MIP_LEVELS_H
#define KORVEX_TEXPACK_SOURCES_MIP_LEVELS_H

#include <array>
#include <cstdint>
#include <string>

#include "byte_view.h"
#include "texture_sources.h"

namespace texpack {

// Larger than any texture a Quake engine takes; beyond it a size is damage.
inline constexpr uint32_t kMaxTextureSide = 4096;
inline constexpr uint64_t kMaxTexturePixels = uint64_t{16} << 20;
static_assert(uint64_t{kMaxTextureSide} * kMaxTextureSide <= kMaxTexturePixels,
              "the side limit alone keeps the pixel count within its limit");

// Where a texture's levels lie: offsets from the start of `block` (a miptex
// lump or a whole .wal), none of them inside its first `header` bytes.
struct MipLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  std::array<uint32_t, 4> offsets{};
};

// Size in bytes of mip level `level` (0-3) of a width x height texture.
[[nodiscard]] inline uint64_t mip_bytes(uint32_t width, uint32_t height, int level) {
  return uint64_t{width >> level} * (height >> level);
}

// Checks the size (bad_size: zero or over the limits) and that every level
// lies in the block past its header (bad_offset). `block_noun` names the
// block in messages ("its lump", "the file"). Returns ok or the status,
// with error set.
[[nodiscard]] SourceStatus check_mip_layout(const ByteView& block, uint64_t header, const MipLayout& layout,
                                            const char* block_noun, const std::string& origin,
                                            const std::string& name, std::string& error);

// Copies level 0 of a layout check_mip_layout accepted into texture.indices
// and sets width and height.
void take_level0(const ByteView& block, const MipLayout& layout, SourceTexture& texture);

}  // namespace texpack

#endif
