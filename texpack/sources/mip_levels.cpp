#include "mip_levels.h"

namespace texpack {

SourceStatus check_mip_layout(const ByteView& block, uint64_t header, const MipLayout& layout,
                              const char* block_noun, const std::string& origin, const std::string& name,
                              std::string& error) {
  const std::string what = "texture '" + name + "'";
  const std::string size = std::to_string(layout.width) + "x" + std::to_string(layout.height);
  if (layout.width == 0 || layout.height == 0)
    return fail(SourceStatus::bad_size, error, origin, what + " has no pixels (" + size + ")");
  if (layout.width > kMaxTextureSide || layout.height > kMaxTextureSide ||
      uint64_t{layout.width} * layout.height > kMaxTexturePixels)
    return fail(SourceStatus::bad_size, error, origin,
                what + " is too large (" + size + ", at most " + std::to_string(kMaxTextureSide) + " a side)");
  for (int level = 0; level < 4; ++level) {
    const uint64_t offset = layout.offsets[static_cast<size_t>(level)];
    const uint64_t bytes = mip_bytes(layout.width, layout.height, level);
    if (offset < header || !block.holds(offset, bytes))
      return fail(SourceStatus::bad_offset, error, origin,
                  what + ": mip level " + std::to_string(level) + " (" + extent(bytes, offset) +
                      ") lies outside " + block_noun + " (" + std::to_string(block.size()) + " bytes, " +
                      std::to_string(header) + " of header)");
  }
  return SourceStatus::ok;
}

void take_level0(const ByteView& block, const MipLayout& layout, SourceTexture& texture) {
  const auto pixels = block.part(layout.offsets[0], mip_bytes(layout.width, layout.height, 0));
  texture.width = static_cast<int>(layout.width);
  texture.height = static_cast<int>(layout.height);
  texture.indices.assign(pixels.begin(), pixels.end());
}

}  // namespace texpack
