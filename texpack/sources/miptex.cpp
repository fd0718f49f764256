#include "miptex.h"

#include <algorithm>
#include <memory>

namespace texpack {

namespace {

// The Half-Life colour table behind level 3: a count, then count triples.
SourceStatus read_own_palette(const ByteView& record, const MipLayout& layout, const std::string& name,
                              const std::string& origin, std::shared_ptr<const Palette>& out,
                              std::string& error) {
  const std::string what = "texture '" + name + "'";
  const uint64_t at = uint64_t{layout.offsets[3]} + mip_bytes(layout.width, layout.height, 3);
  if (!record.holds(at, 2))
    return fail(SourceStatus::no_palette, error, origin, what + " ends before its colour count");
  const uint16_t count = record.u16(at);
  if (count == 0) return fail(SourceStatus::no_palette, error, origin, what + " has a colour table of 0 colours");
  if (count > 256)
    return fail(SourceStatus::bad_size, error, origin,
                what + " has a colour table of " + std::to_string(count) + " colours (at most 256)");
  if (!record.holds(at + 2, uint64_t{count} * 3))
    return fail(SourceStatus::truncated, error, origin,
                what + ": its " + std::to_string(count) + " colours run past the end of its lump");
  auto palette = std::make_shared<Palette>();
  const auto rgb = record.part(at + 2, uint64_t{count} * 3);
  std::copy(rgb.begin(), rgb.end(), palette->rgb.begin());  // colours past count stay black
  palette->origin = origin + ":" + name;
  out = std::move(palette);
  return SourceStatus::ok;
}

}  // namespace

MipLayout miptex_layout(const ByteView& record) {
  MipLayout layout;
  layout.width = record.u32(16);
  layout.height = record.u32(20);
  for (size_t level = 0; level < 4; ++level) layout.offsets[level] = record.u32(24 + 4 * level);
  return layout;
}

SourceStatus decode_miptex(std::span<const uint8_t> record, const std::string& name, MiptexColours colours,
                           const std::string& origin, SourceTexture& out, std::string& error) {
  const ByteView view(record);
  if (!view.holds(0, kMiptexHeaderBytes))
    return fail(SourceStatus::truncated, error, origin,
                "texture '" + name + "' has " + std::to_string(view.size()) + " bytes, fewer than a miptex header (" +
                    std::to_string(kMiptexHeaderBytes) + ")");
  const MipLayout layout = miptex_layout(view);
  if (const auto status = check_mip_layout(view, kMiptexHeaderBytes, layout, "its lump", origin, name, error);
      status != SourceStatus::ok)
    return status;
  std::shared_ptr<const Palette> own;
  if (colours == MiptexColours::own_palette) {
    if (const auto status = read_own_palette(view, layout, name, origin, own, error); status != SourceStatus::ok)
      return status;
  }
  SourceTexture texture;
  texture.name = name;
  texture.origin = origin;
  texture.own_palette = std::move(own);
  take_level0(view, layout, texture);
  out = std::move(texture);
  return SourceStatus::ok;
}

}  // namespace texpack
