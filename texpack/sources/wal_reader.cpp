// Quake 2 .wal textures: one texture a file, coloured by the game palette.
#include "byte_view.h"
#include "mip_levels.h"
#include "texture_sources.h"

namespace texpack {

namespace {

constexpr uint64_t kHeaderBytes = 100;
constexpr uint64_t kSizeOffset = 32;
constexpr uint64_t kMipOffsets = 40;
constexpr uint64_t kAnimNameOffset = 56;
constexpr size_t kAnimNameBytes = 32;
constexpr uint64_t kSurfaceOffset = 88;

}  // namespace

SourceStatus read_wal(std::span<const uint8_t> data, const std::string& name, const std::string& origin,
                      std::vector<SourceTexture>& out, std::string& error) {
  const ByteView wal(data);
  // The internal name is not checked: maps use the path, and real files
  // carry internal names without their folders, or none at all.
  if (name.empty()) return fail(SourceStatus::bad_name, error, origin, "a .wal texture needs a name");
  if (!wal.holds(0, kHeaderBytes))
    return fail(SourceStatus::truncated, error, origin,
                "shorter than a .wal header (" + std::to_string(wal.size()) + " bytes)");
  MipLayout layout;
  layout.width = wal.u32(kSizeOffset);
  layout.height = wal.u32(kSizeOffset + 4);
  for (size_t level = 0; level < 4; ++level) layout.offsets[level] = wal.u32(kMipOffsets + 4 * level);
  if (const auto status = check_mip_layout(wal, kHeaderBytes, layout, "the file", origin, name, error);
      status != SourceStatus::ok)
    return status;
  const auto anim_next = wal.name_field(kAnimNameOffset, kAnimNameBytes);
  if (!anim_next)
    return fail(SourceStatus::bad_name, error, origin, "texture '" + name + "': unterminated next-frame name");

  SourceTexture texture;
  texture.name = name;
  texture.origin = origin;
  take_level0(wal, layout, texture);
  texture.wal = WalInfo{wal.u32(kSurfaceOffset), wal.u32(kSurfaceOffset + 4), wal.u32(kSurfaceOffset + 8),
                        *anim_next};
  out.push_back(std::move(texture));
  return SourceStatus::ok;
}

}  // namespace texpack
